#include "foundation/reg_key.h"

#include <span>
#include <string>
#include <vector>

#include "foundation/text_splitting.h"

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

// Values this large are refused rather than read; nothing the program keeps comes close.
constexpr DWORD kMaxValueBuffer = 0x8000000;

std::wstring_view NameOrDefault(const wchar_t* name) { return name ? name : L""; }

}  // namespace

CNRegKey::CNRegKey(const wchar_t* path, DWORD access) {
  if (path) Open(path, access);
}

CNRegKey::~CNRegKey() {
  // Destruction closes, but must not wipe the error of the operation that came before it: a
  // caller whose failed save returns through this destructor still reports the save's code.
  const DWORD kept = platform::LastError();
  Close();
  platform::SetLastError(kept);
}

bool CNRegKey::Record(DWORD code) {
  last_error_ = code;
  platform::SetLastError(code);
  return code == ERROR_SUCCESS;
}

bool CNRegKey::Open(const wchar_t* path, DWORD access) {
  if (!Close()) return false;
  if (!path) return Record(ERROR_INVALID_PARAMETER);
  const CNStringList parts = SplitText(path, L"\\");
  if (parts.IsEmpty()) return Record(ERROR_INVALID_PARAMETER);
  const auto root = platform::RegistryRootFromName(parts.GetHead());
  if (!root) return Record(ERROR_INVALID_PARAMETER);
  const platform::RegistryKey root_key = platform::RegistryKey::Predefined(*root);
  if (parts.GetCount() > 1) {
    const std::wstring rest =
        JoinStrings(parts, L"\\", 1, static_cast<std::ptrdiff_t>(parts.GetCount() - 1));
    return OpenSubkeys(root_key, rest.c_str(), access);
  }
  platform::RegistryKey key;
  if (!platform::OpenRegistryKey(root_key, L"", access, &key)) return Record(platform::LastError());
  handle_ = key;
  access_ = access;
  return Record(ERROR_SUCCESS);
}

bool CNRegKey::OpenSubkeys(const platform::RegistryKey& root, const wchar_t* sub_path,
                           DWORD access) {
  if (!Close()) return false;
  if (!root.IsOpen()) return Record(ERROR_INVALID_PARAMETER);
  platform::RegistryKey working;
  if (!platform::OpenRegistryKey(root, L"", access, &working)) return Record(platform::LastError());
  const std::wstring_view path = NameOrDefault(sub_path);
  if (!path.empty()) {
    const bool create = (access & KEY_CREATE_SUB_KEY) != 0;
    for (const std::wstring& part : SplitText(path, L"\\")) {
      platform::RegistryKey next;
      bool made = false;
      const bool ok = create ? platform::CreateRegistryKey(working, part, access, &next, &made)
                             : platform::OpenRegistryKey(working, part, access, &next);
      const DWORD error = platform::LastError();
      (void)platform::CloseRegistryKey(&working);
      if (!ok) return Record(error);
      created_ = created_ || made;
      working = next;
    }
  }
  handle_ = working;
  access_ = access;
  return Record(ERROR_SUCCESS);
}

bool CNRegKey::Close() {
  if (handle_.IsOpen() && !platform::CloseRegistryKey(&handle_)) {
    return Record(platform::LastError());
  }
  handle_ = platform::RegistryKey();
  access_ = 0;
  created_ = false;
  return Record(ERROR_SUCCESS);
}

bool CNRegKey::QueryValueInfo(const wchar_t* name, DWORD* type, DWORD* size) {
  if (!handle_.IsOpen()) return Record(ERROR_INVALID_HANDLE);
  platform::RegistryValueInfo info;
  if (!platform::QueryRegistryValueInfo(handle_, NameOrDefault(name), &info)) {
    return Record(platform::LastError());
  }
  if (type) *type = info.type;
  if (size) *size = info.size;
  return Record(ERROR_SUCCESS);
}

bool CNRegKey::QueryValue(const wchar_t* name, CNRegData& data) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (!QueryValueInfo(name, &type, &size)) return false;
  DWORD made = 0;
  for (;;) {
    // A value that keeps the size of the buffer it did not fit is growing meanwhile: grow ahead.
    if (size == made) {
      if (made >= kMaxValueBuffer) return Record(ERROR_INVALID_FUNCTION);
      size = made * 2;
    }
    if (!data.Reset(type, size)) return Record(platform::LastError());
    made = size;
    if (size == 0) return Record(ERROR_SUCCESS);
    platform::RegistryValueInfo info;
    if (platform::ReadRegistryValue(handle_, NameOrDefault(name),
                                    std::span<BYTE>(data.GetBytes(), size), &info)) {
      data.SetTypeAndSize(info.type, info.size);
      return Record(ERROR_SUCCESS);
    }
    if (platform::LastError() != ERROR_MORE_DATA) return Record(platform::LastError());
    type = info.type;
    size = info.size;
  }
}

bool CNRegKey::SetValue(const wchar_t* name, const CNRegData& data) {
  if (!handle_.IsOpen()) return Record(ERROR_INVALID_HANDLE);
  const std::span<const BYTE> bytes(data.GetBytes(), data.GetSize());
  if (!platform::SetRegistryValue(handle_, NameOrDefault(name), data.GetType(), bytes)) {
    return Record(platform::LastError());
  }
  return Record(ERROR_SUCCESS);
}
