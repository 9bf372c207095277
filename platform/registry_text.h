// The store file's layout: the registry-export text ("Windows Registry Editor Version 5.00"),
// written as UTF-8 with LF line ends. Readable and editable by hand; read back, it gives the same
// keys and the same bytes of every value.
//
//   [HKEY_CURRENT_USER\Software\Tovak\Vemo\Settings]   a key (the keys above it are implied)
//   "Name"="text"            REG_SZ that is plain text (one terminating zero, no line breaks)
//   @="text"                 the key's default value
//   "Name"=dword:0000003f    REG_DWORD of exactly 4 bytes
//   "Name"=hex:01,02         REG_BINARY
//   "Name"=hex(2):41,00,00,00   any other type, or a value the forms above cannot carry exactly
//   "Name"=-   and   [-KEY]  (hand edits) delete a value or a key with everything below it
//
// Internal to the registry store.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_tree.h"

namespace platform::registry_detail {

inline constexpr std::string_view kRegistryHeader = "Windows Registry Editor Version 5.00";

[[nodiscard]] std::string SerializeRegistry(const RegistryTree& tree);

struct ParsedRegistry {
  RegistryTree tree;
  // 1-based numbers of the lines that could not be read; they were left out of the tree.
  std::vector<std::size_t> bad_lines;
};

// Reads what it can: a damaged line is noted and skipped, the rest is kept. A file without the
// header (or with REGEDIT4) counts line 1 as damaged.
[[nodiscard]] ParsedRegistry ParseRegistry(std::string_view text);

// UTF-8 of wide text; empty when the text holds a value that is no Unicode character.
[[nodiscard]] std::optional<std::string> WideToUtf8(std::wstring_view text);
// Wide text of UTF-8; empty when the bytes are not well-formed UTF-8.
[[nodiscard]] std::optional<std::wstring> Utf8ToWide(std::string_view text);

}  // namespace platform::registry_detail
