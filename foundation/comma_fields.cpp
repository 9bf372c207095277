#include "foundation/comma_fields.h"

#include <algorithm>
#include <iterator>

#include "foundation/blank_chars.h"

void AppendQuotedField(std::wstring& out, std::wstring_view text, wchar_t separator) {
  // One pass to learn the length and whether quotes are needed, then one exact append.
  std::size_t escapes = 0;
  bool quote = false;
  for (wchar_t c : text) {
    if (c == separator && separator != 0) c = L'\\';
    if (c == L'\\' || c == L'"') {
      ++escapes;
    } else if (c == L',' || IsBlankChar(c)) {
      quote = true;
    }
  }
  quote = quote || escapes != 0;
  const std::size_t start = out.size();
  out.resize(start + text.size() + escapes + (quote ? 2 : 0));
  wchar_t* at = out.data() + start;
  if (quote) *at++ = L'"';
  for (wchar_t c : text) {
    if (c == separator && separator != 0) c = L'\\';
    if (c == L'\\' || c == L'"') *at++ = L'\\';
    *at++ = c;
  }
  if (quote) *at = L'"';
}

std::wstring QuoteField(std::wstring_view text) {
  std::wstring out;
  AppendQuotedField(out, text);
  return out;
}

CNStringList SplitFields(std::wstring_view line) {
  CNStringList fields;
  std::wstring field;
  bool escape = false;
  bool quoted = false;
  for (const wchar_t c : line) {
    if (escape) {
      field.push_back(c);
      escape = false;
    } else if (c == L'\\') {
      escape = true;
    } else if (c == L'"') {
      quoted = !quoted;
    } else if (!quoted && IsBlankChar(c)) {
      // dropped
    } else if (!quoted && c == L',') {
      fields.AddTail(std::move(field));
      field.clear();
    } else {
      field.push_back(c);
    }
  }
  fields.AddTail(std::move(field));
  return fields;
}

std::wstring JoinFields(const CNStringList& list, std::ptrdiff_t first, std::ptrdiff_t count) {
  const auto size = static_cast<std::ptrdiff_t>(list.GetCount());
  if (first < 0 || first >= size || count < 1) return {};
  const std::ptrdiff_t last = first + std::min(count, size - first);
  const auto begin = std::next(list.begin(), first);
  const auto end = std::next(list.begin(), last);
  std::wstring out;
  for (auto it = begin; it != end; ++it) {
    if (it != begin) out.push_back(L',');
    out.append(QuoteField(*it));
  }
  return out;
}
