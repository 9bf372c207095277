#include "document/entry_rows.h"

#include <algorithm>
#include <cstring>

#include "document/vemo_doc.h"
#include "foundation/process_values.h"

bool IsRowShown(const CVemoEntry& entry, DWORD show_flags) {
  const DWORD flags = entry.m_dwFlags;
  if ((show_flags & SF_ERRORS) && entry.m_dwError != 0) return true;
  if (entry.IsDirectory()) return entry.HasChildren() || (show_flags & SF_EMPTY_FOLDERS);
  if ((flags & EF_FOUND) && (flags & EF_LISTED)) {
    // Tolerated differences (0x100..0x400) count as none.
    return (flags & EF_CHANGE_MASK) == 0 ? (show_flags & SF_SAME) != 0
                                         : (show_flags & SF_CHANGED) != 0;
  }
  if (flags & EF_FOUND) return (show_flags & SF_NEW) != 0;
  if (!(flags & EF_AWAITING_SCAN)) return (show_flags & SF_MISSING) != 0;
  return true;
}

void CVemoEntryRows::Rebuild(const CVemoDoc& doc, DWORD show_flags) {
  // clear() keeps the capacity: a rebuild at each phase of a cycle allocates nothing.
  rows_.clear();
  rows_.reserve(doc.GetEntries().GetCount());
  if (doc.GetState() != DocState::kIdle) {
    doc.GetEntries().ForEach([&](const CVemoEntry* entry) { rows_.push_back(entry); });
    return;
  }
  const bool empty_folders = (show_flags & SF_EMPTY_FOLDERS) != 0;
  // The empty-folder walk in the same pass: a directory row stays only when the next row shown
  // is a file, so a directory followed by a directory gives way to it, and one left last goes.
  bool last_is_directory = false;
  doc.GetEntries().ForEach([&](const CVemoEntry* entry) {
    if (!IsRowShown(*entry, show_flags)) return;
    const bool directory = entry->IsDirectory();
    if (!empty_folders && directory && last_is_directory) rows_.pop_back();
    rows_.push_back(entry);
    last_is_directory = directory;
  });
  if (!empty_folders && last_is_directory) rows_.pop_back();
}

std::ptrdiff_t CVemoEntryRows::RowOf(const CVemoEntry* entry) const {
  if (entry == nullptr || entry->m_pszKey == nullptr) return -1;
  // Rows are in the map's order, which is the unsigned byte order strcmp gives.
  const char* key = entry->m_pszKey;
  auto it = std::lower_bound(
      rows_.begin(), rows_.end(), key,
      [](const CVemoEntry* row, const char* k) { return std::strcmp(row->m_pszKey, k) < 0; });
  if (it == rows_.end() || *it != entry) return -1;
  return it - rows_.begin();
}
