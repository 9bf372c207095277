// The per-user registry: keys opened and created by path under seven roots, values of any type
// with their exact bytes, and the error codes the Windows registry gives for the same operations.
//
// Everything lives in one text file in the registry-export layout (registry_store.h says where and
// how it is kept). A key handle names its key by path, so every process sees the others' writes:
// reads use the current file, and every write locks the store, re-reads it, applies the one change
// and replaces the file atomically.
//
// Threads: a RegistryKey belongs to one thread at a time; the functions may be called from any
// thread. Failures return false and leave the Windows error code as the thread's last error;
// output arguments are then left as they were.
#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

// Value types. Any other 32-bit number is a valid type as well; its bytes are kept as they are.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Access rights of a key handle.
inline constexpr DWORD KEY_QUERY_VALUE = 0x0001;
inline constexpr DWORD KEY_SET_VALUE = 0x0002;
inline constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr DWORD KEY_NOTIFY = 0x0010;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;
inline constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

namespace platform {

enum class RegRoot {
  kClassesRoot,
  kCurrentUser,
  kLocalMachine,
  kUsers,
  kPerformanceData,
  kCurrentConfig,
  kDynData,
};

// The root's full name, such as L"HKEY_CURRENT_USER", as the store file writes it.
[[nodiscard]] std::wstring_view RegistryRootName(RegRoot root);

// Looks a root up by any of its three names (L"HKEY_CURRENT_USER", L"HCU", L"HKCU"), ignoring
// letter case; empty when the name is none of them.
[[nodiscard]] std::optional<RegRoot> RegistryRootFromName(std::wstring_view name);

// An open key, or none. A plain value: copies name the same key with the same access. Closing one
// copy does not close the others.
class RegistryKey {
 public:
  RegistryKey() = default;

  // The root's predefined handle: always open, with every access right.
  [[nodiscard]] static RegistryKey Predefined(RegRoot root);

  [[nodiscard]] bool IsOpen() const { return open_; }
  [[nodiscard]] RegRoot Root() const { return root_; }
  // Key names below the root, as the key was opened (letter case of the caller).
  [[nodiscard]] const std::vector<std::wstring>& Path() const { return path_; }
  [[nodiscard]] DWORD Access() const { return access_; }
  [[nodiscard]] bool IsPredefined() const { return predefined_; }

 private:
  friend class RegistryAccess;
  RegRoot root_ = RegRoot::kCurrentUser;
  std::vector<std::wstring> path_;
  DWORD access_ = 0;
  bool open_ = false;
  bool predefined_ = false;
};

struct RegistryValueInfo {
  DWORD type = REG_NONE;
  DWORD size = 0;  // bytes
};

// Opens the existing key at sub_path (names separated by '\') below parent with the given access.
// An empty sub_path opens parent itself anew. Errors: 6 parent not open, 1018 parent's key deleted
// meanwhile, 2 a key on the way is missing, 161 an empty name inside the path, 87 a name the store
// cannot keep (longer than 255 characters, or holding a line break or a zero).
[[nodiscard]] bool OpenRegistryKey(const RegistryKey& parent, std::wstring_view sub_path,
                                   DWORD access, RegistryKey* out);

// As OpenRegistryKey, but creates the keys missing on the way (this needs KEY_CREATE_SUB_KEY on
// parent, else error 5) and sets *created (may be null) when it created at least one. Creating is
// a write: besides the errors above, the store's write errors (5, 19, 33, 112 ...) can come back.
[[nodiscard]] bool CreateRegistryKey(const RegistryKey& parent, std::wstring_view sub_path,
                                     DWORD access, RegistryKey* out, bool* created);

// Closes key: not open gives error 6; afterwards key is none. Closing a predefined root succeeds
// and leaves it open, as Windows does.
bool CloseRegistryKey(RegistryKey* key);

// The type and size of value name (empty: the key's default value). Needs KEY_QUERY_VALUE
// (error 5). Errors: 6 not open, 1018 key deleted, 2 no such value.
[[nodiscard]] bool QueryRegistryValueInfo(const RegistryKey& key, std::wstring_view name,
                                          RegistryValueInfo* info);

// Copies the value's bytes into buffer. On success info holds the type and the bytes copied.
// A buffer smaller than the value fails with error 234 (ERROR_MORE_DATA) and info then holds the
// type and the size needed; nothing is copied. Other errors as QueryRegistryValueInfo.
[[nodiscard]] bool ReadRegistryValue(const RegistryKey& key, std::wstring_view name,
                                     std::span<BYTE> buffer, RegistryValueInfo* info);

// Sets value name (empty: the default value) to type and bytes, creating or replacing it. Needs
// KEY_SET_VALUE (error 5). Errors: 6, 1018, 87 for a name the store cannot keep (longer than
// 16383 characters, or holding a line break or a zero), and the store's write errors.
[[nodiscard]] bool SetRegistryValue(const RegistryKey& key, std::wstring_view name, DWORD type,
                                    std::span<const BYTE> data);

// Removes value name. Needs KEY_SET_VALUE. Errors: 6, 1018, 2 no such value, write errors.
[[nodiscard]] bool DeleteRegistryValue(const RegistryKey& key, std::wstring_view name);

// Removes the key at sub_path below parent, which must have no sub-keys (error 5 otherwise, as
// Windows gives). Errors: 6, 1018, 2 missing, 87 empty sub_path, write errors.
[[nodiscard]] bool DeleteRegistryKey(const RegistryKey& parent, std::wstring_view sub_path);

}  // namespace platform
