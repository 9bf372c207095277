// The message text of a Windows error code, as message boxes and status notes show it.
// Callable from any thread; leaves the last error as it was.
#pragma once
#include <string>

#include "platform/win_types.h"

// Passed as the code: use the calling thread's last error.
inline constexpr DWORD kUseLastError = 0xFFFFFFFF;

// The system's text for code, trimmed of surrounding blanks and line breaks. With with_number, or
// when the system has no text ("Unknown system error"), "Error <code>: " comes first; with
// append_line_break, "\r\n" comes last. FormatSystemError(2, true, true) is
// "Error 2: The system cannot find the file specified.\r\n".
[[nodiscard]] std::wstring FormatSystemError(DWORD code, bool with_number = false,
                                             bool append_line_break = false);
