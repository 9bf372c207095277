#include "platform/registry_tree.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>

namespace platform::registry_detail {
namespace {

// A Unicode-aware locale for case mapping, independent of the process's own locale. Falls back to
// ASCII folding when the C library has none.
locale_t FoldLocale() {
  static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return loc;
}

wchar_t FoldChar(wchar_t c) {
  if (c < 0x80) return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
  const locale_t loc = FoldLocale();
  return loc ? static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), loc)) : c;
}

}  // namespace

std::wstring FoldName(std::wstring_view name) {
  std::wstring folded(name);
  std::transform(folded.begin(), folded.end(), folded.begin(), FoldChar);
  return folded;
}

const RegValueEntry* RegKeyNode::FindValue(std::wstring_view name) const {
  const std::wstring folded = FoldName(name);
  for (const RegValueEntry& v : values_) {
    if (v.name.size() == folded.size() && FoldName(v.name) == folded) return &v;
  }
  return nullptr;
}

void RegKeyNode::SetValue(std::wstring_view name, DWORD type, std::vector<BYTE> data) {
  auto* found = const_cast<RegValueEntry*>(FindValue(name));
  if (found) {
    found->type = type;
    found->data = std::move(data);
    return;
  }
  values_.push_back(RegValueEntry{std::wstring(name), type, std::move(data)});
}

bool RegKeyNode::DeleteValue(std::wstring_view name) {
  const RegValueEntry* found = FindValue(name);
  if (!found) return false;
  values_.erase(values_.begin() + (found - values_.data()));
  return true;
}

RegKeyNode* RegKeyNode::FindSubkey(std::wstring_view name) {
  auto it = subkeys_.find(FoldName(name));
  return it == subkeys_.end() ? nullptr : it->second.get();
}

const RegKeyNode* RegKeyNode::FindSubkey(std::wstring_view name) const {
  auto it = subkeys_.find(FoldName(name));
  return it == subkeys_.end() ? nullptr : it->second.get();
}

RegKeyNode& RegKeyNode::SubkeyFor(std::wstring_view name, bool* created) {
  auto [it, inserted] = subkeys_.try_emplace(FoldName(name));
  if (inserted) it->second = std::make_unique<RegKeyNode>(std::wstring(name));
  if (created) *created = inserted;
  return *it->second;
}

bool RegKeyNode::DeleteSubkey(std::wstring_view name) { return subkeys_.erase(FoldName(name)) > 0; }

RegistryTree::RegistryTree() {
  for (std::size_t i = 0; i < kRootCount; ++i) {
    roots_[i] = RegKeyNode(std::wstring(RegistryRootName(static_cast<RegRoot>(i))));
  }
}

RegKeyNode* RegistryTree::Find(RegRoot root, const std::vector<std::wstring>& path) {
  RegKeyNode* node = &Root(root);
  for (const std::wstring& name : path) {
    node = node->FindSubkey(name);
    if (!node) return nullptr;
  }
  return node;
}

const RegKeyNode* RegistryTree::Find(RegRoot root, const std::vector<std::wstring>& path) const {
  return const_cast<RegistryTree*>(this)->Find(root, path);
}

}  // namespace platform::registry_detail
