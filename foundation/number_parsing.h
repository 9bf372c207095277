// Unsigned numbers from text, in automatic notation (base 1: "0x" hexadecimal, "0b" binary, a
// leading "0" octal, otherwise decimal) or an explicit base 2, 8, 10 or 16 without prefix. Blanks
// (IsBlankChar) may surround the number; anything else, a value too wide for the result, an empty
// or null text and any other base fail. On failure the result is false and out is unchanged.
// Pure functions; any thread may call.
#pragma once
#include <string_view>

#include "platform/win_types.h"

[[nodiscard]] bool ParseUInt64(std::wstring_view text, ULONGLONG& out, int base = 1);
[[nodiscard]] bool ParseUInt(std::wstring_view text, DWORD& out, int base = 1);

// Zero-terminated forms; null fails.
[[nodiscard]] bool ParseUInt64(const wchar_t* text, ULONGLONG& out, int base = 1);
[[nodiscard]] bool ParseUInt(const wchar_t* text, DWORD& out, int base = 1);
