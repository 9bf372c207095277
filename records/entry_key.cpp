#include "records/entry_key.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/utf8.h"

namespace {

constexpr char kSeparator = 0x01;
constexpr char kEscape = 0x02;

// Bytes one character takes in a key.
std::size_t EncodedSize(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  if (u == 0x01 || u == 0x02) return 2;
  if (u < 0x80) return 1;
  if (u >= 0xDC80 && u <= 0xDCFF) return 1;  // a byte that is not UTF-8, restored as itself
  if (u < 0x800) return 2;
  if (u < 0x10000) return 3;
  if (u <= 0x10FFFF) return 4;
  return 3;  // not a character: written as U+FFFD
}

char* Encode(char* out, wchar_t c) {
  const auto u = static_cast<char32_t>(c);
  if (u == '/') {
    *out++ = kSeparator;
  } else if (u == 0x01 || u == 0x02) {
    *out++ = kEscape;
    *out++ = static_cast<char>(u + 2);
  } else if (u >= 0xDC80 && u <= 0xDCFF) {
    *out++ = static_cast<char>(u - 0xDC00);
  } else {
    out = platform::PutUtf8(out, u > 0x10FFFF ? char32_t{0xFFFD} : u);
  }
  return out;
}

// True when every character takes one byte: then the key's part is the text narrowed, with '/'
// as the separator byte. Written as one pass of ORs without early exit, which the compiler
// vectorises with plain SSE2: the directories and names of most keys are plain. A character in
// 0x03..0x7F has no bit above 0x7F, nor has it minus 3; every other character has one in either.
bool IsAllSingleBytes(std::wstring_view part) {
  std::uint32_t bits = 0;
  for (const wchar_t c : part) {
    const auto u = static_cast<std::uint32_t>(c);
    bits |= u | (u - 3u);
  }
  return (bits & ~std::uint32_t{0x7F}) == 0;
}

std::size_t PartSize(std::wstring_view part, KeyCase mode) {
  std::size_t n = 0;
  if (mode == KeyCase::kFold) {
    for (wchar_t c : part) n += EncodedSize(FoldLetterCase(c));
  } else if (IsAllSingleBytes(part)) {
    n = part.size();
  } else {
    for (wchar_t c : part) n += EncodedSize(c);
  }
  return n;
}

char* EncodePart(char* out, std::wstring_view part, KeyCase mode) {
  if (mode == KeyCase::kFold) {
    for (wchar_t c : part) out = Encode(out, FoldLetterCase(c));
  } else if (IsAllSingleBytes(part)) {
    const std::size_t n = part.size();
    for (std::size_t i = 0; i < n; ++i) {
      out[i] = part[i] == L'/' ? kSeparator : static_cast<char>(part[i]);
    }
    out += n;
  } else {
    for (wchar_t c : part) out = Encode(out, c);
  }
  return out;
}

}  // namespace

LookupKey BuildEntryKey(std::wstring_view /*baseDir*/, std::wstring_view relDir,
                        std::wstring_view name, bool isDirectory, KeyCase mode) {
  const std::size_t size = PartSize(relDir, mode) + (isDirectory ? 0 : 1) + PartSize(name, mode);
  char* key = static_cast<char*>(std::malloc(size + 1));
  if (key == nullptr) return {};
  char* out = EncodePart(key, relDir, mode);
  if (!isDirectory) *out++ = kSeparator;
  out = EncodePart(out, name, mode);
  assert(static_cast<std::size_t>(out - key) == size && "size pass and encoding pass disagree");
  *out = '\0';
  return LookupKey::Adopt(key);
}

LookupKey BuildDirectoryKey(std::wstring_view baseDir, std::wstring_view relPath, KeyCase mode) {
  assert(!relPath.empty() && "the base directory has no entry of its own");
  if (!relPath.empty() && relPath.back() == L'/') relPath.remove_suffix(1);
  return BuildEntryKey(baseDir, {}, relPath, true, mode);
}

std::string BuildEntryKeyPrefix(std::wstring_view /*baseDir*/, std::wstring_view relDir,
                                KeyCase mode) {
  std::string prefix(PartSize(relDir, mode), '\0');
  [[maybe_unused]] const char* out = EncodePart(prefix.data(), relDir, mode);
  assert(out == prefix.data() + prefix.size() && "size pass and encoding pass disagree");
  return prefix;
}

std::size_t EntryKeySizeWithPrefix(std::string_view prefix, std::wstring_view name,
                                   bool isDirectory, KeyCase mode) {
  return prefix.size() + (isDirectory ? 0 : 1) + PartSize(name, mode);
}

char* WriteEntryKeyWithPrefix(char* out, std::string_view prefix, std::wstring_view name,
                              bool isDirectory, KeyCase mode) {
  std::memcpy(out, prefix.data(), prefix.size());
  out += prefix.size();
  if (!isDirectory) *out++ = kSeparator;
  out = EncodePart(out, name, mode);
  *out = '\0';
  return out;
}

LookupKey BuildEntryKeyWithPrefix(std::string_view prefix, std::wstring_view name, bool isDirectory,
                                  KeyCase mode) {
  const std::size_t size = EntryKeySizeWithPrefix(prefix, name, isDirectory, mode);
  char* key = static_cast<char*>(std::malloc(size + 1));
  if (key == nullptr) return {};
  [[maybe_unused]] const char* end = WriteEntryKeyWithPrefix(key, prefix, name, isDirectory, mode);
  assert(static_cast<std::size_t>(end - key) == size && "size pass and encoding pass disagree");
  return LookupKey::Adopt(key);
}

LookupKey BuildEntryKeyWithPrefix(std::string_view prefix, const EntryName& name, bool isDirectory,
                                  KeyCase mode) {
  const std::string_view bytes = name.bytes();
  // Characters 0x03..0x7F other than '/' are their own key bytes when letters keep their case.
  const bool plain =
      mode == KeyCase::kExact && name.IsAscii() &&
      std::none_of(bytes.begin(), bytes.end(), [](char c) { return c < 0x03 || c == '/'; });
  if (!plain) return BuildEntryKeyWithPrefix(prefix, name.str(), isDirectory, mode);
  const std::size_t size = prefix.size() + (isDirectory ? 0 : 1) + bytes.size();
  char* key = static_cast<char*>(std::malloc(size + 1));
  if (key == nullptr) return {};
  char* out = key;
  std::memcpy(out, prefix.data(), prefix.size());
  out += prefix.size();
  if (!isDirectory) *out++ = kSeparator;
  std::memcpy(out, bytes.data(), bytes.size());
  out[bytes.size()] = '\0';
  return LookupKey::Adopt(key);
}
