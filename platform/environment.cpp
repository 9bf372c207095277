#include "platform/environment.h"

#include <cstdlib>

#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "platform/utf8.h"

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

std::wstring ExpandEnvironmentText(std::wstring_view text) {
  std::wstring out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find(L'%', pos);
    const std::size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    out.append(text.substr(pos, open - pos));
    const std::wstring_view name = text.substr(open + 1, close - open - 1);
    std::string narrow;
    const char* value = nullptr;
    if (!name.empty() && EncodeUtf8(name, Utf8Encoding::kStrict, narrow) &&
        narrow.find('=') == std::string::npos) {
      value = std::getenv(narrow.c_str());
    }
    if (value) {
      (void)DecodeUtf8(value, Utf8Decoding::kEscapeBytes, out);
    } else {
      out.append(text.substr(open, close - open + 1));
    }
    pos = close + 1;
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace platform
