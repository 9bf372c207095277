// CNBitKey: the key of a CNKeyMap operation, a string of bits read from its most significant end.
// Held as bytes in the order the map consumes them, each byte from its most significant bit down:
//   - narrow string: its bytes in their own order (a null string is the empty key);
//   - wide string: its UTF-16 units, each high byte first (wchar_t text is converted to UTF-16;
//     code points above U+10FFFF, which no conversion produces, become U+FFFD);
//   - pointer: the pointer's 8 bytes, most significant first.
// So narrow keys order by unsigned bytes, wide keys by UTF-16 units, pointers numerically.
// A narrow key only views the caller's bytes: it must not outlive them.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

class CNBitKey {
 public:
  static CNBitKey FromNarrow(std::string_view text) { return CNBitKey(text); }
  static CNBitKey FromNarrow(const char* text) {
    return CNBitKey(text == nullptr ? std::string_view() : std::string_view(text));
  }
  static CNBitKey FromWide(std::wstring_view text);
  static CNBitKey FromWide(const wchar_t* text) {
    return FromWide(text == nullptr ? std::wstring_view() : std::wstring_view(text));
  }
  static CNBitKey FromPointer(const void* pointer);

  CNBitKey(const CNBitKey& other) { *this = other; }
  CNBitKey& operator=(const CNBitKey& other);

  [[nodiscard]] std::string_view Bytes() const {
    return owned_ ? std::string_view(storage_) : view_;
  }
  [[nodiscard]] std::size_t BitLength() const { return Bytes().size() * 8; }

 private:
  explicit CNBitKey(std::string_view view) : view_(view) {}
  explicit CNBitKey(std::string&& storage) : storage_(std::move(storage)), owned_(true) {}

  std::string_view view_;
  std::string storage_;
  bool owned_ = false;
};
