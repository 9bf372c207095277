// The categories an entry is shown under, in one place for every front end: the display category
// of a list cell (its colours) and the category a report gives a whole entry once a cycle has ended
// (no entry awaits the scan or a checksum). Both are decided from the same flags and states.
// Pure functions of the entry; the document's thread.
#pragma once
#include <string>

class CVemoEntry;

// Display categories of a list cell, which decide its colours (GetColumnState, entry_columns.h).
enum EntryCategory : int {
  kCategoryNone = -1,
  kCategoryNormal = 1,
  kCategoryChanged = 2,
  kCategoryNotFound = 3,
  kCategoryNew = 4,
  kCategoryInProcess = 5,
  kCategoryError = 6,
};

enum class ReportCategory : int {
  kUnchanged = 0,  // also: only tolerated differences
  kChanged,        // contents, size, time stamp, attributes or letter case differ
  kDamaged,        // contents differ while size, time stamp and attributes do not
  kNew,            // found, not listed
  kMissing,        // listed, not found
  kError,          // the file could not be read
};

// A file: error (read failure) before missing, new, damaged, changed, unchanged. A directory is
// only ever unchanged, new, missing or error: its own time stamp and size follow its contents,
// which are reported entry by entry.
[[nodiscard]] ReportCategory CategorizeEntry(const CVemoEntry& entry);

// The entry's path relative to the base directory with '/' as separator; a directory ends in '/'.
[[nodiscard]] std::wstring RelativeEntryPath(const CVemoEntry& entry);
