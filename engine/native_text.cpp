#include "engine/native_text.h"

#include <cstdint>

namespace {

// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when it is not valid
// (stray continuation bytes, overlong forms, surrogates, values above U+10FFFF, truncation).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t* out) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) {
    *out = lead;
    return 1;
  }
  std::size_t length;
  char32_t value;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(k) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *out = value;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::wstring WideFromNative(std::string_view native) {
  std::wstring wide;
  wide.reserve(native.size());
  for (std::size_t i = 0; i < native.size();) {
    char32_t c;
    const std::size_t length = DecodeUtf8(native, i, &c);
    if (length == 0) {
      wide += static_cast<wchar_t>(0xDC00 + static_cast<std::uint8_t>(native[i]));
      ++i;
    } else {
      wide += static_cast<wchar_t>(c);
      i += length;
    }
  }
  return wide;
}

std::string NativeFromWide(std::wstring_view wide) {
  std::string native;
  native.reserve(wide.size());
  for (const wchar_t w : wide) {
    const auto c = static_cast<char32_t>(w);
    if (c >= 0xDC80 && c <= 0xDCFF) {
      native += static_cast<char>(c - 0xDC00);
    } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      AppendUtf8(native, 0xFFFD);  // no file name on disk can hold these
    } else {
      AppendUtf8(native, c);
    }
  }
  return native;
}
