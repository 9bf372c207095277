// EntryName: the name of a file or directory as an entry or a scan record holds it. A million
// entries hold two names each, so a name is compact and shared: one immutable block with the text
// in a byte form (ASCII as it stands, every other character in a UTF-8-like form that takes any
// wide value, a stand-in byte too, and gives it back exactly), reference-counted, so that copies of
// a state (the found state taken from a scan record, the listed name kept as the found one) share
// it. Wide text is made only where a wide interface is called (str, AppendTo).
//
// Equal names have equal bytes and vice versa. Copies may be used and released by different
// threads (the count is atomic); the text never changes.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

class EntryName {
 public:
  EntryName() = default;
  // Throws std::bad_alloc when memory runs out.
  explicit EntryName(std::wstring_view text);
  explicit EntryName(const std::wstring& text) : EntryName(std::wstring_view(text)) {}
  explicit EntryName(const wchar_t* text) : EntryName(std::wstring_view(text)) {}
  // The name of these characters, all below 0x80 (a name on disk that is plain ASCII), without
  // making wide text first. Throws std::bad_alloc when memory runs out.
  [[nodiscard]] static EntryName FromAscii(std::string_view ascii);
  EntryName(const EntryName& other) noexcept : block_(other.block_) { AddRef(); }
  EntryName(EntryName&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  EntryName& operator=(const EntryName& other) noexcept {
    if (block_ != other.block_) {
      EntryName copy(other);
      Swap(copy);
    }
    return *this;
  }
  EntryName& operator=(EntryName&& other) noexcept {
    EntryName moved(std::move(other));
    Swap(moved);
    return *this;
  }
  EntryName& operator=(std::wstring_view text) { return *this = EntryName(text); }
  ~EntryName() { Release(); }

  [[nodiscard]] bool empty() const { return block_ == nullptr; }
  // The wide text.
  [[nodiscard]] std::wstring str() const {
    std::wstring text;
    AppendTo(text);
    return text;
  }
  operator std::wstring() const { return str(); }  // NOLINT(google-explicit-constructor)
  void AppendTo(std::wstring& out) const;
  // The byte form; for an ASCII name (IsAscii) these are its characters.
  [[nodiscard]] std::string_view bytes() const {
    return block_ ? std::string_view(block_->text, block_->size) : std::string_view();
  }
  [[nodiscard]] bool IsAscii() const { return !block_ || block_->ascii; }
  // Where the name's bytes are kept, for a prefetch; nothing is read there.
  [[nodiscard]] const void* Address() const { return block_; }
  // True when both share one block (a cheap test before comparing bytes).
  [[nodiscard]] bool SameObject(const EntryName& other) const { return block_ == other.block_; }

  friend bool operator==(const EntryName& a, const EntryName& b) {
    return a.block_ == b.block_ || a.bytes() == b.bytes();
  }
  friend bool operator==(const EntryName& a, std::wstring_view b);

 private:
  struct Block {
    std::atomic<std::uint32_t> refs;
    std::uint32_t size;
    bool ascii;
    char text[1];  // size bytes, then a NUL
  };

  void Swap(EntryName& other) noexcept {
    Block* block = block_;
    block_ = other.block_;
    other.block_ = block;
  }
  void AddRef() const {
    if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() noexcept;
  static Block* NewBlock(std::size_t size, bool ascii);

  Block* block_ = nullptr;
};

// Path texts are built by appending a name to a directory.
[[nodiscard]] inline std::wstring operator+(const std::wstring& text, const EntryName& name) {
  std::wstring result(text);
  name.AppendTo(result);
  return result;
}
[[nodiscard]] inline std::wstring operator+(std::wstring&& text, const EntryName& name) {
  name.AppendTo(text);
  return std::move(text);
}
