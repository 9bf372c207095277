// CVemoEntryRows: the rows a list view shows of one document — its entries in key order, filtered
// by the ShowFlags categories and the empty-folder walk once the document is Idle, every entry
// while it is not. Holds pointers into the document, 8 bytes a row; the document owns the entries.
//
// A holder must Clear() on the document's RCLR hint (entries about to be deleted) and Rebuild() on
// RFSH; between the two it holds nothing that can dangle. User-interface thread only.
#pragma once
#include <cstddef>
#include <vector>

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
  // after it is a file. One traversal of the entry map.
  void Rebuild(const CVemoDoc& doc, DWORD show_flags);
  void Clear() { rows_.clear(); }

  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  [[nodiscard]] const CVemoEntry* operator[](std::size_t row) const { return rows_[row]; }

  // The row of entry, or -1 when it is not among the rows: a binary search by the entry's key,
  // O(log n). entry must still belong to the document (a hint's argument does).
  [[nodiscard]] std::ptrdiff_t RowOf(const CVemoEntry* entry) const;

  // Bytes held for the rows (capacity), for measurements.
  [[nodiscard]] std::size_t MemoryUsage() const { return rows_.capacity() * sizeof(rows_[0]); }

 private:
  std::vector<const CVemoEntry*> rows_;
};
