#include "platform/environment.h"

#include <cstdlib>

#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"

namespace platform {

bool GetEnvironmentVariable(std::wstring_view name, std::wstring& out) {
  std::string native;
  const char* value = nullptr;
  if (!name.empty() && name.find(L'=') == std::wstring_view::npos &&
      FileNameFromWide(name, native)) {
    value = std::getenv(native.c_str());
  }
  if (value == nullptr) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return false;
  }
  out = FileNameToWide(value);
  return true;
}

}  // namespace platform

namespace platform {

std::wstring ExpandEnvironmentText(std::wstring_view text) {
  const DWORD kept = LastError();  // an unset variable is no failure of the expansion
  std::wstring out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find(L'%', pos);
    const std::size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    out.append(text.substr(pos, open - pos));
    std::wstring value;
    if (GetEnvironmentVariable(text.substr(open + 1, close - open - 1), value)) {
      out += value;
    } else {
      out.append(text.substr(open, close - open + 1));
    }
    pos = close + 1;
  }
  out.append(text.substr(pos));
  SetLastError(kept);
  return out;
}

}  // namespace platform
