// What the list view shows of an entry: the text, image index and display category of each of the
// seven columns. Computed on demand from the entry's states and flags, never cached, so a changed
// tolerance shows at the entry's next Recompare. Called on the document's user-interface thread.
#pragma once
#include <string>

#include "document/entries/entry_category.h"

class CVemoEntry;

enum EntryColumn : int {
  kColumnName = 0,
  kColumnExt = 1,
  kColumnSize = 2,
  kColumnDate = 3,
  kColumnAttr = 4,
  kColumnCrc = 5,
  kColumnNote = 6,
};
inline constexpr int kColumnCount = 7;
// Column headings, by index.
inline constexpr const wchar_t* kColumnTitles[kColumnCount] = {L"Name", L"Ext", L"Size", L"Date",
                                                               L"Attr", L"CRC", L"Note"};

// Images of the list view's small image list.
enum EntryImage : int {
  kImageNone = -1,
  kImageError = 0,
  kImageUnchanged = 1,
  kImageChanged = 2,
  kImageGrownOrNewer = 3,
  kImageShrunkOrOlder = 4,
  kImageInProcess = 5,
  kImageNotFound = 6,
  kImageNew = 7,
  kImageTolerated = 9,
  kImageAwaitingScan = 10,
  kImageFolderWithEntries = 12,
  kImageFolder = 13,
  kImageFile = 14,
};

// Text of a column; empty for columns that do not apply (and for indexes outside 0..6).
[[nodiscard]] std::wstring GetColumnText(const CVemoEntry& entry, int column);
// Image index of a column, -1 for none.
[[nodiscard]] int GetColumnImage(const CVemoEntry& entry, int column);
// Display category 1..6 of a column, -1 for a column index above 6.
[[nodiscard]] int GetColumnState(const CVemoEntry& entry, int column);
