#include "platform/registry_text.h"

#include <algorithm>
#include <cstdio>

#include "platform/utf8.h"

namespace platform::registry_detail {
namespace {

constexpr std::size_t kHexLineWidth = 78;  // regedit wraps hex data before column 80

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to max_digits hex digits and nothing else.
std::optional<DWORD> ParseHex(std::string_view s, std::size_t max_digits) {
  if (s.empty() || s.size() > max_digits) return std::nullopt;
  DWORD v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<DWORD>(d);
  }
  return v;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = s[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (lower != prefix[i]) return false;
  }
  return true;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// Reads a quoted text at the start of s (escapes \\ and \"); returns the text and moves s past
// the closing quote.
std::optional<std::string> Unquote(std::string_view* s) {
  if (s->empty() || s->front() != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < s->size(); ++i) {
    const char c = (*s)[i];
    if (c == '\\' && i + 1 < s->size() && ((*s)[i + 1] == '\\' || (*s)[i + 1] == '"')) {
      out += (*s)[++i];
    } else if (c == '"') {
      s->remove_prefix(i + 1);
      return out;
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

// The text of a REG_SZ value when the plain quoted form carries its bytes exactly: UTF-16 with
// one terminating zero and nothing after it, every unit part of a character, no line breaks.
std::optional<std::string> PlainText(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  const std::size_t units = data.size() / 2 - 1;
  auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(data[2 * i] | data[2 * i + 1] << 8);
  };
  if (unit(units) != 0) return std::nullopt;
  std::wstring wide;
  for (std::size_t i = 0; i < units; ++i) {
    char32_t c = unit(i);
    if (c == 0 || c == U'\r' || c == U'\n') return std::nullopt;
    if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= units) return std::nullopt;
      const char32_t low = unit(++i);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
    wide += static_cast<wchar_t>(c);
  }
  return WideToUtf8(wide);
}

std::vector<BYTE> TextToUtf16Bytes(std::wstring_view text) {
  std::vector<BYTE> out;
  auto put = [&](char32_t u) {
    out.push_back(static_cast<BYTE>(u & 0xFF));
    out.push_back(static_cast<BYTE>(u >> 8));
  };
  for (wchar_t wc : text) {
    const auto c = static_cast<char32_t>(wc);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  put(0);
  return out;
}

void AppendHex(std::string* out, std::size_t line_start, const std::vector<BYTE>& data) {
  char byte[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    const bool last = i + 1 == data.size();
    std::snprintf(byte, sizeof byte, last ? "%02x" : "%02x,", data[i]);
    if (out->size() - line_start + 3 > kHexLineWidth) {
      *out += "\\\n  ";
      line_start = out->size() - 2;
    }
    *out += byte;
  }
}

void AppendValue(std::string* out, const RegValueEntry& v) {
  const std::size_t line_start = out->size();
  *out += v.name.empty() ? "@" : Quote(WideToUtf8(v.name).value_or(""));
  *out += '=';
  if (v.type == REG_SZ) {
    if (auto text = PlainText(v.data)) {
      *out += Quote(*text);
      *out += '\n';
      return;
    }
  }
  if (v.type == REG_DWORD && v.data.size() == 4) {
    char word[16];
    const DWORD n =
        v.data[0] | v.data[1] << 8 | v.data[2] << 16 | static_cast<DWORD>(v.data[3]) << 24;
    std::snprintf(word, sizeof word, "dword:%08x", n);
    *out += word;
    *out += '\n';
    return;
  }
  if (v.type == REG_BINARY) {
    *out += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", v.type);
    *out += prefix;
  }
  AppendHex(out, line_start, v.data);
  *out += '\n';
}

void AppendKey(std::string* out, const RegKeyNode& node, const std::string& path, bool is_root) {
  if (!node.Values().empty() || (!is_root && !node.HasSubkeys())) {
    *out += "\n[" + path + "]\n";
    for (const RegValueEntry& v : node.Values()) AppendValue(out, v);
  }
  for (const auto& [folded, child] : node.Subkeys()) {
    AppendKey(out, *child, path + "\\" + WideToUtf8(child->Name()).value_or(""), false);
  }
}

std::vector<std::wstring> SplitKeyPath(std::wstring_view path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find(L'\\', start);
    parts.emplace_back(path.substr(start, end == std::wstring_view::npos ? end : end - start));
    if (end == std::wstring_view::npos) return parts;
    start = end + 1;
  }
}

class Parser {
 public:
  explicit Parser(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      lines_.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }

  ParsedRegistry Run() {
    std::size_t i = 0;
    while (i < lines_.size() && Trim(lines_[i]).empty()) ++i;
    if (i < lines_.size()) {
      if (Trim(lines_[i]) == kRegistryHeader) {
        ++i;
      } else {
        Bad(i);
      }
    }
    for (; i < lines_.size(); ++i) {
      const std::string_view line = Trim(lines_[i]);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        KeyLine(i, line);
      } else {
        ValueLine(&i, line);
      }
    }
    std::sort(result_.bad_lines.begin(), result_.bad_lines.end());
    result_.bad_lines.erase(std::unique(result_.bad_lines.begin(), result_.bad_lines.end()),
                            result_.bad_lines.end());
    return std::move(result_);
  }

 private:
  void Bad(std::size_t index) { result_.bad_lines.push_back(index + 1); }

  void KeyLine(std::size_t index, std::string_view line) {
    current_ = nullptr;
    if (line.size() < 2 || line.back() != ']') return Bad(index);
    std::string_view inner = line.substr(1, line.size() - 2);
    const bool deleting = !inner.empty() && inner.front() == '-';
    if (deleting) inner.remove_prefix(1);
    const auto wide = Utf8ToWide(inner);
    if (!wide) return Bad(index);
    const std::vector<std::wstring> parts = SplitKeyPath(*wide);
    const auto root = RegistryRootFromName(parts.front());
    if (!root) return Bad(index);
    if (std::any_of(parts.begin() + 1, parts.end(), [](const auto& p) { return p.empty(); })) {
      return Bad(index);
    }
    RegKeyNode* node = &result_.tree.Root(*root);
    if (deleting) {
      if (parts.size() < 2) return Bad(index);  // a root cannot be deleted
      for (std::size_t k = 1; node && k + 1 < parts.size(); ++k) node = node->FindSubkey(parts[k]);
      if (node) node->DeleteSubkey(parts.back());
      return;
    }
    for (std::size_t k = 1; k < parts.size(); ++k) node = &node->SubkeyFor(parts[k], nullptr);
    current_ = node;
  }

  void ValueLine(std::size_t* index, std::string_view line) {
    const std::size_t first = *index;
    std::string joined;
    std::wstring name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      const auto quoted = Unquote(&line);
      const auto wide = quoted ? Utf8ToWide(*quoted) : std::nullopt;
      if (!wide) return Bad(first);
      name = *wide;  // "" names the default value, as @ does
    }
    line = Trim(line);
    if (line.empty() || line.front() != '=') return Bad(first);
    line = Trim(line.substr(1));
    if (line.empty()) return Bad(first);  // "name"= with no data
    if (StartsWithNoCase(line, "hex")) {
      // Hex data may go on over lines that end in a backslash.
      joined = line;
      while (!joined.empty() && joined.back() == '\\') {
        joined.pop_back();
        if (*index + 1 >= lines_.size()) return Bad(first);
        joined += Trim(lines_[++*index]);
      }
      line = joined;
    }
    if (!current_) return Bad(first);
    if (line == "-") {
      current_->DeleteValue(name);
      return;
    }
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
    if (line.front() == '"') {
      const auto text = Unquote(&line);
      const auto wide = text ? Utf8ToWide(*text) : std::nullopt;
      if (!wide || !Trim(line).empty()) return Bad(first);
      data = TextToUtf16Bytes(*wide);
    } else if (StartsWithNoCase(line, "dword:")) {
      const auto n = ParseHex(Trim(line.substr(6)), 8);
      if (!n) return Bad(first);
      type = REG_DWORD;
      data = {static_cast<BYTE>(*n), static_cast<BYTE>(*n >> 8), static_cast<BYTE>(*n >> 16),
              static_cast<BYTE>(*n >> 24)};
    } else if (!ParseHexValue(line, &type, &data)) {
      return Bad(first);
    }
    current_->SetValue(name, type, std::move(data));
  }

  static bool ParseHexValue(std::string_view line, DWORD* type, std::vector<BYTE>* data) {
    if (StartsWithNoCase(line, "hex:")) {
      *type = REG_BINARY;
      line.remove_prefix(4);
    } else if (StartsWithNoCase(line, "hex(")) {
      const std::size_t close = line.find("):");
      if (close == std::string_view::npos) return false;
      const auto t = ParseHex(line.substr(4, close - 4), 8);
      if (!t) return false;
      *type = *t;
      line.remove_prefix(close + 2);
    } else {
      return false;
    }
    line = Trim(line);
    if (line.empty()) return true;
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = line.find(',', start);
      const auto byte = ParseHex(Trim(line.substr(start, comma - start)), 2);
      if (!byte) return false;
      data->push_back(static_cast<BYTE>(*byte));
      if (comma == std::string_view::npos) return true;
      start = comma + 1;
    }
  }

  std::vector<std::string_view> lines_;
  ParsedRegistry result_;
  RegKeyNode* current_ = nullptr;
};

}  // namespace

std::string SerializeRegistry(const RegistryTree& tree) {
  std::string out(kRegistryHeader);
  out += '\n';
  for (std::size_t i = 0; i < kRootCount; ++i) {
    const auto root = static_cast<RegRoot>(i);
    AppendKey(&out, tree.Root(root), WideToUtf8(RegistryRootName(root)).value_or(""), true);
  }
  return out;
}

ParsedRegistry ParseRegistry(std::string_view text) { return Parser(text).Run(); }

std::optional<std::string> WideToUtf8(std::wstring_view text) {
  std::string out;
  if (!EncodeUtf8(text, Utf8Encoding::kStrict, out)) return std::nullopt;
  return out;
}

std::optional<std::wstring> Utf8ToWide(std::string_view text) {
  std::wstring out;
  if (!DecodeUtf8(text, Utf8Decoding::kStrict, out)) return std::nullopt;
  return out;
}

}  // namespace platform::registry_detail
