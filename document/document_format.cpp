#include "document/document_format.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "document/entries/compare_rules.h"
#include "foundation/blank_chars.h"
#include "foundation/comma_fields.h"
#include "platform/file_time.h"
#include "platform/utf8.h"
#include "records/entry_name.h"

namespace {

bool IsCarriedChar(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  if (code == 0 || c == L'\r' || c == L'\n') return false;
  if (code >= 0xD800 && code <= 0xDFFF) return code >= 0xDC80 && code <= 0xDCFF;
  return code <= 0x10FFFF;
}

// Every character printable 7-bit text, so carried: one pass without early exit, which the
// compiler vectorises. Most names and directories are such text.
bool IsPrintableAscii(std::wstring_view text) {
  std::uint32_t low = 0x7E;
  std::uint32_t high = 0x20;
  for (const wchar_t c : text) {
    low = std::min(low, static_cast<std::uint32_t>(c));
    high = std::max(high, static_cast<std::uint32_t>(c));
  }
  return low >= 0x20 && high <= 0x7E;
}

bool IsDotName(std::wstring_view name) { return name == L"." || name == L".."; }

// The wide form of a name, in a buffer of the calling thread's that the next call reuses: the
// writer turns a million names into text.
std::wstring_view WideName(const EntryName& name) {
  thread_local std::wstring buffer;
  buffer.clear();
  name.AppendTo(buffer);
  return buffer;
}

// Only a time the reader takes back is written (kMaxFileTime: the calendar's range); beyond it
// (the year 30828 and on) an entry is listed without a time stamp rather than with a line that
// would never read back.
bool IsWritableTime(const CNTimeStamp& time) { return time.Value() <= platform::kMaxFileTime; }

// One path component that reads back as itself.
bool IsCarriedName(std::wstring_view name) {
  if (name.empty() || IsDotName(name)) return false;
  if (IsPrintableAscii(name)) return name.find(L'/') == std::wstring_view::npos;
  for (const wchar_t c : name) {
    if (c == L'/' || !IsCarriedChar(c)) return false;
  }
  return true;
}

// IsCarriedName of the name's wide text; a printable ASCII name is checked in its bytes, without
// making the wide text (a million names are checked on every save).
bool IsCarriedEntryName(const EntryName& name) {
  if (name.IsAscii()) {
    const std::string_view bytes = name.bytes();
    unsigned char low = 0x7E;
    unsigned char high = 0x20;
    for (const char c : bytes) {
      low = std::min(low, static_cast<unsigned char>(c));
      high = std::max(high, static_cast<unsigned char>(c));
    }
    if (low >= 0x20 && high <= 0x7E) {
      return !bytes.empty() && bytes != "." && bytes != ".." &&
             bytes.find('/') == std::string_view::npos;
    }
  }
  return IsCarriedName(WideName(name));
}

// "a/b/" in memory: every component carried and free of '\', which the file uses as separator.
bool IsCarriedRelDir(std::wstring_view relDir) {
  if (relDir.empty()) return true;
  if (relDir.back() != L'/') return false;
  if (relDir.find(L'\\') != std::wstring_view::npos) return false;
  const bool printable = IsPrintableAscii(relDir);
  std::size_t start = 0;
  while (start < relDir.size()) {
    const std::size_t end = relDir.find(L'/', start);
    const std::wstring_view part = relDir.substr(start, end - start);
    if (printable ? part.empty() || IsDotName(part) : !IsCarriedName(part)) return false;
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

// The bytes of one character as EncodeDocumentText writes it; false when it is not 7-bit.
bool PutChar(char*& at, wchar_t c) {
  auto code = static_cast<std::uint32_t>(c);
  if (code < 0x80) {
    *at++ = static_cast<char>(code);
    return true;
  }
  if (code >= 0xDC80 && code <= 0xDCFF) {
    *at++ = static_cast<char>(code - 0xDC00);
    return false;
  }
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  at = platform::PutUtf8(at, code);
  return false;
}

// Appends the bytes of QuoteField(text), with every '/' taken as '\' when `slashAsBackslash`
// (relative directories are written with Windows separators). False when not 7-bit.
bool AppendFieldBytes(std::wstring_view text, bool slashAsBackslash, std::string& out) {
  bool quote = false;
  std::size_t escapes = 0;
  for (const wchar_t c : text) {
    if (c == L'\\' || c == L'"' || (slashAsBackslash && c == L'/')) {
      ++escapes;
      quote = true;
    } else if (c == L',' || IsBlankChar(c)) {
      quote = true;
    }
  }
  // Room for the longest form first, so the loop writes through a pointer.
  const std::size_t start = out.size();
  out.resize(start + 4 * text.size() + escapes + 2);
  char* at = out.data() + start;
  bool sevenBit = true;
  if (quote) *at++ = '"';
  for (wchar_t c : text) {
    if (slashAsBackslash && c == L'/') c = L'\\';
    if (c == L'\\' || c == L'"') {
      *at++ = '\\';
      *at++ = static_cast<char>(c);
    } else if (!PutChar(at, c)) {
      sevenBit = false;
    }
  }
  if (quote) *at++ = '"';
  out.resize(static_cast<std::size_t>(at - out.data()));
  return sevenBit;
}

void AppendHex8(std::string& out, DWORD value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char digits[8];
  for (int i = 7; i >= 0; --i, value >>= 4) digits[i] = kDigits[value & 0xF];
  out.append(digits, 8);
}

void AppendDigits(char*& at, unsigned value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  at += width;
}

// The quoted time field: the fixed form by hand, anything else through FormatEntryTime.
bool AppendTimeField(const CNTimeStamp& time, std::string& out) {
  SYSTEMTIME fields{};
  if (!IsWritableTime(time)) return AppendTimeField(kNullTimeStamp, out);
  if (!time.IsZero() &&
      (time.ToSystemTime(&fields) == nullptr || fields.wYear < 1000 || fields.wYear > 9999)) {
    return AppendFieldBytes(FormatEntryTime(time), false, out);
  }
  // Both forms hold blanks, so the field is always quoted.
  char field[2 + kNoTimeField.size()];
  char* at = field;
  *at++ = '"';
  if (time.IsZero()) {
    for (std::size_t i = 0; i < kNoTimeField.size(); ++i) *at++ = ' ';
  } else {
    AppendDigits(at, fields.wYear, 4);
    *at++ = '-';
    AppendDigits(at, fields.wMonth, 2);
    *at++ = '-';
    AppendDigits(at, fields.wDay, 2);
    *at++ = ' ';
    AppendDigits(at, fields.wHour, 2);
    *at++ = ':';
    AppendDigits(at, fields.wMinute, 2);
    *at++ = ':';
    AppendDigits(at, fields.wSecond, 2);
  }
  *at++ = '"';
  out.append(field, sizeof(field));
  return true;
}

}  // namespace

EncodedRelDir EncodeRelDir(std::wstring_view relDir) {
  EncodedRelDir encoded;
  encoded.carried = IsCarriedRelDir(relDir);
  encoded.sevenBit = AppendFieldBytes(relDir, true, encoded.bytes);
  return encoded;
}

bool AppendEntryLineBytes(const CVemoEntry& entry, std::string& out) {
  return AppendEntryLineBytes(entry, EncodeRelDir(entry.m_strRelDir.view()), out);
}

bool AppendEntryLineBytes(const CVemoEntry& entry, const EncodedRelDir& relDir, std::string& out) {
  const FileState& state = entry.GetSavedState();
  // The size field is digits only, so its width in bytes is its width in characters.
  char size[24];
  std::size_t sizeLength = 0;
  if (state.size != kNoSize) {
    sizeLength =
        static_cast<std::size_t>(std::to_chars(size, size + sizeof(size), state.size).ptr - size);
  }
  if (sizeLength < kSizeColumns) out.append(kSizeColumns - sizeLength, ' ');
  out.append(size, sizeLength);
  out.push_back(',');
  AppendHex8(out, state.dwCrc1);
  out.push_back(',');
  AppendHex8(out, state.dwCrc2);
  out.push_back(',');
  bool sevenBit = AppendTimeField(state.time, out);
  out.push_back(',');
  // Attribute letters and '-' need no quoting.
  const std::wstring attributes = FormatAttributes(state.attributes);
  sevenBit &= AppendFieldBytes(attributes, false, out);
  out.push_back(',');
  out.append(relDir.bytes);
  sevenBit &= relDir.sevenBit;
  out.push_back(',');
  sevenBit &= AppendFieldBytes(WideName(state.name), false, out);
  return sevenBit;
}

bool CanCarryEntry(const CVemoEntry& entry) {
  return IsCarriedEntryName(entry.GetSavedState().name) &&
         IsCarriedRelDir(entry.m_strRelDir.view());
}

bool CanCarryEntry(const CVemoEntry& entry, const EncodedRelDir& relDir) {
  return relDir.carried && IsCarriedEntryName(entry.GetSavedState().name);
}

std::wstring FormatEntryTime(const CNTimeStamp& time) {
  if (time.IsZero() || !IsWritableTime(time)) return std::wstring(kNoTimeField);
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
  const FileState& state = entry.GetSavedState();
  std::wstring line;
  line.reserve(96 + state.name.bytes().size() + entry.m_strRelDir.size());
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
  AppendQuotedField(line, state.name.str());
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
  for (const wchar_t c : text) sevenBit &= PutChar(at, c);
  out.resize(static_cast<std::size_t>(at - out.data()));
  return sevenBit;
}

void DecodeDocumentText(std::string_view bytes, std::wstring& out) {
  // Widen every byte first (a loop the compiler vectorises); only a line with a byte of 0x80 or
  // more is decoded again from its first such byte.
  const std::size_t n = bytes.size();
  if (out.size() < n) out.resize(n);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  wchar_t* wide = out.data();
  unsigned char high = 0;
  for (std::size_t i = 0; i < n; ++i) {
    high |= in[i];
    wide[i] = static_cast<wchar_t>(in[i]);
  }
  if (high < 0x80) {
    out.resize(n);
    return;
  }
  std::size_t i = 0;
  while (in[i] < 0x80) ++i;
  out.resize(i);
  (void)platform::DecodeUtf8(bytes.substr(i), platform::Utf8Decoding::kEscapeBytes, out);
}

bool IsHeaderOrTrailerLine(std::string_view line) {
  // The prefixes are 7-bit, so their UTF-8 bytes are their characters.
  const auto starts = [line](std::wstring_view prefix) {
    if (line.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
      if (static_cast<unsigned char>(line[i]) != static_cast<unsigned>(prefix[i])) return false;
    }
    return true;
  };
  return line.starts_with(std::string_view(kSignatureMarker, kSignatureMarkerLength)) ||
         starts(kDateHeaderPrefix) || starts(kSystemHeaderPrefix) || starts(kPathHeaderPrefix);
}
