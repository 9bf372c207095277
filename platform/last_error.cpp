#include "platform/last_error.h"

#include <cerrno>

#include "platform/error_codes.h"

namespace platform {
namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
}

DWORD LastError() { return t_last_error; }

void SetLastError(DWORD code) { t_last_error = code; }

DWORD ErrorFromErrno(int err, ErrnoUse use) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EIO:
      return use == ErrnoUse::kRead ? ERROR_READ_FAULT : ERROR_IO_DEVICE;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ERROR_DISK_FULL;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EAGAIN:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOTSUP:
      return ERROR_NOT_SUPPORTED;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case ETIMEDOUT:
      return ERROR_WAIT_TIMEOUT;
    case EILSEQ:
      return ERROR_NO_UNICODE_TRANSLATION;
    case ENXIO:
    case ENODEV:
      return ERROR_NOT_READY;
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

DWORD SetLastErrorFromErrno(int err, ErrnoUse use) {
  const DWORD code = ErrorFromErrno(err, use);
  SetLastError(code);
  return code;
}

}  // namespace platform
