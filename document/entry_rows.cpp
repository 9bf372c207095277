#include "document/entry_rows.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

namespace {

// Entries lie far apart in memory and the filter reads a few fields of each: asking for an entry
// this many rows ahead hides most of the wait for it.
constexpr std::size_t kPrefetchDistance = 12;

void Prefetch(const CVemoEntry* entry) {
  __builtin_prefetch(&entry->m_dwFlags);
  __builtin_prefetch(&entry->m_stored);
  __builtin_prefetch(&entry->m_current);
}

}  // namespace

void CVemoEntryRows::Rebuild(const CVemoDoc& doc, DWORD show_flags) {
  // The whole walk, whatever the rows were: what a first rebuild costs.
  rows_all_ = false;
  (void)BeginRebuild(doc, show_flags);
  CVemoPollBudget unlimited(CVemoPollBudget::kUnlimited);
  while (!ContinueRebuild(unlimited)) {
  }
  TakeRebuilt();
}

void CVemoEntryRows::Clear() {
  rows_.clear();
  rows_all_ = false;
  step_ = Step::kNone;
  next_.clear();
  traversal_ = CNKeyMap::Traversal();
  source_ = nullptr;
}

bool CVemoEntryRows::BeginRebuild(const CVemoDoc& doc, DWORD show_flags) {
  const CNKeyMap& map = doc.GetEntries();
  next_all_ = doc.GetState() != DocState::kIdle;
  next_changes_ = map.GetChangeCount();
  next_map_ = &map;
  show_flags_ = show_flags;
  traversal_ = CNKeyMap::Traversal();
  source_ = nullptr;
  read_ = write_ = 0;
  last_is_directory_ = false;
  const bool same_entries = rows_all_ && rows_map_ == &map && rows_changes_ == next_changes_;
  if (same_entries && next_all_) {
    step_ = Step::kNone;
    next_.clear();
    return false;
  }
  if (same_entries) {
    // The rows are every entry in key order already: only the filter is left to run.
    source_ = &rows_;
    next_.resize(rows_.size());
    step_ = Step::kFiltering;
    return true;
  }
  next_.clear();
  next_.reserve(map.GetCount());
  traversal_ = CNKeyMap::Traversal(map);
  step_ = Step::kCollecting;
  return true;
}

bool CVemoEntryRows::ContinueRebuild(CVemoPollBudget& budget) {
  if (step_ == Step::kCollecting) {
    const bool collected = traversal_.Continue([&](void* value) {
      next_.push_back(static_cast<const CVemoEntry*>(value));
      return !budget.Spent();
    });
    if (!collected) return false;
    if (!traversal_.IsValid()) {
      // Entries left the map meanwhile (they are still alive until the RCLR that follows): the
      // walk starts again over what is left.
      next_.clear();
      next_changes_ = next_map_->GetChangeCount();
      traversal_ = CNKeyMap::Traversal(*next_map_);
      return false;
    }
    traversal_ = CNKeyMap::Traversal();
    if (next_all_) {
      step_ = Step::kReady;
      return true;
    }
    source_ = &next_;
    step_ = Step::kFiltering;
    if (budget.Spent()) return false;
  }
  if (step_ == Step::kFiltering) {
    const std::vector<const CVemoEntry*>& source = *source_;
    const std::size_t size = source.size();
    const bool empty_folders = (show_flags_ & SF_EMPTY_FOLDERS) != 0;
    // The empty-folder walk in the same pass: a directory row stays only when the next row shown
    // is a file, so a directory followed by a directory gives way to it, and one left last goes.
    // Writing never overtakes reading, so the source may be the rows being written.
    while (read_ < size) {
      if (read_ + kPrefetchDistance < size) Prefetch(source[read_ + kPrefetchDistance]);
      const CVemoEntry* entry = source[read_++];
      if (IsRowShown(*entry, show_flags_)) {
        const bool directory = entry->IsDirectory();
        if (!empty_folders && directory && last_is_directory_) --write_;
        next_[write_++] = entry;
        last_is_directory_ = directory;
      }
      if (budget.Spent()) break;
    }
    if (read_ < size) return false;
    if (!empty_folders && last_is_directory_) --write_;
    next_.resize(write_);
    source_ = nullptr;
    step_ = Step::kReady;
  }
  return step_ == Step::kReady;
}

void CVemoEntryRows::TakeRebuilt() {
  if (step_ != Step::kReady) return;
  rows_.swap(next_);
  // The old rows' memory goes: a view keeps one array of rows, not two.
  std::vector<const CVemoEntry*>().swap(next_);
  rows_all_ = next_all_;
  rows_changes_ = next_changes_;
  rows_map_ = next_map_;
  step_ = Step::kNone;
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

std::size_t CVemoEntryRows::LowerBound(const char* key, std::size_t from) const {
  const std::size_t size = rows_.size();
  if (from >= size) return size;
  auto below = [key](const CVemoEntry* row) {
    const char* row_key = row->m_pszKey;
    return row_key != key && std::strcmp(row_key, key) < 0;
  };
  if (!below(rows_[from])) return from;
  // rows_[low] is below key; widen until a row that is not, then search between.
  std::size_t low = from;
  std::size_t step = 1;
  std::size_t high = size;
  while (low + step < size) {
    if (!below(rows_[low + step])) {
      high = low + step;
      break;
    }
    low += step;
    step *= 2;
  }
  auto it = std::partition_point(rows_.begin() + static_cast<std::ptrdiff_t>(low) + 1,
                                 rows_.begin() + static_cast<std::ptrdiff_t>(high), below);
  return static_cast<std::size_t>(it - rows_.begin());
}
