// Path text: the current directory, absolute paths, directory and name parts, trailing
// separators, existence and attributes. Paths are wide text with '/' as the separator; names that
// are not UTF-8 arrive escaped (platform/file_name_text.h) and work like any other. Callable from
// any thread; the current directory is process-wide. Failures return false (or an empty text) and
// leave the system's last error; nothing shows a message.
#pragma once
#include <string>
#include <string_view>

#include "platform/win_types.h"

// The path separator in memory.
inline constexpr wchar_t kPathSeparator = L'/';

// The longest current directory or full path handed out, in characters; a longer one fails with
// ERROR_INSUFFICIENT_BUFFER.
inline constexpr size_t kMaxPathChars = 4095;

// The current directory; with another separator than '/', every '/' is replaced by it.
[[nodiscard]] bool GetCurrentDir(std::wstring& dir, wchar_t separator = kPathSeparator);
// The current directory, or fallback when it cannot be read.
[[nodiscard]] std::wstring GetCurrentDirOr(std::wstring_view fallback,
                                           wchar_t separator = kPathSeparator);

// The absolute form of path ("." and ".." resolved textually, links not followed, a trailing '/'
// kept); with another separator than '/', every '/' is replaced by it.
[[nodiscard]] bool GetFullPath(std::wstring_view path, std::wstring& full,
                               wchar_t separator = kPathSeparator);

// Makes path absolute in place; it becomes empty when that fails. An empty path stays empty.
std::wstring& MakeAbsolute(std::wstring& path);

// True when the item exists (symbolic links count themselves, dangling or not); its attributes go
// to *attributes when given. An empty path is false without asking the system.
[[nodiscard]] bool PathExists(std::wstring_view path, DWORD* attributes = nullptr);

// A copy of text with ch appended (add) or removed (!add) at the end when needed; an empty text is
// returned unchanged either way.
[[nodiscard]] std::wstring SetTrailingChar(std::wstring_view text, bool add, wchar_t ch);

// Everything up to and including the last '/'; empty when there is none.
[[nodiscard]] std::wstring PathDirPart(std::wstring_view path);
// Everything after the last '/'; the whole path when there is none.
[[nodiscard]] std::wstring PathNamePart(std::wstring_view path);

// Puts path's name into directory ('/' added when missing), made absolute; path is empty when
// that fails.
void ReplaceDirPart(std::wstring& path, std::wstring_view directory);
