// A strict reader of one JSON Lines record for the tests: RFC 8259 values, strings decoded to
// UTF-8 (a lone surrogate escape is refused: the output must be valid Unicode), raw bytes that
// are not UTF-8 or raw control characters refused. Enough to check vemo-cli's --json output.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/utf8.h"

namespace vemo_test {

struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kObject, kArray } kind = Kind::kNull;
  bool boolean = false;
  std::string text;  // the number's digits, or the decoded string
  std::map<std::string, std::shared_ptr<JsonValue>> members;
  std::vector<std::shared_ptr<JsonValue>> items;  // an array's elements

  const JsonValue* Get(const std::string& key) const {
    const auto it = members.find(key);
    return it == members.end() ? nullptr : it->second.get();
  }
};

class JsonLineReader {
 public:
  // The object on the line, or nothing when the line is not exactly one valid JSON object.
  static std::optional<JsonValue> ParseObject(std::string_view line) {
    JsonLineReader reader(line);
    JsonValue value;
    if (!reader.Value(&value) || value.kind != JsonValue::Kind::kObject) return std::nullopt;
    reader.Space();
    if (reader.pos_ != line.size()) return std::nullopt;
    return value;
  }

 private:
  explicit JsonLineReader(std::string_view text) : s_(text) {}

  void Space() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  bool Eat(char c) {
    Space();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Literal(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue* out) {
    Space();
    if (pos_ >= s_.size()) return false;
    const char c = s_[pos_];
    if (c == '{') return Object(out);
    if (c == '[') return Array(out);
    if (c == '"') {
      out->kind = JsonValue::Kind::kString;
      return String(&out->text);
    }
    if (Literal("null")) return true;
    for (const bool value : {true, false}) {
      if (Literal(value ? "true" : "false")) {
        out->kind = JsonValue::Kind::kBool;
        out->boolean = value;
        return true;
      }
    }
    const std::size_t start = pos_;
    if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
    if (pos_ == start) return false;
    out->kind = JsonValue::Kind::kNumber;
    out->text = std::string(s_.substr(start, pos_ - start));
    return true;
  }

  bool Object(JsonValue* out) {
    out->kind = JsonValue::Kind::kObject;
    ++pos_;
    if (Eat('}')) return true;
    do {
      Space();
      std::string key;
      if (!String(&key) || !Eat(':')) return false;
      auto value = std::make_shared<JsonValue>();
      if (!Value(value.get()) || out->members.count(key) != 0) return false;
      out->members[key] = value;
    } while (Eat(','));
    return Eat('}');
  }

  bool Array(JsonValue* out) {
    out->kind = JsonValue::Kind::kArray;
    ++pos_;
    if (Eat(']')) return true;
    do {
      auto value = std::make_shared<JsonValue>();
      if (!Value(value.get())) return false;
      out->items.push_back(value);
    } while (Eat(','));
    return Eat(']');
  }

  bool Hex4(std::uint32_t* out) {
    if (pos_ + 4 > s_.size()) return false;
    *out = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = s_[pos_++];
      *out <<= 4;
      if (h >= '0' && h <= '9') {
        *out |= static_cast<std::uint32_t>(h - '0');
      } else if (h >= 'a' && h <= 'f') {
        *out |= static_cast<std::uint32_t>(h - 'a' + 10);
      } else if (h >= 'A' && h <= 'F') {
        *out |= static_cast<std::uint32_t>(h - 'A' + 10);
      } else {
        return false;
      }
    }
    return true;
  }

  // One raw UTF-8 character, checked for well-formedness.
  bool RawCharacter(std::string* out) {
    const auto lead = static_cast<unsigned char>(s_[pos_]);
    std::size_t length = 0;
    std::uint32_t c = 0;
    if (lead < 0x80) {
      length = 1;
      c = lead;
    } else if (lead >= 0xC2 && lead < 0xE0) {
      length = 2;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      length = 3;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead < 0xF5) {
      length = 4;
      c = lead & 0x07;
    } else {
      return false;
    }
    if (pos_ + length > s_.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(s_[pos_ + k]);
      if ((b & 0xC0) != 0x80) return false;
      c = (c << 6) | (b & 0x3F);
    }
    const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    out->append(s_.substr(pos_, length));
    pos_ += length;
    return true;
  }

  bool String(std::string* out) {
    if (pos_ >= s_.size() || s_[pos_] != '"') return false;
    ++pos_;
    while (pos_ < s_.size()) {
      const char c = s_[pos_];
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        if (!RawCharacter(out)) return false;
        continue;
      }
      if (++pos_ >= s_.size()) return false;
      const char e = s_[pos_++];
      switch (e) {
        case '"':
          *out += '"';
          break;
        case '\\':
          *out += '\\';
          break;
        case '/':
          *out += '/';
          break;
        case 'b':
          *out += '\b';
          break;
        case 'f':
          *out += '\f';
          break;
        case 'n':
          *out += '\n';
          break;
        case 'r':
          *out += '\r';
          break;
        case 't':
          *out += '\t';
          break;
        case 'u': {
          std::uint32_t unit = 0;
          if (!Hex4(&unit)) return false;
          if (unit >= 0xD800 && unit <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!Literal("\\u") || !Hex4(&low) || low < 0xDC00 || low > 0xDFFF) return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
          }
          platform::AppendUtf8(*out, unit);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace vemo_test
