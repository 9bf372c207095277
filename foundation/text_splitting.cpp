#include "foundation/text_splitting.h"

#include <algorithm>
#include <iterator>

CNStringList SplitLines(std::wstring_view text) {
  CNStringList lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) break;
    lines.AddTail(std::wstring(text.substr(start, end - start)));
    start = end + 1;
    if (text[end] == L'\r' && start < text.size() && text[start] == L'\n') ++start;
  }
  lines.AddTail(std::wstring(text.substr(start)));
  return lines;
}

CNStringList SplitText(const wchar_t* text, const wchar_t* delimiters) {
  if (!text) return {};
  return SplitText(std::wstring_view(text), delimiters ? std::wstring_view(delimiters) : L"");
}

CNStringList SplitText(std::wstring_view text, std::wstring_view delimiters) {
  CNStringList pieces;
  if (delimiters.empty()) {
    if (!text.empty()) pieces.AddTail(std::wstring(text));
    return pieces;
  }
  // The first delimiter from the current position, whichever it is, ends the piece.
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of(delimiters, start);
    if (end == std::wstring_view::npos) break;
    pieces.AddTail(std::wstring(text.substr(start, end - start)));
    start = end + 1;
  }
  pieces.AddTail(std::wstring(text.substr(start)));
  return pieces;
}

std::wstring JoinStrings(const CNStringList& list, std::wstring_view separator,
                         std::ptrdiff_t first, std::ptrdiff_t count) {
  const auto size = static_cast<std::ptrdiff_t>(list.GetCount());
  if (first < 0 || first >= size || count < 1) return {};
  const std::ptrdiff_t last = first + std::min(count, size - first);
  const auto begin = std::next(list.begin(), first);
  const auto end = std::next(list.begin(), last);

  std::size_t length = separator.size() * static_cast<std::size_t>(last - first - 1);
  for (auto it = begin; it != end; ++it) length += it->size();
  std::wstring out;
  out.reserve(length);
  for (auto it = begin; it != end; ++it) {
    if (it != begin) out.append(separator);
    out.append(*it);
  }
  return out;
}
