// Wide text to narrow text of a code page and back, in C-style buffers allocated with malloc (the
// caller releases them with free): the form the lookup keys and the text builder keep. Code pages:
// CP_ACP / 1252 (Windows-1252) and CP_UTF8; the flags and failure modes are those of
// platform/text_encoding.h. Callable from any thread.
#pragma once
#include "platform/text_encoding.h"
#include "platform/win_types.h"

// Converts length characters of text (a negative length: up to its terminator) to the code page.
// The result is zero-terminated after the converted bytes; an empty input gives a new empty
// string. Null for a null text or a failed conversion (the last error says why).
[[nodiscard]] char* WideToMultiByte(const wchar_t* text, int length, UINT code_page, DWORD flags,
                                    const char* default_char = nullptr,
                                    bool* used_default = nullptr);

// The mirror image: length bytes (negative: up to the terminator) to a new wide string.
[[nodiscard]] wchar_t* MultiByteToWide(const char* text, int length, UINT code_page, DWORD flags);
