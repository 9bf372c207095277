// The current directory, absolute paths and the attributes of a path, in wide text. Paths use '/'
// and are converted to and from the system's bytes losslessly (file_name_text.h). Callable from any
// thread; the current directory is process-wide, so a thread that changes it affects the others.
// Failures return false, set the last error and leave `out` unchanged.
#pragma once
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

// The process's current directory, without a trailing '/' (except for "/" itself).
[[nodiscard]] bool CurrentDirectory(std::wstring& out);

// The absolute form of path: a relative path is taken from the current directory, then "." and
// ".." components and repeated '/' are resolved textually ("/a/b/../c" is "/a/c"; ".." at the root
// stays there). Symbolic links are not resolved and nothing needs to exist. A trailing '/' is kept.
// An empty path, or one holding U+0000, fails with ERROR_INVALID_NAME.
[[nodiscard]] bool FullPath(std::wstring_view path, std::wstring& out);

// The Windows attributes of the item at path, from lstat (a symbolic link describes itself):
// FILE_ATTRIBUTE_DIRECTORY, _READONLY (no owner write permission; never for links), _HIDDEN (the
// last name begins with '.', but not "." or ".."), _REPARSE_POINT (a symbolic link); 0 for a
// plain writable file. A missing item fails with ERROR_FILE_NOT_FOUND, a missing or non-directory
// parent with ERROR_PATH_NOT_FOUND, others as errno says.
[[nodiscard]] bool PathAttributes(std::wstring_view path, DWORD& out);

// Whether path names a directory, following symbolic links (a directory given through a link is
// the directory it points to). False with the Windows error code as last error: ERROR_DIRECTORY
// for an item that is no directory.
[[nodiscard]] bool IsDirectoryFollowingLinks(std::wstring_view path);

// The path the current directory had when it has been deleted since (the kernel keeps the last
// path with " (deleted)" after it); empty while the current directory exists.
[[nodiscard]] std::wstring DeletedCurrentDirectory();

}  // namespace platform
