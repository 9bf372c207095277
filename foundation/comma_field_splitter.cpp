#include "foundation/comma_field_splitter.h"

#include "foundation/blank_chars.h"

std::size_t CNCommaFieldSplitter::Split(std::wstring_view line) {
  // A field is never longer than its part of the line, so the buffer gets the line's length once
  // and the loop writes through a pointer.
  if (text_.size() < line.size()) text_.resize(line.size());
  ends_.clear();
  wchar_t* const begin = text_.data();
  wchar_t* out = begin;
  bool quoted = false;
  const wchar_t* p = line.data();
  const wchar_t* const end = p + line.size();
  while (p != end) {
    const wchar_t c = *p++;
    // Everything above ',' except '\' is plain text: the usual case, tested first.
    if (c > L',' && c != L'\\') {
      *out++ = c;
    } else if (c == L'\\') {
      if (p != end) *out++ = *p++;
    } else if (c == L'"') {
      quoted = !quoted;
    } else if (quoted) {
      *out++ = c;
    } else if (c == L',') {
      ends_.push_back(static_cast<std::size_t>(out - begin));
    } else if (!IsBlankChar(c)) {
      *out++ = c;
    }
  }
  ends_.push_back(static_cast<std::size_t>(out - begin));
  return ends_.size();
}
