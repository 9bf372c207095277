#include "cli/output_escaping.h"

#include <cstdio>
#include <cwchar>

#include "platform/utf8.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsEscapedByte(wchar_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
bool IsInvalidScalar(wchar_t c) {
  return (c >= 0xD800 && c <= 0xDFFF) || static_cast<unsigned long>(c) > 0x10FFFF;
}

void AppendUnicodeEscape(std::string& out, unsigned long value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\u%04lx", value);
  out += buffer;
}

}  // namespace

std::wstring EscapeTextWide(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  auto hex = [&out](const wchar_t* format, unsigned long value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, format, value);
    out += buffer;
  };
  for (const wchar_t c : text) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        continue;
      case L'\t':
        out += L"\\t";
        continue;
      case L'\n':
        out += L"\\n";
        continue;
      case L'\r':
        out += L"\\r";
        continue;
      default:
        break;
    }
    if (c < 0x20 || c == 0x7F) {
      hex(L"\\x%02lX", static_cast<unsigned long>(c));
    } else if (c >= 0x80 && c <= 0x9F) {
      hex(L"\\u%04lX", static_cast<unsigned long>(c));
    } else if (IsEscapedByte(c)) {
      hex(L"\\x%02lX", static_cast<unsigned long>(c - 0xDC00));
    } else {
      out += IsInvalidScalar(c) ? kReplacement : c;
    }
  }
  return out;
}

std::string EscapeText(std::wstring_view text) { return ToUtf8(EscapeTextWide(text)); }

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) {
    platform::AppendUtf8(out, static_cast<char32_t>(IsInvalidScalar(c) ? kReplacement : c));
  }
  return out;
}

std::string JsonString(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (const wchar_t c : text) {
    switch (c) {
      case L'"':
        out += "\\\"";
        continue;
      case L'\\':
        out += "\\\\";
        continue;
      case L'\b':
        out += "\\b";
        continue;
      case L'\f':
        out += "\\f";
        continue;
      case L'\n':
        out += "\\n";
        continue;
      case L'\r':
        out += "\\r";
        continue;
      case L'\t':
        out += "\\t";
        continue;
      default:
        break;
    }
    if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) {
      AppendUnicodeEscape(out, static_cast<unsigned long>(c));
    } else if (IsInvalidScalar(c)) {
      out += "\\ufffd";
    } else {
      platform::AppendUtf8(out, static_cast<char32_t>(c));
    }
  }
  out += '"';
  return out;
}
