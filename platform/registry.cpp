#include "platform/registry.h"

#include <array>
#include <utility>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/registry_store.h"
#include "platform/registry_text.h"
#include "platform/registry_tree.h"

namespace platform {

using registry_detail::FoldName;
using registry_detail::ModifyRegistry;
using registry_detail::ReadRegistry;
using registry_detail::RegistryTree;
using registry_detail::RegKeyNode;

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

struct RootNames {
  RegRoot root;
  std::array<std::wstring_view, 3> names;  // the full name first
};

constexpr RootNames kRootNames[] = {
    {RegRoot::kClassesRoot, {L"HKEY_CLASSES_ROOT", L"HCR", L"HKCR"}},
    {RegRoot::kCurrentConfig, {L"HKEY_CURRENT_CONFIG", L"HCC", L"HKCC"}},
    {RegRoot::kCurrentUser, {L"HKEY_CURRENT_USER", L"HCU", L"HKCU"}},
    {RegRoot::kLocalMachine, {L"HKEY_LOCAL_MACHINE", L"HLM", L"HKLM"}},
    {RegRoot::kUsers, {L"HKEY_USERS", L"HU", L"HKU"}},
    {RegRoot::kPerformanceData, {L"HKEY_PERFORMANCE_DATA", L"HPD", L"HKPD"}},
    {RegRoot::kDynData, {L"HKEY_DYN_DATA", L"HDD", L"HKDD"}},
};

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i];
    wchar_t y = b[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - 32);
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool Fail(DWORD code) {
  SetLastError(code);
  return false;
}

bool Succeed() {
  SetLastError(ERROR_SUCCESS);
  return true;
}

// A name the store file can carry: every character a Unicode scalar value, no zero, no line
// break (the file is line-based; hex forms keep such bytes in data, but names have no hex form).
bool IsStorableName(std::wstring_view name, std::size_t max_length) {
  if (name.size() > max_length) return false;
  for (wchar_t c : name) {
    if (c == L'\0' || c == L'\r' || c == L'\n') return false;
  }
  return registry_detail::WideToUtf8(name).has_value();
}

// Splits a sub-key path at backslashes. One trailing backslash is allowed; other empty names
// give error 161, names the store cannot keep error 87.
bool SplitSubPath(std::wstring_view sub_path, std::vector<std::wstring>* parts) {
  if (!sub_path.empty() && sub_path.back() == L'\\') sub_path.remove_suffix(1);
  if (sub_path.empty()) return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = sub_path.find(L'\\', start);
    const std::wstring_view part =
        sub_path.substr(start, end == std::wstring_view::npos ? end : end - start);
    if (part.empty()) return Fail(ERROR_BAD_PATHNAME);
    if (!IsStorableName(part, kMaxKeyNameLength)) return Fail(ERROR_INVALID_PARAMETER);
    parts->emplace_back(part);
    if (end == std::wstring_view::npos) return true;
    start = end + 1;
  }
}

// The key a handle names in tree; null (error 1018) when it is gone.
const RegKeyNode* FindOpenKey(const RegistryTree& tree, const RegistryKey& key) {
  const RegKeyNode* node = tree.Find(key.Root(), key.Path());
  if (!node) SetLastError(ERROR_KEY_DELETED);
  return node;
}

RegKeyNode* FindOpenKey(RegistryTree& tree, const RegistryKey& key) {
  return const_cast<RegKeyNode*>(FindOpenKey(std::as_const(tree), key));
}

// The value a handle's key holds under name, or null with the last error set.
const registry_detail::RegValueEntry* FindValueFor(const RegistryTree& tree, const RegistryKey& key,
                                                   std::wstring_view name) {
  if (!key.IsOpen()) return Fail(ERROR_INVALID_HANDLE), nullptr;
  if (!(key.Access() & KEY_QUERY_VALUE)) return Fail(ERROR_ACCESS_DENIED), nullptr;
  const RegKeyNode* node = FindOpenKey(tree, key);
  if (!node) return nullptr;
  const auto* value = node->FindValue(name);
  if (!value) SetLastError(ERROR_FILE_NOT_FOUND);
  return value;
}

}  // namespace

class RegistryAccess {
 public:
  static RegistryKey Make(RegRoot root, std::vector<std::wstring> path, DWORD access,
                          bool predefined) {
    RegistryKey key;
    key.root_ = root;
    key.path_ = std::move(path);
    key.access_ = access;
    key.open_ = true;
    key.predefined_ = predefined;
    return key;
  }
  static void Reset(RegistryKey* key) { *key = RegistryKey(); }
};

std::wstring_view RegistryRootName(RegRoot root) {
  for (const RootNames& r : kRootNames) {
    if (r.root == root) return r.names[0];
  }
  return {};
}

std::optional<RegRoot> RegistryRootFromName(std::wstring_view name) {
  for (const RootNames& r : kRootNames) {
    for (std::wstring_view n : r.names) {
      if (EqualsNoCase(n, name)) return r.root;
    }
  }
  return std::nullopt;
}

RegistryKey RegistryKey::Predefined(RegRoot root) {
  return RegistryAccess::Make(root, {}, KEY_ALL_ACCESS, true);
}

namespace {

// Splits sub_path below the open key parent and tells whether that key exists. False with the
// last error set when parent is not open, the path is not valid or the store cannot be read.
bool LookUpSubPath(const RegistryKey& parent, std::wstring_view sub_path,
                   std::vector<std::wstring>* parts, bool* exists) {
  if (!parent.IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  if (!SplitSubPath(sub_path, parts)) return false;
  const auto tree = ReadRegistry();
  if (!tree) return false;
  const RegKeyNode* node = FindOpenKey(*tree, parent);
  if (!node) return false;
  for (std::size_t i = 0; node && i < parts->size(); ++i) node = node->FindSubkey((*parts)[i]);
  *exists = node != nullptr;
  return true;
}

// The handle of the key at parts below parent.
RegistryKey KeyBelow(const RegistryKey& parent, const std::vector<std::wstring>& parts,
                     DWORD access) {
  std::vector<std::wstring> path = parent.Path();
  path.insert(path.end(), parts.begin(), parts.end());
  return RegistryAccess::Make(parent.Root(), std::move(path), access, false);
}

}  // namespace

bool OpenRegistryKey(const RegistryKey& parent, std::wstring_view sub_path, DWORD access,
                     RegistryKey* out) {
  std::vector<std::wstring> parts;
  bool exists = false;
  if (!LookUpSubPath(parent, sub_path, &parts, &exists)) return false;
  if (!exists) return Fail(ERROR_FILE_NOT_FOUND);
  *out = KeyBelow(parent, parts, access);
  return Succeed();
}

bool CreateRegistryKey(const RegistryKey& parent, std::wstring_view sub_path, DWORD access,
                       RegistryKey* out, bool* created) {
  std::vector<std::wstring> parts;
  bool exists = false;
  if (!LookUpSubPath(parent, sub_path, &parts, &exists)) return false;
  bool made = false;
  if (!exists) {
    if (!(parent.Access() & KEY_CREATE_SUB_KEY)) return Fail(ERROR_ACCESS_DENIED);
    const bool ok = ModifyRegistry([&](RegistryTree& fresh) {
      RegKeyNode* at = FindOpenKey(fresh, parent);
      if (!at) return false;
      for (const std::wstring& part : parts) {
        bool new_key = false;
        at = &at->SubkeyFor(part, &new_key);
        made = made || new_key;
      }
      return true;
    });
    if (!ok) return false;
  }
  *out = KeyBelow(parent, parts, access);
  if (created) *created = made;
  return Succeed();
}

bool CloseRegistryKey(RegistryKey* key) {
  if (!key || !key->IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  if (!key->IsPredefined()) RegistryAccess::Reset(key);
  return Succeed();
}

bool QueryRegistryValueInfo(const RegistryKey& key, std::wstring_view name,
                            RegistryValueInfo* info) {
  if (!key.IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  const auto tree = ReadRegistry();
  if (!tree) return false;
  const auto* value = FindValueFor(*tree, key, name);
  if (!value) return false;
  *info = RegistryValueInfo{value->type, static_cast<DWORD>(value->data.size())};
  return Succeed();
}

bool ReadRegistryValue(const RegistryKey& key, std::wstring_view name, std::span<BYTE> buffer,
                       RegistryValueInfo* info) {
  if (!key.IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  const auto tree = ReadRegistry();
  if (!tree) return false;
  const auto* value = FindValueFor(*tree, key, name);
  if (!value) return false;
  *info = RegistryValueInfo{value->type, static_cast<DWORD>(value->data.size())};
  if (buffer.size() < value->data.size()) return Fail(ERROR_MORE_DATA);
  std::copy(value->data.begin(), value->data.end(), buffer.begin());
  return Succeed();
}

bool SetRegistryValue(const RegistryKey& key, std::wstring_view name, DWORD type,
                      std::span<const BYTE> data) {
  if (!key.IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  if (!(key.Access() & KEY_SET_VALUE)) return Fail(ERROR_ACCESS_DENIED);
  if (!IsStorableName(name, kMaxValueNameLength) || data.size() > 0xFFFFFFFFu) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const bool ok = ModifyRegistry([&](RegistryTree& tree) {
    RegKeyNode* node = FindOpenKey(tree, key);
    if (!node) return false;
    node->SetValue(name, type, std::vector<BYTE>(data.begin(), data.end()));
    return true;
  });
  return ok ? Succeed() : false;
}

bool DeleteRegistryValue(const RegistryKey& key, std::wstring_view name) {
  if (!key.IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  if (!(key.Access() & KEY_SET_VALUE)) return Fail(ERROR_ACCESS_DENIED);
  const bool ok = ModifyRegistry([&](RegistryTree& tree) {
    RegKeyNode* node = FindOpenKey(tree, key);
    if (!node) return false;
    return node->DeleteValue(name) ? true : Fail(ERROR_FILE_NOT_FOUND);
  });
  return ok ? Succeed() : false;
}

bool DeleteRegistryKey(const RegistryKey& parent, std::wstring_view sub_path) {
  if (!parent.IsOpen()) return Fail(ERROR_INVALID_HANDLE);
  std::vector<std::wstring> parts;
  if (!SplitSubPath(sub_path, &parts)) return false;
  if (parts.empty()) return Fail(ERROR_INVALID_PARAMETER);
  const bool ok = ModifyRegistry([&](RegistryTree& tree) {
    RegKeyNode* node = FindOpenKey(tree, parent);
    if (!node) return false;
    for (std::size_t i = 0; node && i + 1 < parts.size(); ++i) node = node->FindSubkey(parts[i]);
    const RegKeyNode* target = node ? node->FindSubkey(parts.back()) : nullptr;
    if (!target) return Fail(ERROR_FILE_NOT_FOUND);
    if (target->HasSubkeys()) return Fail(ERROR_ACCESS_DENIED);
    node->DeleteSubkey(parts.back());
    return true;
  });
  return ok ? Succeed() : false;
}

}  // namespace platform
