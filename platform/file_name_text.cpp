#include "platform/file_name_text.h"

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/utf8.h"

namespace platform {

std::wstring FileNameToWide(std::string_view bytes) {
  std::wstring text;
  (void)DecodeUtf8(bytes, Utf8Decoding::kEscapeBytes, text);  // cannot fail in this mode
  return text;
}

bool FileNameFromWide(std::wstring_view text, std::string& out) {
  out.clear();
  if (text.find(L'\0') != std::wstring_view::npos) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  if (!EncodeUtf8(text, Utf8Encoding::kUnescapeBytes, out)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return false;
  }
  return true;
}

}  // namespace platform
