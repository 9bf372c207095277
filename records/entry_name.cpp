#include "records/entry_name.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Byte form of one character that is not ASCII: the lead byte tells the length as in UTF-8 up to
// 21 bits; wider values (no character, but a wchar_t may hold them) get 0xFF and four raw bytes.
constexpr unsigned char kWide = 0xFF;

std::size_t EncodedSize(std::uint32_t u) {
  if (u < 0x80) return 1;
  if (u < 0x800) return 2;
  if (u < 0x10000) return 3;
  if (u < 0x200000) return 4;
  return 5;
}

char* Encode(char* out, std::uint32_t u) {
  if (u < 0x80) {
    *out++ = static_cast<char>(u);
  } else if (u < 0x800) {
    *out++ = static_cast<char>(0xC0 | (u >> 6));
    *out++ = static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (u >> 12));
    *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x200000) {
    *out++ = static_cast<char>(0xF0 | (u >> 18));
    *out++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (u & 0x3F));
  } else {
    *out++ = static_cast<char>(kWide);
    std::memcpy(out, &u, 4);
    out += 4;
  }
  return out;
}

// Decodes the character at p (a byte form written by Encode) and returns the position after it.
const unsigned char* Decode(const unsigned char* p, std::uint32_t& u) {
  const unsigned lead = *p;
  if (lead < 0x80) {
    u = lead;
    return p + 1;
  }
  if (lead == kWide) {
    std::memcpy(&u, p + 1, 4);
    return p + 5;
  }
  if (lead < 0xE0) {
    u = ((lead & 0x1Fu) << 6) | (p[1] & 0x3Fu);
    return p + 2;
  }
  if (lead < 0xF0) {
    u = ((lead & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
    return p + 3;
  }
  u = ((lead & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
  return p + 4;
}

}  // namespace

EntryName::Block* EntryName::NewBlock(std::size_t size, bool ascii) {
  auto* block = static_cast<Block*>(std::malloc(offsetof(Block, text) + size + 1));
  if (block == nullptr) throw std::bad_alloc();
  new (&block->refs) std::atomic<std::uint32_t>(1);
  block->size = static_cast<std::uint32_t>(size);
  block->ascii = ascii;
  block->text[size] = '\0';
  return block;
}

EntryName EntryName::FromAscii(std::string_view ascii) {
  EntryName name;
  if (ascii.empty()) return name;
  assert(std::all_of(ascii.begin(), ascii.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; }) &&
         "ASCII only");
  name.block_ = NewBlock(ascii.size(), true);
  std::memcpy(name.block_->text, ascii.data(), ascii.size());
  return name;
}

EntryName::EntryName(std::wstring_view text) {
  if (text.empty()) return;
  std::size_t size = 0;
  std::uint32_t high = 0;
  for (const wchar_t c : text) {
    const auto u = static_cast<std::uint32_t>(c);
    high |= u;
    size += EncodedSize(u);
  }
  Block* block = NewBlock(size, high < 0x80);
  char* out = block->text;
  if (block->ascii) {
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<char>(text[i]);
    out += size;
  } else {
    for (const wchar_t c : text) out = Encode(out, static_cast<std::uint32_t>(c));
  }
  block_ = block;
}

void EntryName::Release() noexcept {
  if (block_ != nullptr && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    block_->refs.~atomic();
    std::free(block_);
  }
  block_ = nullptr;
}

void EntryName::AppendTo(std::wstring& out) const {
  if (block_ == nullptr) return;
  const std::size_t start = out.size();
  if (block_->ascii) {
    out.resize(start + block_->size);
    for (std::size_t i = 0; i < block_->size; ++i) {
      out[start + i] = static_cast<wchar_t>(static_cast<unsigned char>(block_->text[i]));
    }
    return;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(block_->text);
  const auto* end = p + block_->size;
  while (p < end) {
    std::uint32_t u = 0;
    p = Decode(p, u);
    out.push_back(static_cast<wchar_t>(u));
  }
}

bool operator==(const EntryName& a, std::wstring_view b) {
  if (a.IsAscii()) {
    const std::string_view bytes = a.bytes();
    if (bytes.size() != b.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i) {
      if (static_cast<wchar_t>(static_cast<unsigned char>(bytes[i])) != b[i]) return false;
    }
    return true;
  }
  return a.str() == b;
}
