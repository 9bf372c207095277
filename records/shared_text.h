// An immutable wide text shared by reference count. The base directory and the relative directory
// of a million entries are a handful of distinct texts: the scanner and the document reader build
// one SharedText per directory and every record of that directory holds a copy of it, so memory
// grows with the number of directories, not with the number of entries. A copy is one pointer.
//
// Copies share the text and may be used and released by different threads (the count is atomic);
// the text itself never changes.
#pragma once
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

class SharedText {
 public:
  SharedText() = default;
  // Implicit on purpose: wherever a SharedText is expected, a plain text may be given.
  SharedText(std::wstring text)  // NOLINT(google-explicit-constructor)
      : block_(text.empty() ? nullptr : new Block{{1}, std::move(text)}) {}
  SharedText(const wchar_t* text)  // NOLINT(google-explicit-constructor)
      : SharedText(std::wstring(text)) {}
  SharedText(const SharedText& other) noexcept : block_(other.block_) {
    if (block_) block_->refs.fetch_add(1, std::memory_order_relaxed);
  }
  SharedText(SharedText&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  SharedText& operator=(const SharedText& other) noexcept {
    SharedText copy(other);
    std::swap(block_, copy.block_);
    return *this;
  }
  SharedText& operator=(SharedText&& other) noexcept {
    SharedText moved(std::move(other));
    std::swap(block_, moved.block_);
    return *this;
  }
  ~SharedText() {
    if (block_ && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block_;
  }

  [[nodiscard]] const std::wstring& str() const { return block_ ? block_->text : Empty(); }
  [[nodiscard]] std::wstring_view view() const { return str(); }
  [[nodiscard]] bool empty() const { return !block_; }
  [[nodiscard]] std::size_t size() const { return block_ ? block_->text.size() : 0; }
  // True when both hold the very same text object (a cheap test before comparing characters).
  [[nodiscard]] bool SameObject(const SharedText& other) const { return block_ == other.block_; }

  friend bool operator==(const SharedText& a, const SharedText& b) {
    return a.block_ == b.block_ || a.str() == b.str();
  }

 private:
  struct Block {
    std::atomic<std::size_t> refs;
    const std::wstring text;
  };

  static const std::wstring& Empty() {
    static const std::wstring empty;
    return empty;
  }

  Block* block_ = nullptr;
};
