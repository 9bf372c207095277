#include "foundation/bit_key.h"

#include <cstdint>

namespace {

void AppendUnit(std::string& out, std::uint32_t unit) {
  out.push_back(static_cast<char>(unit >> 8));
  out.push_back(static_cast<char>(unit & 0xFF));
}

}  // namespace

CNBitKey CNBitKey::FromWide(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t ch : text) {
    auto code = static_cast<std::uint32_t>(ch);
    if (code > 0x10FFFF) code = 0xFFFD;
    if (code < 0x10000) {
      AppendUnit(bytes, code);  // lone surrogates stay single units, as UTF-16 text carries them
    } else {
      code -= 0x10000;
      AppendUnit(bytes, 0xD800 + (code >> 10));
      AppendUnit(bytes, 0xDC00 + (code & 0x3FF));
    }
  }
  return CNBitKey(std::move(bytes));
}

CNBitKey CNBitKey::FromPointer(const void* pointer) {
  auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer));
  std::string bytes(8, '\0');
  for (int i = 7; i >= 0; --i, value >>= 8) bytes[i] = static_cast<char>(value & 0xFF);
  return CNBitKey(std::move(bytes));
}

CNBitKey& CNBitKey::operator=(const CNBitKey& other) {
  if (this != &other) {
    view_ = other.view_;
    storage_ = other.storage_;
    owned_ = other.owned_;
  }
  return *this;
}
