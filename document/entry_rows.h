// CVemoEntryRows: the rows a list view shows of one document — its entries in key order, filtered
// by the ShowFlags categories and the empty-folder walk once the document is Idle, every entry
// while it is not. Holds pointers into the document, 8 bytes a row; the document owns the entries.
//
// A rebuild can run in slices (BeginRebuild, then ContinueRebuild until the new rows are ready,
// then TakeRebuilt): the old rows stay as they were until the new ones replace them, so a view
// keeps showing them meanwhile. When the document's entries are the same ones as at the last
// rebuild that showed every entry, the next rebuild filters those rows instead of walking the
// entry map again, and one that shows every entry again has nothing to do.
//
// A holder must Clear() on the document's RCLR hint (entries about to be deleted; a rebuild in
// progress is dropped too) and rebuild on RFSH; between the two it holds nothing that can dangle.
// User-interface thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/poll_budget.h"
#include "foundation/key_map.h"
#include "platform/win_types.h"

class CVemoDoc;
class CVemoEntry;

// Whether the filter shows entry under show_flags (the SF_ bits), before the empty-folder walk:
// errors first (with SF_ERRORS), then directories, same, changed, new, not found, and any other
// entry (listed, still awaiting the scan) is shown.
[[nodiscard]] bool IsRowShown(const CVemoEntry& entry, DWORD show_flags);

class CVemoEntryRows {
 public:
  // Rows := the document's entries in key order; while the document is Idle only those that
  // IsRowShown, and, with SF_EMPTY_FOLDERS clear, a directory entry only when the entry right
  // after it is a file. One traversal of the entry map, then one pass over the rows.
  void Rebuild(const CVemoDoc& doc, DWORD show_flags);
  // Drops the rows and any rebuild in progress.
  void Clear();

  // Starts a rebuild to the rows Rebuild gives (dropping one in progress). False when the rows
  // already are those (every entry, the same entries as then): there is nothing to take.
  bool BeginRebuild(const CVemoDoc& doc, DWORD show_flags);
  // Works on the rebuild until budget is spent; true once the new rows are ready to take.
  bool ContinueRebuild(CVemoPollBudget& budget);
  // Rows := the rebuilt rows (ContinueRebuild answered true).
  void TakeRebuilt();
  [[nodiscard]] bool IsRebuilding() const { return step_ != Step::kNone; }

  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  [[nodiscard]] const CVemoEntry* operator[](std::size_t row) const { return rows_[row]; }

  // The row of entry, or -1 when it is not among the rows: a binary search by the entry's key,
  // O(log n). entry must still belong to the document (a hint's argument does).
  [[nodiscard]] std::ptrdiff_t RowOf(const CVemoEntry* entry) const;
  // The first row at or after from whose key is not below key: a search that first looks at
  // from, then widens its steps, so that a run of keys in order costs O(1) each when the rows
  // hold them one after another. key is compared as bytes; a row whose key is key itself (the
  // same pointer) is found without reading it.
  [[nodiscard]] std::size_t LowerBound(const char* key, std::size_t from) const;

  // Bytes held for the rows (capacity), for measurements.
  [[nodiscard]] std::size_t MemoryUsage() const {
    return (rows_.capacity() + next_.capacity()) * sizeof(rows_[0]);
  }

 private:
  enum class Step { kNone, kCollecting, kFiltering, kReady };

  std::vector<const CVemoEntry*> rows_;
  // Whether rows_ is every entry of the map as it was at change count rows_changes_.
  bool rows_all_ = false;
  std::uint64_t rows_changes_ = 0;
  const CNKeyMap* rows_map_ = nullptr;

  // The rebuild in progress: its rows, the map's traversal, and the filter's place (reading
  // source_[read_], writing next_[write_]; source_ is next_ itself or the old rows).
  Step step_ = Step::kNone;
  std::vector<const CVemoEntry*> next_;
  CNKeyMap::Traversal traversal_;
  bool next_all_ = false;
  std::uint64_t next_changes_ = 0;
  const CNKeyMap* next_map_ = nullptr;
  DWORD show_flags_ = 0;
  const std::vector<const CVemoEntry*>* source_ = nullptr;
  std::size_t read_ = 0;
  std::size_t write_ = 0;
  bool last_is_directory_ = false;
};
