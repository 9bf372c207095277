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
  rows_.clear();
  rows_.reserve(doc.GetEntries().GetCount());
  const bool filter = doc.GetState() == DocState::kIdle;
  doc.GetEntries().ForEach([&](const CVemoEntry* entry) {
    if (!filter || IsRowShown(*entry, show_flags)) rows_.push_back(entry);
  });
  if (!filter || (show_flags & SF_EMPTY_FOLDERS)) return;
  // A directory stays only when the entry right after it (before this walk) is a file; walking
  // forwards and compacting in place looks at the same successor the backward walk would.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const CVemoEntry* entry = rows_[i];
    if (entry->IsDirectory() && (i + 1 == rows_.size() || rows_[i + 1]->IsDirectory())) continue;
    rows_[kept++] = entry;
  }
  rows_.resize(kept);
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
