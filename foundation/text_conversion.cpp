#include "foundation/text_conversion.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

template <typename Char>
Char* CopyToMalloc(const std::basic_string<Char>& text) {
  auto* copy = static_cast<Char*>(std::malloc((text.size() + 1) * sizeof(Char)));
  if (copy == nullptr) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(copy, text.data(), text.size() * sizeof(Char));
  copy[text.size()] = Char{};
  return copy;
}

}  // namespace

char* WideToMultiByte(const wchar_t* text, int length, UINT code_page, DWORD flags,
                      const char* default_char, bool* used_default) {
  if (text == nullptr) return nullptr;
  const std::wstring_view input(text, length < 0 ? std::wcslen(text) : static_cast<size_t>(length));
  std::string bytes;
  if (!platform::EncodeText(input, code_page, flags, default_char, used_default, bytes)) {
    return nullptr;
  }
  return CopyToMalloc(bytes);
}

wchar_t* MultiByteToWide(const char* text, int length, UINT code_page, DWORD flags) {
  if (text == nullptr) return nullptr;
  const std::string_view input(text, length < 0 ? std::strlen(text) : static_cast<size_t>(length));
  std::wstring wide;
  if (!platform::DecodeText(input, code_page, flags, wide)) return nullptr;
  return CopyToMalloc(wide);
}
