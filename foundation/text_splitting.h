// Splitting texts into string lists and joining them again. Results are new lists owned by the
// caller. Pure functions; any thread may call.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "foundation/string_list.h"

// The lines of a text: carriage return plus line feed, a lone carriage return and a lone line feed
// each end a line. What follows the last line end is one more line, so a text ending in a line end
// gives a last, empty line and the empty text gives one empty line.
[[nodiscard]] CNStringList SplitLines(std::wstring_view text);

// The pieces of a text between any of the delimiter characters; empty pieces are kept (adjacent
// delimiters, a delimiter at either end). A null text gives no pieces; without delimiters a
// non-empty text is one piece and the empty text none.
[[nodiscard]] CNStringList SplitText(const wchar_t* text, const wchar_t* delimiters);
[[nodiscard]] CNStringList SplitText(std::wstring_view text, std::wstring_view delimiters);

// At most count elements from index first, with separator between them. Empty when first lies
// outside the list or count is less than 1.
[[nodiscard]] std::wstring JoinStrings(const CNStringList& list, std::wstring_view separator,
                                       std::ptrdiff_t first, std::ptrdiff_t count);
