// How the command line writes wide text (paths, notes, messages) as bytes: always UTF-8, with the
// characters that would break a line-oriented or JSON reader escaped. Pure functions, any thread.
#pragma once
#include <string>
#include <string_view>

// For the tab-separated text output and for messages: UTF-8, except
//   '\\' -> \\      tab -> \t      line feed -> \n      carriage return -> \r
//   other C0 controls and DEL -> \xNN (the byte itself)
//   C1 controls U+0080..U+009F -> \uNNNN (the character)
//   a byte of a file name that is not UTF-8 (held as U+DC80..U+DCFF) -> \xNN (that byte)
// so a line never breaks inside a field, and undoing the escapes gives the name's exact bytes.
// Any other surrogate or value above U+10FFFF (no name holds one) becomes U+FFFD.
[[nodiscard]] std::string EscapeText(std::wstring_view text);
// The same escapes, as wide text (every escape is ASCII), for measuring before encoding.
[[nodiscard]] std::wstring EscapeTextWide(std::wstring_view text);
// UTF-8 of text; any surrogate or value above U+10FFFF becomes U+FFFD.
[[nodiscard]] std::string ToUtf8(std::wstring_view text);

// A JSON string literal, quotes included (RFC 8259): '"', '\\' and the C0 controls are escaped
// (\b \f \n \r \t, else \u00XX), as are DEL, U+2028 and U+2029. A name's byte that is not UTF-8
// (U+DC80..U+DCFF), like any other surrogate or value above U+10FFFF, becomes \ufffd, so the
// result is always valid UTF-8 and valid JSON; the text output keeps those bytes exactly.
[[nodiscard]] std::string JsonString(std::wstring_view text);
