#include "platform/host_name.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/utf8.h"

namespace platform {

bool HostName(std::wstring& name) {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  // Host names are ASCII in practice, but the kernel accepts any bytes: what is not UTF-8 is
  // replaced, so that the name can always be written into a document.
  name.clear();
  (void)DecodeUtf8(buffer, Utf8Decoding::kReplace, name);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace platform
