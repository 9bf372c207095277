#include "foundation/paths.h"

#include <algorithm>

#include "platform/error_codes.h"
#include "platform/file_paths.h"
#include "platform/last_error.h"

namespace {

// Applies the length limit and the separator to a path the platform produced.
bool HandOut(std::wstring&& path, wchar_t separator, std::wstring& out) {
  if (path.size() > kMaxPathChars) {
    platform::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  if (separator != kPathSeparator)
    std::replace(path.begin(), path.end(), kPathSeparator, separator);
  out = std::move(path);
  return true;
}

}  // namespace

bool GetCurrentDir(std::wstring& dir, wchar_t separator) {
  std::wstring current;
  return platform::CurrentDirectory(current) && HandOut(std::move(current), separator, dir);
}

std::wstring GetCurrentDirOr(std::wstring_view fallback, wchar_t separator) {
  std::wstring dir;
  return GetCurrentDir(dir, separator) ? dir : std::wstring(fallback);
}

bool GetFullPath(std::wstring_view path, std::wstring& full, wchar_t separator) {
  std::wstring absolute;
  return platform::FullPath(path, absolute) && HandOut(std::move(absolute), separator, full);
}

std::wstring& MakeAbsolute(std::wstring& path) {
  if (path.empty()) return path;
  std::wstring full;
  if (GetFullPath(path, full)) {
    path = std::move(full);
  } else {
    path.clear();
  }
  return path;
}

bool PathExists(std::wstring_view path, DWORD* attributes) {
  if (path.empty()) return false;
  DWORD found = 0;
  if (!platform::PathAttributes(path, found)) return false;
  if (attributes != nullptr) *attributes = found;
  return true;
}

std::wstring SetTrailingChar(std::wstring_view text, bool add, wchar_t ch) {
  std::wstring result(text);
  if (result.empty()) return result;
  if (add && result.back() != ch) {
    result += ch;
  } else if (!add && result.back() == ch) {
    result.pop_back();
  }
  return result;
}

std::wstring PathDirPart(std::wstring_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  return slash == std::wstring_view::npos ? std::wstring()
                                          : std::wstring(path.substr(0, slash + 1));
}

std::wstring PathNamePart(std::wstring_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

void ReplaceDirPart(std::wstring& path, std::wstring_view directory) {
  std::wstring result(directory);
  if (!result.empty() && result.back() != kPathSeparator) result += kPathSeparator;
  result += PathNamePart(path);
  path = std::move(result);
  MakeAbsolute(path);
}
