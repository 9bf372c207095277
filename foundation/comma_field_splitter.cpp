#include "foundation/comma_field_splitter.h"

#include "foundation/blank_chars.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Copies the run of plain characters (above ',' and not '\') at the start of [p, end) to out and
// returns its length. Runs are most of a line, so they are taken four characters at a time where
// SSE2 exists. out may receive up to three characters more than the run: it never stands after p
// in a buffer at least as long as the line, so they stay inside.
std::size_t CopyPlainRun(const wchar_t* p, const wchar_t* end, wchar_t* out) {
  const wchar_t* q = p;
#if defined(__SSE2__)
  static_assert(sizeof(wchar_t) == 4, "four wide characters per 16 bytes");
  const __m128i comma = _mm_set1_epi32(L',');
  const __m128i backslash = _mm_set1_epi32(L'\\');
  while (end - q >= 4) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (q - p)), chars);
    // Characters are at most 0x10FFFF, so the signed comparison is the right one.
    const __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi32(comma, chars), _mm_cmpeq_epi32(chars, comma)),
                     _mm_cmpeq_epi32(chars, backslash));
    const int mask = _mm_movemask_ps(_mm_castsi128_ps(special));
    if (mask != 0) {
      return static_cast<std::size_t>(q - p) + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    q += 4;
  }
#endif
  for (; q != end && *q > L',' && *q != L'\\'; ++q) out[q - p] = *q;
  return static_cast<std::size_t>(q - p);
}

}  // namespace

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
    // Everything above ',' except '\' is plain text: the usual case, copied by runs.
    const std::size_t run = CopyPlainRun(p, end, out);
    out += run;
    p += run;
    if (p == end) break;
    const wchar_t c = *p++;
    if (c == L'\\') {
      if (p != end) *out++ = *p++;
    } else if (c == L'"') {
      quoted = !quoted;
      // Inside quotes only a quote and '\' are special: the run up to them is copied as it is
      // (blanks and commas of a quoted time or name included).
      while (quoted && p != end && *p != L'"' && *p != L'\\') *out++ = *p++;
    } else if (quoted) {
      *out++ = c;
    } else if (c == L',') {
      ends_.push_back(static_cast<std::size_t>(out - begin));
    } else if (IsBlankChar(c)) {
      while (p != end && IsBlankChar(*p)) ++p;  // the padding in front of a size, say
    } else {
      *out++ = c;
    }
  }
  ends_.push_back(static_cast<std::size_t>(out - begin));
  return ends_.size();
}
