#include "platform/text_encoding.h"

#include <array>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/utf8.h"

namespace platform {
namespace {

// Windows-1252 characters of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool EncodeChar1252(wchar_t c, char& out) {
  if ((c >= 0 && c < 0x80) || (c >= 0xA0 && c <= 0xFF)) {
    out = static_cast<char>(c);
    return true;
  }
  for (size_t i = 0; i < kHigh1252.size(); ++i) {
    if (static_cast<wchar_t>(kHigh1252[i]) == c) {
      out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

bool Fail(DWORD code) {
  SetLastError(code);
  return false;
}

bool IsUtf8(UINT code_page) { return code_page == CP_UTF8; }
bool Is1252(UINT code_page) { return code_page == CP_ACP || code_page == CP_WINDOWS_1252; }

}  // namespace

bool DecodeText(std::string_view bytes, UINT code_page, DWORD flags, std::wstring& out) {
  out.clear();
  if (IsUtf8(code_page)) {
    const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    if (DecodeUtf8(bytes, strict ? Utf8Decoding::kStrict : Utf8Decoding::kReplace, out)) {
      return true;
    }
    return Fail(ERROR_NO_UNICODE_TRANSLATION);
  }
  if (!Is1252(code_page)) return Fail(ERROR_INVALID_PARAMETER);
  out.resize(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[i] = b >= 0x80 && b < 0xA0 ? static_cast<wchar_t>(kHigh1252[b - 0x80]) : b;
  }
  return true;
}

bool EncodeText(std::wstring_view text, UINT code_page, DWORD flags, const char* default_char,
                bool* used_default, std::string& out) {
  out.clear();
  if (IsUtf8(code_page)) {
    if (default_char != nullptr || used_default != nullptr) return Fail(ERROR_INVALID_PARAMETER);
    const bool strict = (flags & WC_ERR_INVALID_CHARS) != 0;
    if (EncodeUtf8(text, strict ? Utf8Encoding::kStrict : Utf8Encoding::kCarrySurrogates, out)) {
      return true;
    }
    return Fail(ERROR_NO_UNICODE_TRANSLATION);
  }
  if (!Is1252(code_page)) return Fail(ERROR_INVALID_PARAMETER);
  const char fallback = default_char != nullptr ? *default_char : '?';
  bool defaulted = false;
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (!EncodeChar1252(text[i], out[i])) {
      out[i] = fallback;
      defaulted = true;
    }
  }
  if (used_default != nullptr) *used_default = defaulted;
  return true;
}

std::wstring FromUtf16(std::u16string_view units) {
  std::wstring text;
  text.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      text += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      text += static_cast<wchar_t>(u);
    }
  }
  return text;
}

std::u16string ToUtf16(std::wstring_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (const wchar_t wc : text) {
    const auto c = static_cast<char32_t>(wc);
    if (c < 0x10000) {
      units += static_cast<char16_t>(c);
    } else if (c <= 0x10FFFF) {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units += u'\xFFFD';
    }
  }
  return units;
}

std::wstring DecodeUtf16(std::string_view bytes, ByteOrder order) {
  std::u16string units(bytes.size() / 2, u'\0');
  const size_t high = order == ByteOrder::kBigEndian ? 0 : 1;
  for (size_t i = 0; i < units.size(); ++i) {
    const auto hi = static_cast<unsigned char>(bytes[2 * i + high]);
    const auto lo = static_cast<unsigned char>(bytes[2 * i + 1 - high]);
    units[i] = static_cast<char16_t>((hi << 8) | lo);
  }
  return FromUtf16(units);
}

std::string EncodeUtf16(std::wstring_view text, ByteOrder order) {
  const std::u16string units = ToUtf16(text);
  std::string bytes(units.size() * 2, '\0');
  const size_t high = order == ByteOrder::kBigEndian ? 0 : 1;
  for (size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i + high] = static_cast<char>(units[i] >> 8);
    bytes[2 * i + 1 - high] = static_cast<char>(units[i] & 0xFF);
  }
  return bytes;
}

}  // namespace platform
