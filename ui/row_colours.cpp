#include "ui/row_colours.h"

#include "document/entries/entry_columns.h"

namespace {

QColor Rgb(unsigned rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

}  // namespace

RowColours CellColours(int category, bool directory, const QColor& window,
                       const QColor& window_text) {
  switch (category) {
    case kCategoryChanged:
      return directory ? RowColours{Rgb(0xFFFF00), Rgb(0x330033)}
                       : RowColours{Rgb(0x330033), Rgb(0xFFFF00)};
    case kCategoryNotFound:
      return directory ? RowColours{Rgb(0xFFCCFF), Rgb(0x663399)}
                       : RowColours{Rgb(0x663399), Rgb(0xFFCCFF)};
    case kCategoryNew:
      return directory ? RowColours{Rgb(0xCCFFCC), Rgb(0x003300)}
                       : RowColours{Rgb(0x003300), Rgb(0xCCFFCC)};
    case kCategoryInProcess:
      return directory ? RowColours{Rgb(0xFFFFFF), Rgb(0x666699)}
                       : RowColours{Rgb(0x0000CC), window};
    case kCategoryError:
      return directory ? RowColours{Rgb(0x000000), Rgb(0xCC0000)}
                       : RowColours{window_text, Rgb(0xFF6666)};
    default:
      return directory ? RowColours{Rgb(0xFFFFFF), Rgb(0x666666)} : RowColours{window_text, window};
  }
}
