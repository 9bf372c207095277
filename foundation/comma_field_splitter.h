// CNCommaFieldSplitter: SplitFields (comma_fields.h) for loops over many lines. The fields of the
// last line split live in one buffer that the next split reuses, so once it has grown, splitting
// allocates nothing.
//
// One splitter belongs to one thread. Field views stay valid until the next Split.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CNCommaFieldSplitter {
 public:
  // Splits the line by exactly the rules of SplitFields and returns the number of fields.
  std::size_t Split(std::wstring_view line);

  [[nodiscard]] std::size_t GetCount() const { return ends_.size(); }
  // Field `index` (below GetCount) of the last split.
  [[nodiscard]] std::wstring_view GetField(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::wstring_view(text_.data() + begin, ends_[index] - begin);
  }

 private:
  std::wstring text_;              // the fields one after another, escapes and quotes removed
  std::vector<std::size_t> ends_;  // where each field ends in text_
};
