#include "foundation/format_text.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <charconv>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/file_system.h"

namespace {

// Past this the formatter is not retried: a text of a quarter of a gigabyte is no display text,
// and an argument the formatter rejects for a reason it does not report would otherwise grow the
// buffer until memory runs out.
constexpr size_t kMaxFormattedChars = size_t{1} << 26;

unsigned Magnitude(int width) {
  return width < 0 ? 0U - static_cast<unsigned>(width) : static_cast<unsigned>(width);
}

template <typename Int>
std::wstring NumberText(Int value, unsigned base, int width, wchar_t fill) {
  assert(base >= 2 && base <= 36 && "bases run from 2 to 36");
  if (base < 2 || base > 36) base = 10;
  char digits[80];
  const auto result = std::to_chars(digits, digits + sizeof digits, value, static_cast<int>(base));
  std::wstring text(digits, result.ptr);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
  return PadText(text, width, fill);
}

bool IsDecimalDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

std::wstring FormatText(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatTextV(format, args);
  va_end(args);
  return text;
}

std::wstring FormatTextV(const wchar_t* format, va_list args) {
  if (format == nullptr) return {};
  for (size_t size = 2048; size <= kMaxFormattedChars; size *= 2) {
    std::vector<wchar_t> buffer(size);
    va_list attempt;
    va_copy(attempt, args);  // each attempt consumes its own copy of the arguments
    errno = 0;
    const int length = std::vswprintf(buffer.data(), size, format, attempt);
    va_end(attempt);
    if (length >= 0) return std::wstring(buffer.data(), static_cast<size_t>(length));
    // glibc leaves errno alone when the output merely did not fit; anything else is final.
    if (errno != 0 && errno != E2BIG && errno != EOVERFLOW) break;
  }
  return format;
}

std::wstring RepeatChar(unsigned count, wchar_t ch) { return std::wstring(count, ch); }

std::wstring PadText(std::wstring_view text, int width, wchar_t fill) {
  const unsigned target = Magnitude(width);
  std::wstring result(text);
  if (result.size() >= target) return result;
  const std::wstring padding = RepeatChar(static_cast<unsigned>(target - result.size()), fill);
  if (width > 0) {
    result.insert(0, padding);
  } else {
    result += padding;
  }
  return result;
}

std::wstring FormatInt(std::int32_t value, unsigned base, int width, wchar_t fill) {
  return NumberText(value, base, width, fill);
}

std::wstring FormatUInt(std::uint32_t value, unsigned base, int width, wchar_t fill) {
  return NumberText(value, base, width, fill);
}

std::wstring FormatUInt64(std::uint64_t value, unsigned base, int width, wchar_t fill) {
  return NumberText(value, base, width, fill);
}

std::wstring GroupDigits(std::wstring_view text, int width) {
  const unsigned target = Magnitude(width);
  if (text.size() <= 3 && text.size() >= target) return std::wstring(text);

  // Built back to front, then reversed.
  std::wstring reversed;
  reversed.reserve(text.size() + text.size() / 3 + target);
  bool grouping = true;
  unsigned digits = 0;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    if (grouping && !IsDecimalDigit(*it)) grouping = false;
    if (grouping) {
      if (digits != 0 && digits % 3 == 0) reversed += L',';
      ++digits;
    }
    reversed += *it;
  }
  if (width > 0 && reversed.size() < target) reversed.append(target - reversed.size(), L' ');
  std::reverse(reversed.begin(), reversed.end());
  if (width < 0 && reversed.size() < target) reversed.append(target - reversed.size(), L' ');
  return reversed;
}

std::wstring FormatGroupedU32(std::uint32_t value, int width) {
  return GroupDigits(FormatUInt(value, 10, 0, L' '), width);
}

std::wstring FormatGroupedU64(std::uint64_t value, int width) {
  return GroupDigits(FormatUInt64(value, 10, 0, L' '), width);
}

ULONGLONG GetFileSize64(platform::ReadableFile& file) {
  ULONGLONG size = 0;
  return file.GetSize(&size) ? size : ~ULONGLONG{0};
}
