#include "records/letter_case.h"

#include <locale.h>

#include <cwctype>

namespace {

// The "C" locale upper-cases ASCII only; C.UTF-8 knows the whole of Unicode. Built once, shared by
// all threads (towupper_l only reads it).
locale_t UnicodeCtype() {
  static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return loc;
}

}  // namespace

wchar_t FoldNonAsciiLetterCase(wchar_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return c;  // byte stand-ins and other surrogates
  const locale_t loc = UnicodeCtype();
  if (loc == static_cast<locale_t>(nullptr)) return c;
  return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), loc));
}

bool TextEquals(std::wstring_view a, std::wstring_view b, KeyCase mode) {
  if (a.size() != b.size()) return false;
  if (mode == KeyCase::kExact) return a == b;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldLetterCase(a[i]) != FoldLetterCase(b[i])) return false;
  }
  return true;
}
