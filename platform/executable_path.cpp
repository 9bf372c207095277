#include "platform/executable_path.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace platform {

bool ExecutablePath(std::string& path) {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    // readlink truncates silently; a full buffer may be a cut path, so try a larger one.
    if (static_cast<std::size_t>(length) < buffer.size()) {
      path.assign(buffer.data(), static_cast<std::size_t>(length));
      SetLastError(ERROR_SUCCESS);
      return true;
    }
    if (buffer.size() >= 1 << 20) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform
