#include "foundation/number_parsing.h"

#include <limits>

#include "foundation/blank_chars.h"

namespace {

int DigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return 99;
}

bool Parse(std::wstring_view text, ULONGLONG max, ULONGLONG& out, int base) {
  std::size_t i = 0;
  while (i < text.size() && IsBlankChar(text[i])) ++i;
  if (i == text.size()) return false;  // empty, or blanks only

  if (base == 1) {
    const wchar_t first = text[i];
    if (first == L'0') {
      ++i;
      if (i == text.size() || IsBlankChar(text[i])) {
        base = 0;  // "0" alone
      } else if (text[i] == L'x' || text[i] == L'X') {
        base = 16, ++i;
      } else if (text[i] == L'b' || text[i] == L'B') {
        base = 2, ++i;
      } else {
        base = 8;  // the character after the 0 is the first octal digit
      }
    } else if (first >= L'1' && first <= L'9') {
      base = 10;
    } else {
      return false;
    }
  } else if (base != 2 && base != 8 && base != 10 && base != 16) {
    return false;
  }

  ULONGLONG value = 0;
  if (base != 0) {
    const std::size_t start = i;
    for (; i < text.size() && !IsBlankChar(text[i]); ++i) {
      const int digit = DigitValue(text[i]);
      if (digit >= base) return false;
      const ULONGLONG b = static_cast<ULONGLONG>(base);
      if (value > (max - static_cast<ULONGLONG>(digit)) / b) return false;
      value = value * b + static_cast<ULONGLONG>(digit);
    }
    if (i == start) return false;  // a prefix without digits
  }
  for (; i < text.size(); ++i) {
    if (!IsBlankChar(text[i])) return false;
  }
  out = value;
  return true;
}

}  // namespace

bool ParseUInt64(std::wstring_view text, ULONGLONG& out, int base) {
  return Parse(text, std::numeric_limits<ULONGLONG>::max(), out, base);
}

bool ParseUInt(std::wstring_view text, DWORD& out, int base) {
  ULONGLONG value = 0;
  if (!Parse(text, std::numeric_limits<DWORD>::max(), value, base)) return false;
  out = static_cast<DWORD>(value);
  return true;
}

bool ParseUInt64(const wchar_t* text, ULONGLONG& out, int base) {
  return text && ParseUInt64(std::wstring_view(text), out, base);
}

bool ParseUInt(const wchar_t* text, DWORD& out, int base) {
  return text && ParseUInt(std::wstring_view(text), out, base);
}
