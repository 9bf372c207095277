#include "document/entry_line_reader.h"

#include <iterator>

#include "document/document_format.h"
#include "document/entries/compare_rules.h"
#include "foundation/number_parsing.h"
#include "platform/file_name_text.h"
#include "platform/system_time.h"
#include "records/entry_key.h"

namespace {

bool IsValidName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  bool stray_bytes = false;
  for (const wchar_t c : name) {
    if (c == L'/' || c == L'\0') return false;
    stray_bytes = stray_bytes || (c >= 0xDC80 && c <= 0xDCFF);
  }
  // A name read from disk holds a stray byte only where its bytes are no UTF-8: stray bytes that
  // together form a character (two lines' worth glued by a quote, say) name no file, and written
  // back they would read as that character.
  if (stray_bytes) {
    std::string native;
    if (platform::FileNameFromWide(name, native) && platform::FileNameToWide(native) != name) {
      return false;
    }
  }
  return true;
}

// "a\b\" (or with '/') to "a/b/"; false for an unusable component.
bool ToMemoryRelDir(std::wstring_view field, std::wstring& out) {
  out.clear();
  std::size_t start = 0;
  while (start < field.size()) {
    std::size_t end = field.find_first_of(L"\\/", start);
    if (end == std::wstring_view::npos) end = field.size();
    const std::wstring_view part = field.substr(start, end - start);
    if (!IsValidName(part)) return false;
    out.append(part).push_back(L'/');
    start = end + 1;
  }
  return true;
}

bool ParseCrc(std::wstring_view field, DWORD& crc) {
  if (field.empty()) {
    crc = kNoCrc;
    return true;
  }
  // Eight hex digits, as written, directly; anything else through ParseUInt.
  if (field.size() == 8) {
    DWORD value = 0;
    bool digits = true;
    for (const wchar_t c : field) {
      DWORD digit = 16;
      if (c >= L'0' && c <= L'9') {
        digit = static_cast<DWORD>(c - L'0');
      } else if (c >= L'A' && c <= L'F') {
        digit = static_cast<DWORD>(c - L'A' + 10);
      } else if (c >= L'a' && c <= L'f') {
        digit = static_cast<DWORD>(c - L'a' + 10);
      }
      digits &= digit < 16;
      value = (value << 4) | (digit & 0xF);
    }
    if (digits) {
      crc = value;
      return true;
    }
  }
  // At most eight digits, as written; ParseUInt also lets through surrounding blanks, which
  // SplitFields has already dropped outside quotes.
  return field.size() <= 8 && ParseUInt(field, crc, 16);
}

// The size field as ParseUInt64(field, size, 1) reads it. Up to 19 decimal digits without a leading
// 0 (which would mean octal) cannot overflow and are read directly.
bool ParseSize(std::wstring_view field, ULONGLONG& size) {
  if (!field.empty() && field.size() <= 19 && field[0] >= L'1' && field[0] <= L'9') {
    ULONGLONG value = 0;
    bool digits = true;
    for (const wchar_t c : field) {
      digits &= c >= L'0' && c <= L'9';
      value = value * 10 + static_cast<ULONGLONG>(c - L'0');
    }
    if (digits) {
      size = value;
      return true;
    }
  }
  return ParseUInt64(field, size, 1);
}

unsigned Digits(const wchar_t* p, int count) {
  unsigned value = 0;
  for (int i = 0; i < count; ++i) value = value * 10 + static_cast<unsigned>(p[i] - L'0');
  return value;
}

// The time field as CNTimeStamp::Parse(field, L"YmdHMS") reads it. The form this program writes,
// "YYYY-MM-DD HH:MM:SS" with every value in range, is read here directly; everything else goes
// through the general parser.
bool ParseEntryTime(std::wstring_view field, CNTimeStamp& time) {
  static constexpr std::wstring_view kPattern = L"0000-00-00 00:00:00";
  bool written = field.size() == kPattern.size();
  for (std::size_t i = 0; written && i < kPattern.size(); ++i) {
    written =
        kPattern[i] == L'0' ? (field[i] >= L'0' && field[i] <= L'9') : field[i] == kPattern[i];
  }
  if (written) {
    SYSTEMTIME fields{};
    fields.wYear = static_cast<WORD>(Digits(&field[0], 4));
    fields.wMonth = static_cast<WORD>(Digits(&field[5], 2));
    fields.wDay = static_cast<WORD>(Digits(&field[8], 2));
    fields.wHour = static_cast<WORD>(Digits(&field[11], 2));
    fields.wMinute = static_cast<WORD>(Digits(&field[14], 2));
    fields.wSecond = static_cast<WORD>(Digits(&field[17], 2));
    ULONGLONG value = 0;
    if (fields.wMonth >= 1 && fields.wMonth <= 12 && fields.wDay >= 1 && fields.wDay <= 31 &&
        fields.wHour <= 23 && fields.wMinute <= 59 && fields.wSecond <= 59 &&
        platform::SystemTimeToFileTime(fields, value)) {
      time = CNTimeStamp(value);
      return true;
    }
  }
  return time.Parse(field, L"YmdHMS");
}

}  // namespace

const CVemoEntryLineReader::RelDir* CVemoEntryLineReader::RelativeDirectory(
    std::wstring_view field) {
  if (last_rel_dir_ != nullptr && last_rel_dir_->first == field) return &last_rel_dir_->second;
  auto found = rel_dirs_.find(field);
  if (found == rel_dirs_.end()) {
    std::wstring relDir;
    if (!ToMemoryRelDir(field, relDir)) return nullptr;
    std::string keyPrefix = BuildEntryKeyPrefix(base_dir_.view(), relDir, key_case_);
    found = rel_dirs_
                .emplace(std::wstring(field),
                         RelDir{SharedText(std::move(relDir)), std::move(keyPrefix)})
                .first;
  }
  // Elements of an unordered_map keep their address when it rehashes.
  last_rel_dir_ = &*found;
  return &found->second;
}

std::unique_ptr<CVemoEntry> CVemoEntryLineReader::ParseEntryLine(std::wstring_view line) {
  if (line.empty() || !(line[0] == L' ' || (line[0] >= L'0' && line[0] <= L'9'))) return nullptr;
  if (splitter_.Split(line) != kEntryFieldCount) return nullptr;
  const std::wstring_view sizeField = splitter_.GetField(0);
  const std::wstring_view crc1Field = splitter_.GetField(1);
  const std::wstring_view crc2Field = splitter_.GetField(2);
  const std::wstring_view timeField = splitter_.GetField(3);
  const std::wstring_view attrField = splitter_.GetField(4);
  const std::wstring_view relDirField = splitter_.GetField(5);
  const std::wstring_view name = splitter_.GetField(6);

  ULONGLONG size = kNoSize;
  if (!sizeField.empty() && !ParseSize(sizeField, size)) return nullptr;
  DWORD crc1 = kNoCrc;
  DWORD crc2 = kNoCrc;
  if (!ParseCrc(crc1Field, crc1) || !ParseCrc(crc2Field, crc2)) return nullptr;
  CNTimeStamp time;
  if (timeField != kNoTimeField && !ParseEntryTime(timeField, time)) return nullptr;
  DWORD attributes = 0;
  if (!ParseAttributes(attrField, attributes)) return nullptr;
  if (!IsValidName(name)) return nullptr;
  const RelDir* relDir = RelativeDirectory(relDirField);
  if (relDir == nullptr) return nullptr;

  auto entry = arena_ != nullptr
                   ? CVemoEntry::CreateInArena(*arena_, base_dir_, relDir->text, name, attributes,
                                               key_case_, relDir->keyPrefix)
                   : std::make_unique<CVemoEntry>(base_dir_, relDir->text, std::wstring(name),
                                                  attributes, key_case_, relDir->keyPrefix);
  if (entry->m_pszKey == nullptr) return nullptr;
  entry->m_stored.size = size;
  entry->m_stored.time = time;
  entry->m_stored.dwCrc1 = crc1;
  entry->m_stored.dwCrc2 = crc2;
  entry->m_dwFlags = EF_LISTED;
  entry->m_dwError = 0;
  return entry;
}

std::unique_ptr<CVemoEntry> ParseEntryLine(std::wstring_view line, const SharedText& baseDir,
                                           KeyCase keyCase) {
  CVemoEntryLineReader reader(baseDir, keyCase);
  return reader.ParseEntryLine(line);
}
