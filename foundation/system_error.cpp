#include "foundation/system_error.h"

#include "platform/error_text.h"
#include "platform/last_error.h"

std::wstring FormatSystemError(DWORD code, bool with_number, bool append_line_break) {
  if (code == kUseLastError) code = platform::LastError();
  std::wstring text = platform::SystemErrorText(code);
  constexpr std::wstring_view kTrimmed = L"\b\t\n\v\r ";
  const size_t first = text.find_first_not_of(kTrimmed);
  text = first == std::wstring::npos
             ? std::wstring()
             : text.substr(first, text.find_last_not_of(kTrimmed) - first + 1);
  const bool found = !text.empty();
  if (!found) text = L"Unknown system error";
  if (!found || with_number) text = L"Error " + std::to_wstring(code) + L": " + text;
  if (append_line_break) text += L"\r\n";
  return text;
}
