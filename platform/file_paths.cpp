#include "platform/file_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "platform/stat_attributes.h"

namespace platform {
namespace {

bool Fail(DWORD code) {
  SetLastError(code);
  return false;
}

// The last component of a path, ignoring trailing '/'.
std::string_view LastName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Whether the directory that would hold path exists.
bool ParentIsDirectory(const std::string& path) {
  std::string_view trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.remove_suffix(1);
  const size_t slash = trimmed.rfind('/');
  const std::string parent = slash == std::string_view::npos
                                 ? "."
                                 : std::string(trimmed.substr(0, slash == 0 ? 1 : slash));
  struct stat st {};
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool CurrentDirectory(std::wstring& out) {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    buffer.resize(buffer.size() * 2);
  }
  out = FileNameToWide(buffer.data());
  return true;
}

bool FullPath(std::wstring_view path, std::wstring& out) {
  if (path.empty() || path.find(L'\0') != std::wstring_view::npos) return Fail(ERROR_INVALID_NAME);
  std::wstring joined;
  if (path.front() != L'/') {
    if (!CurrentDirectory(joined)) return false;
    joined += L'/';
  }
  joined += path;

  std::vector<std::wstring_view> parts;
  const std::wstring_view whole = joined;
  for (size_t at = 0; at <= whole.size();) {
    size_t end = whole.find(L'/', at);
    if (end == std::wstring_view::npos) end = whole.size();
    const std::wstring_view part = whole.substr(at, end - at);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::wstring result;
  for (const auto part : parts) {
    result += L'/';
    result += part;
  }
  if (result.empty() || path.back() == L'/') result += L'/';
  out = std::move(result);
  return true;
}

bool PathAttributes(std::wstring_view path, DWORD& out) {
  std::string native;
  if (!FileNameFromWide(path, native)) return false;
  if (native.empty()) return Fail(ERROR_FILE_NOT_FOUND);
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) {
    const int err = errno;
    if (err == ENOENT && !ParentIsDirectory(native)) return Fail(ERROR_PATH_NOT_FOUND);
    SetLastErrorFromErrno(err);
    return false;
  }
  out = AttributesFromStat(LastName(native), st);
  return true;
}

bool IsDirectoryFollowingLinks(std::wstring_view path) {
  std::string native;
  if (!FileNameFromWide(path, native)) return false;
  struct stat info {};
  if (stat(native.c_str(), &info) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  if (!S_ISDIR(info.st_mode)) return Fail(ERROR_DIRECTORY);
  return true;
}

std::wstring DeletedCurrentDirectory() {
  char current[4096];
  if (getcwd(current, sizeof current) != nullptr || errno != ENOENT) return {};
  char former[4096];
  const ssize_t length = readlink("/proc/self/cwd", former, sizeof former);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof former) return {};
  return FileNameToWide(std::string_view(former, static_cast<std::size_t>(length)));
}

}  // namespace platform
