// Number and text formatting for display: printf-style text of any length, numbers in any base with
// a width and a fill character, decimal numbers with thousands separators. None of these fails;
// all are pure functions callable from any thread.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {
class ReadableFile;
}

// printf-style formatting with the C library's wide formatter, into a text of any length. Wide
// string arguments need %ls. A format the formatter rejects (an argument it cannot convert, such as
// a narrow %s text that is not valid in the current locale) gives the format text itself.
[[nodiscard]] std::wstring FormatText(const wchar_t* format, ...);
[[nodiscard]] std::wstring FormatTextV(const wchar_t* format, va_list args);

// count copies of ch; empty for 0.
[[nodiscard]] std::wstring RepeatChar(unsigned count, wchar_t ch);

// text padded to |width| characters with fill: in front for a positive width (right-aligned),
// behind for a negative one (left-aligned). A longer text is returned whole, never cut.
[[nodiscard]] std::wstring PadText(std::wstring_view text, int width, wchar_t fill);

// value in base 2..36 (digits 0-9 and upper-case A-Z; a minus sign for negative values), then
// PadText with width and fill: FormatInt(-5, 10, 4, '0') is "00-5".
[[nodiscard]] std::wstring FormatInt(std::int32_t value, unsigned base, int width, wchar_t fill);
[[nodiscard]] std::wstring FormatUInt(std::uint32_t value, unsigned base, int width, wchar_t fill);
[[nodiscard]] std::wstring FormatUInt64(std::uint64_t value, unsigned base, int width,
                                        wchar_t fill);

// Commas between groups of three digits of the text's trailing run of digits ("-1234" gives
// "-1,234"; a text with a decimal point keeps its digits ungrouped), then blanks to |width|:
// in front for a positive width, behind for a negative one.
[[nodiscard]] std::wstring GroupDigits(std::wstring_view text, int width);
[[nodiscard]] std::wstring FormatGroupedU32(std::uint32_t value, int width);
[[nodiscard]] std::wstring FormatGroupedU64(std::uint64_t value, int width);

// The size of an open file; all ones when the size query fails (the last error then says why).
[[nodiscard]] ULONGLONG GetFileSize64(platform::ReadableFile& file);
