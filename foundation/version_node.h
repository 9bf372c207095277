// The tree of a VS_VERSIONINFO block: each block has a total length, a value length, a type
// (0 binary, 1 text), a UTF-16 key, an optional value and child blocks aligned to 32 bits.
// ParseVersionBlock builds the tree from untrusted bytes; it never reads outside the span it is
// given and rejects a block whose lengths do not fit inside its parent.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

struct VersionNode {
  VersionNode() = default;
  VersionNode(const VersionNode&) = delete;
  VersionNode& operator=(const VersionNode&) = delete;
  // Frees children and siblings without recursion, so a long chain cannot exhaust the stack.
  ~VersionNode();

  std::wstring key;
  WORD type = 0;
  // As stored: UTF-16 units for text (terminator included), bytes for binary values.
  WORD value_length = 0;
  // The value of a binary block (type other than 1), exactly value_length bytes.
  std::vector<std::uint8_t> value;
  // The value of a text block up to its terminating 0 (or its end); empty without a value.
  std::wstring text;
  // A node owns its first child and its next sibling.
  std::unique_ptr<VersionNode> first_child;
  std::unique_ptr<VersionNode> next_sibling;
};

// Parses the block that starts at the first byte of data (offsets are taken as 32-bit aligned from
// there). Returns null when the block is damaged: shorter than its header, a length that leaves its
// parent, a key without its terminating 0, a binary value longer than its block, or nesting deeper
// than any real resource. Bytes after the root block are ignored.
[[nodiscard]] std::unique_ptr<VersionNode> ParseVersionBlock(std::span<const std::uint8_t> data);

// The first child of node whose key equals key without regard to case; when none does and descend
// is set, the same lookup below each child in turn (first result wins). Null when not found.
[[nodiscard]] const VersionNode* FindVersionChild(const VersionNode& node, std::wstring_view key,
                                                  bool descend);
