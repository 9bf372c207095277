#include "platform/host_name.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace platform {
namespace {

// Host names are ASCII in practice, but the kernel accepts any bytes; decode UTF-8 and replace
// what is not valid, so that the name can always be written into a document.
std::wstring WideFromUtf8(std::string_view bytes) {
  std::wstring out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    std::size_t extra = 0;
    char32_t code = lead;
    char32_t min = 0;
    if (lead < 0x80) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, code = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, code = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, code = lead & 0x07, min = 0x10000;
    }
    std::size_t used = 1;
    while (used <= extra && i + used < bytes.size() &&
           (static_cast<unsigned char>(bytes[i + used]) & 0xC0) == 0x80) {
      code = (code << 6) | (static_cast<unsigned char>(bytes[i + used]) & 0x3F);
      ++used;
    }
    const bool valid = extra > 0 && used == extra + 1 && code >= min && code <= 0x10FFFF &&
                       (code < 0xD800 || code > 0xDFFF);
    out.push_back(valid ? static_cast<wchar_t>(code) : L'\uFFFD');
    i += valid ? used : 1;
  }
  return out;
}

}  // namespace

bool HostName(std::wstring& name) {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  name = WideFromUtf8(buffer);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace platform
