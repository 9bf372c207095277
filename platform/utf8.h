// The UTF-8 codec under the code-page conversions and the file-name conversions. Wide text is
// UTF-32 (wchar_t); a lone UTF-16 surrogate value (U+D800..U+DFFF) may occur in it, because file
// names that are not valid UTF-8 carry their stray bytes as U+DC80..U+DCFF (see file_name_text.h).
// Pure functions, callable from any thread.
#pragma once
#include <string>
#include <string_view>

namespace platform {

enum class Utf8Decoding {
  // Any ill-formed sequence fails the conversion.
  kStrict,
  // Each maximal ill-formed subpart becomes U+FFFD; the three-byte form of a surrogate value
  // (ED A0..BF xx, as kCarrySurrogates writes it) gives that lone surrogate back.
  kReplace,
  // Each byte of an ill-formed sequence becomes U+DC00 + byte (U+DC80..U+DCFF); well-formed UTF-8
  // never decodes to those values, so the mapping can be undone exactly.
  kEscapeBytes,
};

enum class Utf8Encoding {
  // A surrogate value or a value above U+10FFFF fails the conversion.
  kStrict,
  // A surrogate value is written in its three-byte form (ED A0..BF xx) so that kReplace reads it
  // back; a value above U+10FFFF becomes U+FFFD.
  kCarrySurrogates,
  // U+DC80..U+DCFF become the single byte they stand for; any other surrogate value, a value
  // above U+10FFFF and U+0000 fail.
  kUnescapeBytes,
};

// Writes the UTF-8 form of code (at most U+10FFFF; a surrogate value gets its three-byte form) at
// `at`, which must have room for 4 bytes, and returns the position after it. The one encoder of a
// character: inline, because the document writer calls it for every character it writes.
inline char* PutUtf8(char* at, char32_t code) {
  if (code < 0x80) {
    *at++ = static_cast<char>(code);
    return at;
  }
  if (code < 0x800) {
    *at++ = static_cast<char>(0xC0 | (code >> 6));
  } else if (code < 0x10000) {
    *at++ = static_cast<char>(0xE0 | (code >> 12));
    *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  } else {
    *at++ = static_cast<char>(0xF0 | (code >> 18));
    *at++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  *at++ = static_cast<char>(0x80 | (code & 0x3F));
  return at;
}

// Appends the UTF-8 form of code to out, as PutUtf8 writes it.
inline void AppendUtf8(std::string& out, char32_t code) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(PutUtf8(bytes, code) - bytes));
}

// Appends the decoded text to out. False when kStrict meets an ill-formed sequence; out then holds
// an unspecified prefix. Never fails in the other modes.
[[nodiscard]] bool DecodeUtf8(std::string_view bytes, Utf8Decoding mode, std::wstring& out);

// Appends the encoded bytes to out. False when the mode rejects a character; out then holds an
// unspecified prefix. kCarrySurrogates never fails.
[[nodiscard]] bool EncodeUtf8(std::wstring_view text, Utf8Encoding mode, std::string& out);

}  // namespace platform
