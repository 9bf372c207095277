// Conversions between wide text (UTF-32 wchar_t) and the byte encodings the program reads and
// writes: the "ANSI" code page (Windows-1252 in this build), UTF-8 and UTF-16. Pure functions,
// callable from any thread. Failures return false, set the last error and leave `out` unspecified.
#pragma once
#include <string>
#include <string_view>

#include "platform/win_types.h"

// Code pages.
inline constexpr UINT CP_ACP = 0;  // the system's ANSI code page: 1252 here
inline constexpr UINT CP_WINDOWS_1252 = 1252;
inline constexpr UINT CP_UTF8 = 65001;

// Conversion flags.
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;   // decoding: ill-formed input fails
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;   // UTF-8 encoding: lone surrogates fail
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;  // accepted; no best fit is ever made

namespace platform {

// Bytes of a code page to wide text.
// - 1252: every byte has a character; the five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F,
//   0x90, 0x9D) become the C1 controls of the same value, as on Windows, so any byte string
//   survives a round trip.
// - UTF-8: ill-formed input fails with ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS and
//   otherwise becomes U+FFFD per ill-formed subpart. The three-byte form of a surrogate value,
//   which EncodeText writes for the escaped bytes of a file name, decodes to that surrogate.
// Another code page fails with ERROR_INVALID_PARAMETER.
[[nodiscard]] bool DecodeText(std::string_view bytes, UINT code_page, DWORD flags,
                              std::wstring& out);

// Wide text to bytes of a code page.
// - 1252: a character the code page lacks becomes default_char ('?' when null) and sets
//   *used_default (when given); no best-fit replacement is made.
// - UTF-8: default_char and used_default must be null (else ERROR_INVALID_PARAMETER). A lone
//   surrogate fails with ERROR_NO_UNICODE_TRANSLATION under WC_ERR_INVALID_CHARS; otherwise it is
//   written in its three-byte form so that DecodeText restores it (a file name's escaped bytes
//   survive the document file). A value above U+10FFFF becomes U+FFFD.
// Another code page fails with ERROR_INVALID_PARAMETER.
[[nodiscard]] bool EncodeText(std::wstring_view text, UINT code_page, DWORD flags,
                              const char* default_char, bool* used_default, std::string& out);

// UTF-16 code units: surrogate pairs join into one character, lone surrogates are kept as they
// are (never fails). The other way, characters above U+FFFF become pairs, lone surrogates stay
// single units and values above U+10FFFF become U+FFFD.
[[nodiscard]] std::wstring FromUtf16(std::u16string_view units);
[[nodiscard]] std::u16string ToUtf16(std::wstring_view text);

enum class ByteOrder { kLittleEndian, kBigEndian };

// UTF-16 bytes (no byte order mark is added or removed) to wide text; an odd last byte is ignored.
[[nodiscard]] std::wstring DecodeUtf16(std::string_view bytes, ByteOrder order);
[[nodiscard]] std::string EncodeUtf16(std::wstring_view text, ByteOrder order);

}  // namespace platform
