#include "foundation/version_node.h"

#include <algorithm>
#include <cwctype>

namespace {

// Real resources nest four deep (root, StringFileInfo, table, string); anything far deeper is
// damage, and the limit keeps the recursive parse and lookup shallow.
constexpr int kMaxDepth = 16;
constexpr std::size_t kHeaderSize = 6;

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

WORD ReadWord(std::span<const std::uint8_t> data, std::size_t offset) {
  return static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
}

// UTF-16 units to wide text; a lone surrogate becomes U+FFFD.
std::wstring WideFromUtf16(const std::vector<char16_t>& units) {
  std::wstring out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out.push_back(L'\uFFFD');
    } else {
      out.push_back(static_cast<wchar_t>(u));
    }
  }
  return out;
}

// Reads UTF-16 units from [pos, end) up to the first 0. Sets terminated when the 0 was found and
// advances pos past it (or to the last whole unit before end).
std::vector<char16_t> ReadUnits(std::span<const std::uint8_t> data, std::size_t& pos,
                                std::size_t end, bool& terminated) {
  std::vector<char16_t> units;
  terminated = false;
  while (end - pos >= 2) {
    const WORD unit = ReadWord(data, pos);
    pos += 2;
    if (unit == 0) {
      terminated = true;
      break;
    }
    units.push_back(static_cast<char16_t>(unit));
  }
  return units;
}

// Parses the block at offset inside [offset, end); on success stores the block's own length.
std::unique_ptr<VersionNode> ParseNode(std::span<const std::uint8_t> data, std::size_t offset,
                                       std::size_t end, int depth, std::size_t& length) {
  if (depth > kMaxDepth || end - offset < kHeaderSize) return nullptr;
  length = ReadWord(data, offset);
  if (length < kHeaderSize || length > end - offset) return nullptr;
  const std::size_t block_end = offset + length;

  auto node = std::make_unique<VersionNode>();
  node->value_length = ReadWord(data, offset + 2);
  node->type = ReadWord(data, offset + 4);
  std::size_t pos = offset + kHeaderSize;
  bool terminated = false;
  node->key = WideFromUtf16(ReadUnits(data, pos, block_end, terminated));
  if (!terminated) return nullptr;

  pos = std::min(Align4(pos), block_end);
  if (node->type == 1) {
    // Text lengths count UTF-16 units; some producers count bytes instead, so a text running past
    // its block is cut at the block's end rather than rejected.
    const std::size_t text_end =
        pos + std::min<std::size_t>(node->value_length * 2u, block_end - pos);
    std::size_t text_pos = pos;
    node->text = WideFromUtf16(ReadUnits(data, text_pos, text_end, terminated));
    pos = text_end;
  } else {
    if (node->value_length > block_end - pos) return nullptr;
    node->value.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                       data.begin() + static_cast<std::ptrdiff_t>(pos + node->value_length));
    pos += node->value_length;
  }

  // Children follow, each 32-bit aligned; fewer bytes than a header left over are padding.
  std::unique_ptr<VersionNode>* tail = &node->first_child;
  for (pos = Align4(pos); pos < block_end && block_end - pos >= kHeaderSize;) {
    std::size_t child_length = 0;
    *tail = ParseNode(data, pos, block_end, depth + 1, child_length);
    if (!*tail) return nullptr;
    tail = &(*tail)->next_sibling;
    pos = Align4(pos + child_length);
  }
  return node;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

VersionNode::~VersionNode() {
  std::vector<std::unique_ptr<VersionNode>> pending;
  if (first_child) pending.push_back(std::move(first_child));
  if (next_sibling) pending.push_back(std::move(next_sibling));
  while (!pending.empty()) {
    std::unique_ptr<VersionNode> node = std::move(pending.back());
    pending.pop_back();
    if (node->first_child) pending.push_back(std::move(node->first_child));
    if (node->next_sibling) pending.push_back(std::move(node->next_sibling));
  }
}

std::unique_ptr<VersionNode> ParseVersionBlock(std::span<const std::uint8_t> data) {
  std::size_t length = 0;
  return ParseNode(data, 0, data.size(), 0, length);
}

const VersionNode* FindVersionChild(const VersionNode& node, std::wstring_view key, bool descend) {
  for (const VersionNode* child = node.first_child.get(); child;
       child = child->next_sibling.get()) {
    if (EqualNoCase(child->key, key)) return child;
  }
  if (!descend) return nullptr;
  for (const VersionNode* child = node.first_child.get(); child;
       child = child->next_sibling.get()) {
    if (const VersionNode* found = FindVersionChild(*child, key, true)) return found;
  }
  return nullptr;
}
