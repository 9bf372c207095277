// Native (byte) file names and paths as wide text and back, losslessly: valid UTF-8 becomes its
// characters, every byte that is not part of valid UTF-8 becomes U+DC80..U+DCFF (0x80..0xFF), and
// the reverse restores the exact bytes. Names that are not UTF-8 thus match the same file again.
// Thread-safe, no locale involved.
#pragma once
#include <string>
#include <string_view>

[[nodiscard]] std::wstring WideFromNative(std::string_view native);
[[nodiscard]] std::string NativeFromWide(std::wstring_view wide);
