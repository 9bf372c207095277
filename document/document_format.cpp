#include "document/document_format.h"

#include <cstdint>

#include "document/records/compare_rules.h"
#include "foundation/comma_fields.h"
#include "platform/utf8.h"

namespace {

bool IsCarriedChar(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  if (code == 0 || c == L'\r' || c == L'\n') return false;
  if (code >= 0xD800 && code <= 0xDFFF) return code >= 0xDC80 && code <= 0xDCFF;
  return code <= 0x10FFFF;
}

// One path component that reads back as itself.
bool IsCarriedName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (const wchar_t c : name) {
    if (c == L'/' || !IsCarriedChar(c)) return false;
  }
  return true;
}

// "a/b/" in memory: every component carried and free of '\', which the file uses as separator.
bool IsCarriedRelDir(std::wstring_view relDir) {
  if (relDir.empty()) return true;
  if (relDir.back() != L'/') return false;
  std::size_t start = 0;
  while (start < relDir.size()) {
    const std::size_t end = relDir.find(L'/', start);
    const std::wstring_view part = relDir.substr(start, end - start);
    if (!IsCarriedName(part) || part.find(L'\\') != std::wstring_view::npos) return false;
    start = end + 1;
  }
  return true;
}

void AppendHex8(std::wstring& out, DWORD value) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
}

void AppendDigits(std::wstring& out, unsigned value, int width) {
  wchar_t digits[10];
  for (int i = width - 1; i >= 0; --i) {
    digits[i] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  }
  out.append(digits, static_cast<std::size_t>(width));
}

}  // namespace

bool CanCarryEntry(const CVemoEntry& entry) {
  return IsCarriedName(entry.m_current.name) && IsCarriedRelDir(entry.m_strRelDir.view());
}

std::wstring FormatEntryTime(const CNTimeStamp& time) {
  if (time.IsZero()) return std::wstring(kNoTimeField);
  SYSTEMTIME fields{};
  if (time.ToSystemTime(&fields) == nullptr || fields.wYear < 1000 || fields.wYear > 9999) {
    return time.Format(kEntryTimeFormat);
  }
  // The common case by hand: the C library's formatter costs more than the rest of the line.
  std::wstring out;
  out.reserve(19);
  AppendDigits(out, fields.wYear, 4);
  out.push_back(L'-');
  AppendDigits(out, fields.wMonth, 2);
  out.push_back(L'-');
  AppendDigits(out, fields.wDay, 2);
  out.push_back(L' ');
  AppendDigits(out, fields.wHour, 2);
  out.push_back(L':');
  AppendDigits(out, fields.wMinute, 2);
  out.push_back(L':');
  AppendDigits(out, fields.wSecond, 2);
  return out;
}

std::wstring FormatEntryLine(const CVemoEntry& entry) {
  const FileState& state = entry.m_current;
  std::wstring line;
  line.reserve(96 + state.name.size() + entry.m_strRelDir.size());
  if (state.size != kNoSize) line.append(std::to_wstring(state.size));
  line.push_back(L',');
  AppendHex8(line, state.dwCrc1);
  line.push_back(L',');
  AppendHex8(line, state.dwCrc2);
  line.push_back(L',');
  AppendQuotedField(line, FormatEntryTime(state.time));
  line.push_back(L',');
  AppendQuotedField(line, FormatAttributes(state.attributes));
  line.push_back(L',');
  AppendQuotedField(line, entry.m_strRelDir.view(), L'/');  // the file separates with '\\'
  line.push_back(L',');
  AppendQuotedField(line, state.name);
  // The size field needs no quoting (digits only), so the first comma is where it ends.
  const std::size_t comma = line.find(L',');
  if (comma < kSizeColumns) line.insert(0, kSizeColumns - comma, L' ');
  return line;
}

bool EncodeDocumentText(std::wstring_view text, std::string& out) {
  // Room for the longest form first, so the loop writes through a pointer.
  const std::size_t start = out.size();
  out.resize(start + 4 * text.size());
  char* at = out.data() + start;
  bool sevenBit = true;
  for (const wchar_t c : text) {
    auto code = static_cast<std::uint32_t>(c);
    if (code < 0x80) {
      *at++ = static_cast<char>(code);
      continue;
    }
    sevenBit = false;
    if (code >= 0xDC80 && code <= 0xDCFF) {
      *at++ = static_cast<char>(code - 0xDC00);
      continue;
    }
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x800) {
      *at++ = static_cast<char>(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
      *at++ = static_cast<char>(0xE0 | (code >> 12));
      *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    } else {
      *at++ = static_cast<char>(0xF0 | (code >> 18));
      *at++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    *at++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  out.resize(static_cast<std::size_t>(at - out.data()));
  return sevenBit;
}

void DecodeDocumentText(std::string_view bytes, std::wstring& out) {
  out.clear();
  std::size_t i = 0;
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  out.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(i));
  if (i < bytes.size()) {
    (void)platform::DecodeUtf8(bytes.substr(i), platform::Utf8Decoding::kEscapeBytes, out);
  }
}
