// The colours of a list cell by its display category (entry_columns.h): changed yellow, not found
// pink, new green, in process blue, error red; directory rows drawn inverted, light on dark.
// "Window" and "window text" are the palette's item-view colours (QPalette::Base and Text), so a
// dark theme still reads for the rows that use them.
#pragma once
#include <QColor>

struct RowColours {
  QColor text;
  QColor background;
};

[[nodiscard]] RowColours CellColours(int category, bool directory, const QColor& window,
                                     const QColor& window_text);
