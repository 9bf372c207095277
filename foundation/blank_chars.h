// The seven blank characters of the program's text formats: backspace, tab, line feed, vertical
// tab, form feed, carriage return and blank. The number parsers skip them around a number; the
// field splitter drops them outside quotes and the field quoter quotes texts holding them.
#pragma once

[[nodiscard]] constexpr bool IsBlankChar(wchar_t c) {
  return (c >= 0x08 && c <= 0x0D) || c == 0x20;
}
