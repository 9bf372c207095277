#include "foundation/date_parsing.h"

#include <algorithm>
#include <cwctype>
#include <string>

#include "foundation/time_stamp.h"
#include "platform/locale_names.h"
#include "platform/system_time.h"

namespace {

bool IsAsciiAlnum(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// The name matches the text at pos over the name's length, ignoring case. An empty name (a locale
// without it) matches nothing.
bool MatchesAt(std::wstring_view text, std::size_t pos, const std::wstring& name) {
  if (name.empty() || text.size() - pos < name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(text[pos + i])) !=
        std::towlower(static_cast<wint_t>(name[i]))) {
      return false;
    }
  }
  return true;
}

// Reads one or more decimal digits at pos. Values beyond 2^32 saturate there, so an absurd number
// fails the range checks instead of wrapping into range.
bool ReadNumber(std::wstring_view text, std::size_t& pos, ULONGLONG& value, int& digits) {
  value = 0;
  digits = 0;
  for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos, ++digits) {
    value = std::min<ULONGLONG>(value * 10 + static_cast<ULONGLONG>(text[pos] - L'0'),
                                0x1'0000'0000ULL);
  }
  return digits > 0;
}

}  // namespace

bool MatchDayName(std::wstring_view text, std::size_t& pos, int& day, bool abbreviated) {
  if (pos > text.size()) return false;
  for (int i = 0; i < 7; ++i) {
    const std::wstring& name = platform::LocaleDayName(i, abbreviated);
    if (MatchesAt(text, pos, name)) {
      day = i;
      pos += name.size();
      return true;
    }
  }
  return false;
}

bool MatchMonthName(std::wstring_view text, std::size_t& pos, int& month, bool abbreviated) {
  if (pos > text.size()) return false;
  for (int m = 1; m <= 12; ++m) {
    const std::wstring& name = platform::LocaleMonthName(m, abbreviated);
    if (MatchesAt(text, pos, name)) {
      month = m;
      pos += name.size();
      return true;
    }
  }
  return false;
}

bool CNTimeStamp::Parse(std::wstring_view text, std::wstring_view layout) {
  SYSTEMTIME fields{};
  ULONGLONG fraction = 0;  // F and u, in 100 ns units
  bool calendar = false;
  std::size_t pos = 0;

  for (const wchar_t letter : layout) {
    while (pos < text.size() && !IsAsciiAlnum(text[pos])) ++pos;
    if (pos == text.size()) return false;

    if (letter == L'A' || letter == L'a') {
      int day = 0;
      if (!MatchDayName(text, pos, day, letter == L'a')) return false;
      fields.wDayOfWeek = static_cast<WORD>(day);
      calendar = true;
      continue;
    }
    if (letter == L'B' || letter == L'b') {
      int month = 0;
      if (!MatchMonthName(text, pos, month, letter == L'b')) return false;
      fields.wMonth = static_cast<WORD>(month);
      calendar = true;
      continue;
    }

    ULONGLONG value = 0;
    int digits = 0;
    if (!ReadNumber(text, pos, value, digits)) return false;
    const auto in_range = [&](ULONGLONG low, ULONGLONG high) {
      return value >= low && value <= high;
    };
    switch (letter) {
      case L'Y':
        // Years beyond the record's range would wrap into a wrong, valid year.
        if (!in_range(0, 0xFFFF)) return false;
        fields.wYear = static_cast<WORD>(value);
        break;
      case L'y':
        if (!in_range(0, 2999)) return false;
        if (value < 100) value += value < 36 ? 2000 : 1900;
        fields.wYear = static_cast<WORD>(value);
        break;
      case L'm':
        if (!in_range(1, 12)) return false;
        fields.wMonth = static_cast<WORD>(value);
        break;
      case L'd':
        if (!in_range(1, 31)) return false;
        fields.wDay = static_cast<WORD>(value);
        break;
      case L'H':
        if (!in_range(0, 23)) return false;
        fields.wHour = static_cast<WORD>(value);
        break;
      case L'M':
        if (!in_range(0, 59)) return false;
        fields.wMinute = static_cast<WORD>(value);
        break;
      case L'S':
        if (!in_range(0, 59)) return false;
        fields.wSecond = static_cast<WORD>(value);
        break;
      case L'N':
        if (!in_range(0, 999)) return false;
        fields.wMilliseconds = static_cast<WORD>(value);
        break;
      case L'F':
        if (!in_range(0, 9'999'999)) return false;
        // Fewer than seven digits are a decimal fraction: "5" is half a second.
        for (int d = digits; d < 7; ++d) value *= 10;
        fraction += value;
        continue;
      case L'u':
        if (!in_range(0, 999'999)) return false;
        fraction += value * 10;
        continue;
      default:
        continue;  // a number read and discarded
    }
    calendar = true;
  }

  if (!calendar) {
    SetValue(fraction);
    return true;
  }
  ULONGLONG value = 0;
  if (!platform::SystemTimeToFileTime(fields, value)) return false;
  SetValue(value + fraction);
  return true;
}
