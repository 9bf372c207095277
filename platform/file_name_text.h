// File names between the bytes Linux stores and the wide text the program works in. Linux names
// are any bytes but '/' and NUL; they need not be UTF-8. The mapping is lossless both ways:
//
//   bytes -> wide: well-formed UTF-8 decodes as usual; every byte of an ill-formed sequence 0xXY
//                  becomes the lone surrogate U+DCXY (only 0x80..0xFF can occur).
//   wide -> bytes: UTF-8, except that U+DC80..U+DCFF become the byte they stand for.
//
// Well-formed UTF-8 never decodes to a surrogate, so FileNameFromWide(FileNameToWide(b)) == b for
// every byte string b, and distinct names stay distinct. Pure functions, any thread.
#pragma once
#include <string>
#include <string_view>

namespace platform {

[[nodiscard]] std::wstring FileNameToWide(std::string_view bytes);

// False with ERROR_NO_UNICODE_TRANSLATION when the text holds a character no name can contain: a
// surrogate outside U+DC80..U+DCFF or a value above U+10FFFF; with ERROR_INVALID_NAME for U+0000
// (the system would cut the name there). `out` is unspecified after false.
[[nodiscard]] bool FileNameFromWide(std::wstring_view text, std::string& out);

}  // namespace platform
