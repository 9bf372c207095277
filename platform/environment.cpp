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
