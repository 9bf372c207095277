// The registry held in memory: seven roots, each a tree of keys with their values. Names keep the
// letter case they were created with and are found regardless of case, as on Windows.
//
// Internal to the registry store; one tree is owned by one thread at a time (the store hands out
// trees that are never changed once published).
#pragma once
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/win_types.h"

namespace platform::registry_detail {

inline constexpr std::size_t kRootCount = 7;

// The form names are compared in: every character upper-cased (full Unicode simple mapping).
[[nodiscard]] std::wstring FoldName(std::wstring_view name);

struct RegValueEntry {
  std::wstring name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

class RegKeyNode {
 public:
  explicit RegKeyNode(std::wstring name = {}) : name_(std::move(name)) {}

  [[nodiscard]] const std::wstring& Name() const { return name_; }

  [[nodiscard]] const RegValueEntry* FindValue(std::wstring_view name) const;
  // Replaces the value of that name (keeping its place and its stored letter case) or appends it.
  void SetValue(std::wstring_view name, DWORD type, std::vector<BYTE> data);
  // False when there is no such value.
  bool DeleteValue(std::wstring_view name);
  [[nodiscard]] const std::vector<RegValueEntry>& Values() const { return values_; }

  [[nodiscard]] RegKeyNode* FindSubkey(std::wstring_view name);
  [[nodiscard]] const RegKeyNode* FindSubkey(std::wstring_view name) const;
  // The sub-key of that name, created when missing; *created tells which.
  RegKeyNode& SubkeyFor(std::wstring_view name, bool* created);
  bool DeleteSubkey(std::wstring_view name);
  [[nodiscard]] bool HasSubkeys() const { return !subkeys_.empty(); }
  // Sub-keys in the order of their folded names.
  [[nodiscard]] const std::map<std::wstring, std::unique_ptr<RegKeyNode>>& Subkeys() const {
    return subkeys_;
  }

 private:
  std::wstring name_;
  std::vector<RegValueEntry> values_;                            // in the order they were first set
  std::map<std::wstring, std::unique_ptr<RegKeyNode>> subkeys_;  // by folded name
};

class RegistryTree {
 public:
  RegistryTree();

  [[nodiscard]] RegKeyNode& Root(RegRoot root) { return roots_[static_cast<std::size_t>(root)]; }
  [[nodiscard]] const RegKeyNode& Root(RegRoot root) const {
    return roots_[static_cast<std::size_t>(root)];
  }
  // The key at path below root, or null.
  [[nodiscard]] RegKeyNode* Find(RegRoot root, const std::vector<std::wstring>& path);
  [[nodiscard]] const RegKeyNode* Find(RegRoot root, const std::vector<std::wstring>& path) const;

 private:
  std::array<RegKeyNode, kRootCount> roots_;
};

}  // namespace platform::registry_detail
