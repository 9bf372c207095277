#include "platform/utf8.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Length of the well-formed sequence that starts at bytes[at], with its value; or 0 and the length
// of the maximal ill-formed subpart in `bad`. Surrogate values count as well-formed only when
// allow_surrogates is set.
size_t ReadSequence(std::string_view bytes, size_t at, bool allow_surrogates, char32_t& value,
                    size_t& bad) {
  const auto b0 = static_cast<unsigned char>(bytes[at]);
  if (b0 < 0x80) {
    value = b0;
    return 1;
  }
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    value = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    value = b0 & 0x0F;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED && !allow_surrogates) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    value = b0 & 0x07;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    bad = 1;
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    if (at + i >= bytes.size()) {
      bad = i;
      return 0;
    }
    const auto b = static_cast<unsigned char>(bytes[at + i]);
    const bool fits = i == 1 ? (b >= low && b <= high) : IsContinuation(b);
    if (!fits) {
      bad = i;
      return 0;
    }
    value = (value << 6) | (b & 0x3F);
  }
  return length;
}

}  // namespace

bool DecodeUtf8(std::string_view bytes, Utf8Decoding mode, std::wstring& out) {
  out.reserve(out.size() + bytes.size());
  const bool allow_surrogates = mode == Utf8Decoding::kReplace;
  size_t at = 0;
  while (at < bytes.size()) {
    // Runs of ASCII are the common case: copy them without the sequence machinery.
    const auto b = static_cast<unsigned char>(bytes[at]);
    if (b < 0x80) {
      out += static_cast<wchar_t>(b);
      ++at;
      continue;
    }
    char32_t value = 0;
    size_t bad = 0;
    const size_t length = ReadSequence(bytes, at, allow_surrogates, value, bad);
    if (length != 0) {
      out += static_cast<wchar_t>(value);
      at += length;
      continue;
    }
    switch (mode) {
      case Utf8Decoding::kStrict:
        return false;
      case Utf8Decoding::kReplace:
        out += static_cast<wchar_t>(kReplacement);
        break;
      case Utf8Decoding::kEscapeBytes:
        for (size_t i = 0; i < bad; ++i) {
          out += static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(bytes[at + i]));
        }
        break;
    }
    at += bad;
  }
  return true;
}

bool EncodeUtf8(std::wstring_view text, Utf8Encoding mode, std::string& out) {
  out.reserve(out.size() + text.size());
  for (const wchar_t wc : text) {
    const auto c = static_cast<char32_t>(wc);
    if (c < 0x80) {
      if (c == 0 && mode == Utf8Encoding::kUnescapeBytes) return false;
      out += static_cast<char>(c);
      continue;
    }
    const bool beyond = c > 0x10FFFF;
    if (!beyond && !IsSurrogate(c)) {
      AppendUtf8(out, c);
      continue;
    }
    switch (mode) {
      case Utf8Encoding::kStrict:
        return false;
      case Utf8Encoding::kCarrySurrogates:
        AppendUtf8(out, beyond ? kReplacement : c);
        break;
      case Utf8Encoding::kUnescapeBytes:
        if (c < 0xDC80 || c > 0xDCFF) return false;
        out += static_cast<char>(c - 0xDC00);
        break;
    }
  }
  return true;
}

}  // namespace platform
