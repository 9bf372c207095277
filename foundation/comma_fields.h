// The comma-separated fields of the document's lines. QuoteField protects one field so that
// SplitFields gives it back unchanged: backslashes and double quotes are escaped with a backslash,
// and a field holding an escape, a comma or a blank character (IsBlankChar) is put in double
// quotes. SplitFields drops blank characters outside quotes. Pure functions; any thread may call.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "foundation/string_list.h"

[[nodiscard]] std::wstring QuoteField(std::wstring_view text);
// QuoteField(text) appended to out, without a string of its own (the document writer's per-line
// path). With separator set, every separator in text is written as a backslash first, and then
// escaped like one.
void AppendQuotedField(std::wstring& out, std::wstring_view text, wchar_t separator = 0);

// The fields of one line: a backslash makes the next character literal, a double quote toggles
// quoting (both are dropped), an unquoted comma ends a field, unquoted blanks are dropped. A line
// with k unquoted, unescaped commas gives k + 1 fields (the last one possibly empty).
[[nodiscard]] CNStringList SplitFields(std::wstring_view line);

// At most count elements from index first, each through QuoteField, joined with commas. Empty
// when first lies outside the list or count is less than 1.
[[nodiscard]] std::wstring JoinFields(const CNStringList& list, std::ptrdiff_t first,
                                      std::ptrdiff_t count);
