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

// Appends the decoded text to out. False when kStrict meets an ill-formed sequence; out then holds
// an unspecified prefix. Never fails in the other modes.
[[nodiscard]] bool DecodeUtf8(std::string_view bytes, Utf8Decoding mode, std::wstring& out);

// Appends the encoded bytes to out. False when the mode rejects a character; out then holds an
// unspecified prefix. kCarrySurrogates never fails.
[[nodiscard]] bool EncodeUtf8(std::wstring_view text, Utf8Encoding mode, std::string& out);

}  // namespace platform
