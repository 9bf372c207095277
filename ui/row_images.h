// RowImages: the 16 small images of the list rows and cells, indexed as GetColumnImage answers
// (entry_columns.h): error, unchanged, changed, grown, shrunk, in process, not found, new, ...,
// folders and the file page. Drawn as SVG resources (":/rows/row_NN.svg") and rendered once at 1x,
// 2x and 3x, so the 16-pixel images stay crisp on a high-density screen.
//
// User-interface thread only, after the QApplication exists. An image whose resource is missing
// is transparent: the list still lines up and shows its text.
#pragma once
#include <QIcon>

inline constexpr int kRowImageCount = 16;
inline constexpr int kRowImageSize = 16;

// The image of index; a null icon (draws nothing, takes no room) for -1 or any index outside
// 0..15.
[[nodiscard]] const QIcon& RowImage(int index);
