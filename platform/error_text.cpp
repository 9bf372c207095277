#include "platform/error_text.h"

#include <algorithm>
#include <iterator>

#include "platform/error_codes.h"

namespace platform {
namespace {

struct ErrorText {
  DWORD code;
  const wchar_t* text;
};

// Sorted by code. Every code of error_codes.h has its text here (a test checks it).
constexpr ErrorText kTexts[] = {
    {ERROR_SUCCESS, L"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, L"Incorrect function."},
    {ERROR_FILE_NOT_FOUND, L"The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, L"The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, L"The system cannot open the file."},
    {ERROR_ACCESS_DENIED, L"Access is denied."},
    {ERROR_INVALID_HANDLE, L"The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY,
     L"Not enough memory resources are available to process this command."},
    {ERROR_INVALID_DATA, L"The data is invalid."},
    {ERROR_OUTOFMEMORY, L"Not enough memory resources are available to complete this operation."},
    {ERROR_NO_MORE_FILES, L"There are no more files."},
    {ERROR_WRITE_PROTECT, L"The media is write protected."},
    {ERROR_NOT_READY, L"The device is not ready."},
    {ERROR_WRITE_FAULT, L"The system cannot write to the specified device."},
    {ERROR_READ_FAULT, L"The system cannot read from the specified device."},
    {ERROR_SHARING_VIOLATION,
     L"The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION,
     L"The process cannot access the file because another process has locked a portion of the "
     L"file."},
    {ERROR_HANDLE_EOF, L"Reached the end of the file."},
    {ERROR_NOT_SUPPORTED, L"The request is not supported."},
    {ERROR_FILE_EXISTS, L"The file exists."},
    {ERROR_INVALID_PARAMETER, L"The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, L"The pipe has been ended."},
    {ERROR_DISK_FULL, L"There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, L"The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, L"The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_DIR_NOT_EMPTY, L"The directory is not empty."},
    {ERROR_BUSY, L"The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, L"Cannot create a file when that file already exists."},
    {ERROR_ENVVAR_NOT_FOUND, L"The system could not find the environment option that was entered."},
    {ERROR_FILENAME_EXCED_RANGE, L"The filename or extension is too long."},
    {ERROR_MORE_DATA, L"More data is available."},
    {ERROR_WAIT_TIMEOUT, L"The wait operation timed out."},
    {ERROR_NO_MORE_ITEMS, L"No more data is available."},
    {ERROR_DIRECTORY, L"The directory name is invalid."},
    {ERROR_BADDB, L"The configuration registry database is corrupt."},
    {ERROR_BADKEY, L"The configuration registry key is invalid."},
    {ERROR_CANTOPEN, L"The configuration registry key could not be opened."},
    {ERROR_CANTREAD, L"The configuration registry key could not be read."},
    {ERROR_CANTWRITE, L"The configuration registry key could not be written."},
    {ERROR_KEY_DELETED,
     L"Illegal operation attempted on a registry key that has been marked for deletion."},
    {ERROR_NO_UNICODE_TRANSLATION,
     L"No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_IO_DEVICE, L"The request could not be performed because of an I/O device error."},
    {ERROR_CANCELLED, L"The operation was canceled by the user."},
    {ERROR_CANT_RESOLVE_FILENAME, L"The name of the file cannot be resolved by the system."},
};

static_assert(std::is_sorted(std::begin(kTexts), std::end(kTexts),
                             [](const ErrorText& a, const ErrorText& b) {
                               return a.code < b.code;
                             }),
              "kTexts must stay sorted by code");

}  // namespace

std::wstring SystemErrorText(DWORD code) {
  const auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                                   [](const ErrorText& e, DWORD c) { return e.code < c; });
  if (it == std::end(kTexts) || it->code != code) return {};
  return it->text;
}

}  // namespace platform
