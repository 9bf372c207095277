// An immutable wide text shared by reference count. The base directory and the relative directory
// of a million entries are a handful of distinct texts: the scanner and the document reader build
// one SharedText per directory and every record of that directory holds a copy of it, so memory
// grows with the number of directories, not with the number of entries.
//
// Copies share the text and may be used and released by different threads (the count is atomic);
// the text itself never changes.
#pragma once
#include <memory>
#include <string>
#include <string_view>

class SharedText {
 public:
  SharedText() = default;
  // Implicit on purpose: wherever a SharedText is expected, a plain text may be given.
  SharedText(std::wstring text)  // NOLINT(google-explicit-constructor)
      : text_(text.empty() ? nullptr : std::make_shared<const std::wstring>(std::move(text))) {}
  SharedText(const wchar_t* text)  // NOLINT(google-explicit-constructor)
      : SharedText(std::wstring(text)) {}

  [[nodiscard]] const std::wstring& str() const { return text_ ? *text_ : Empty(); }
  [[nodiscard]] std::wstring_view view() const { return str(); }
  [[nodiscard]] bool empty() const { return !text_ || text_->empty(); }
  [[nodiscard]] std::size_t size() const { return text_ ? text_->size() : 0; }
  // True when both hold the very same text object (a cheap test before comparing characters).
  [[nodiscard]] bool SameObject(const SharedText& other) const { return text_ == other.text_; }

  friend bool operator==(const SharedText& a, const SharedText& b) {
    return a.text_ == b.text_ || a.str() == b.str();
  }

 private:
  static const std::wstring& Empty() {
    static const std::wstring empty;
    return empty;
  }

  std::shared_ptr<const std::wstring> text_;
};
