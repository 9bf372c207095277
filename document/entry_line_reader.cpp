#include "document/entry_line_reader.h"

#include <iterator>

#include "document/document_format.h"
#include "document/records/compare_rules.h"
#include "foundation/comma_fields.h"
#include "foundation/number_parsing.h"

namespace {

bool IsValidName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  return name.find_first_of(std::wstring_view(L"/\0", 2)) == std::wstring_view::npos;
}

// "a\b\" (or with '/') to "a/b/"; false for an unusable component.
bool ToMemoryRelDir(const std::wstring& field, std::wstring& out) {
  out.clear();
  std::size_t start = 0;
  while (start < field.size()) {
    std::size_t end = field.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = field.size();
    const std::wstring_view part = std::wstring_view(field).substr(start, end - start);
    if (!IsValidName(part)) return false;
    out.append(part).push_back(L'/');
    start = end + 1;
  }
  return true;
}

bool ParseCrc(const std::wstring& field, DWORD& crc) {
  if (field.empty()) {
    crc = kNoCrc;
    return true;
  }
  // At most eight digits, as written; ParseUInt also lets through surrounding blanks, which
  // SplitFields has already dropped outside quotes.
  return field.size() <= 8 && ParseUInt(field, crc, 16);
}

}  // namespace

const SharedText* CVemoEntryLineReader::RelativeDirectory(const std::wstring& field) {
  auto found = rel_dirs_.find(field);
  if (found != rel_dirs_.end()) return &found->second;
  std::wstring relDir;
  if (!ToMemoryRelDir(field, relDir)) return nullptr;
  return &rel_dirs_.emplace(field, SharedText(std::move(relDir))).first->second;
}

std::unique_ptr<CVemoEntry> CVemoEntryLineReader::ParseEntryLine(std::wstring_view line) {
  if (line.empty() || !(line[0] == L' ' || (line[0] >= L'0' && line[0] <= L'9'))) return nullptr;
  CNStringList fields = SplitFields(line);
  if (fields.GetCount() != kEntryFieldCount) return nullptr;
  auto field = fields.begin();
  const std::wstring& sizeField = *field++;
  const std::wstring& crc1Field = *field++;
  const std::wstring& crc2Field = *field++;
  const std::wstring& timeField = *field++;
  const std::wstring& attrField = *field++;
  const std::wstring& relDirField = *field++;
  std::wstring& name = *field;

  ULONGLONG size = kNoSize;
  if (!sizeField.empty() && !ParseUInt64(sizeField, size, 1)) return nullptr;
  DWORD crc1 = kNoCrc;
  DWORD crc2 = kNoCrc;
  if (!ParseCrc(crc1Field, crc1) || !ParseCrc(crc2Field, crc2)) return nullptr;
  CNTimeStamp time;
  if (timeField != kNoTimeField && !time.Parse(timeField, L"YmdHMS")) return nullptr;
  DWORD attributes = 0;
  if (!ParseAttributes(attrField, attributes)) return nullptr;
  if (!IsValidName(name)) return nullptr;
  const SharedText* relDir = RelativeDirectory(relDirField);
  if (relDir == nullptr) return nullptr;

  auto entry =
      std::make_unique<CVemoEntry>(base_dir_, *relDir, std::move(name), attributes, key_case_);
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
