#include "document/entries/entry_columns.h"

#include <cstdio>
#include <string_view>

#include "document/entries/compare_rules.h"
#include "document/entries/entry.h"
#include "document/entries/entry_flags.h"
#include "foundation/format_text.h"
#include "foundation/system_error.h"

namespace {

constexpr std::wstring_view kInProcess = L"in process...";

struct View {
  const CVemoEntry& entry;
  const FileState& s;  // the state shown: found if found, else listed
  DWORD flags;
  bool notFound;
  bool isNew;
  bool directory;

  explicit View(const CVemoEntry& e)
      : entry(e),
        s(e.GetCurrentState()),
        flags(e.m_dwFlags),
        notFound(IsNotFound(e.m_dwFlags)),
        isNew(IsNew(e.m_dwFlags)),
        directory(s.IsDirectory()) {}

  bool Has(DWORD bits) const { return (flags & bits) != 0; }
};

bool ValidColumn(int column) { return column >= 0 && column < kColumnCount; }

std::wstring_view NamePart(std::wstring_view name) {
  const auto dot = name.rfind(L'.');
  return dot == std::wstring_view::npos ? name : name.substr(0, dot);
}

std::wstring_view ExtPart(std::wstring_view name) {
  const auto dot = name.rfind(L'.');
  return dot == std::wstring_view::npos ? std::wstring_view{} : name.substr(dot + 1);
}

std::wstring DirectoryText(const View& v, int column) {
  if (column == kColumnName) {
    return L"[" + v.entry.m_strRelDir.str() + v.s.name + L"]";
  }
  if (column == kColumnNote) {
    if (v.notFound) return L"Directory not found";
    if (v.isNew) return L"New directory";
    if (v.Has(EF_AWAITING_SCAN)) return std::wstring(kInProcess);
  }
  return {};
}

std::wstring CrcText(const View& v) {
  const CVemoEntry& e = v.entry;
  if (v.Has(EF_CRC_PENDING)) {
    if (!v.Has(EF_LISTED) || !e.m_stored.HasChecksums()) return L"To be calculated...";
    return FormatChecksums(e.m_stored);  // the expected values, while the new ones are computed
  }
  if (e.m_dwError != 0) {
    wchar_t buffer[32];
    std::swprintf(buffer, std::size(buffer), L"Error (%u)", e.m_dwError);
    return buffer;
  }
  if (v.s.HasChecksums()) return FormatChecksums(v.s);
  return L"n/a";
}

std::wstring NoteText(const View& v) {
  const CVemoEntry& e = v.entry;
  if (e.m_dwError != 0) return FormatSystemError(e.m_dwError, false, false);
  if (v.notFound) return L"File not found";
  if (v.isNew) return v.Has(EF_CRC_PENDING) ? L"New file, in process..." : L"New file";
  if (v.Has(EF_AWAITING_SCAN)) return std::wstring(kInProcess);

  const bool pending = v.Has(EF_CRC_PENDING);
  std::wstring note = pending ? L"In process... size " : L"Contents ";
  const DWORD changeBits = pending ? (EF_SIZE_LARGER | EF_SIZE_SMALLER)
                                   : (EF_SIZE_LARGER | EF_SIZE_SMALLER | EF_CRC_CHANGED);
  note += v.Has(changeBits) ? L"changed" : L"unchanged";
  if (v.Has(EF_TIME_OLDER | EF_TIME_NEWER)) {
    note += L", ";
    note += v.Has(EF_TIME_NEWER) ? L"Newer" : L"Older(!)";
    note += L" time stamp (";
    note += FormatTimeDiff(e.m_current.time, e.m_stored.time);
    note += L")";
  }
  if (v.Has(EF_ATTR_CHANGED)) {
    note += L", Attr changed (";
    note += FormatAttributes(e.m_stored.attributes ^ e.m_current.attributes);
    note += L")";
  }
  if (v.Has(EF_BASENAME_CASE | EF_EXT_CASE)) note += L", Name (case) changed";
  return note;
}

std::wstring FileText(const View& v, int column) {
  switch (static_cast<EntryColumn>(column)) {
    case kColumnName:
      return std::wstring(NamePart(v.s.name.str()));
    case kColumnExt:
      return std::wstring(ExtPart(v.s.name.str()));
    case kColumnSize:
      return FormatGroupedU64(v.s.size, 0);
    case kColumnDate:
      // A listing without a time stamp shows none rather than the first day of 1601.
      if (v.s.time == CNTimeStamp()) return {};
      return v.s.time.ToLocal().Format(L"%Y-%m-%d %H:%M:%S");
    case kColumnAttr:
      return FormatAttributes(v.s.attributes);
    case kColumnCrc:
      return CrcText(v);
    case kColumnNote:
      return NoteText(v);
  }
  return {};
}

}  // namespace

std::wstring GetColumnText(const CVemoEntry& entry, int column) {
  if (!ValidColumn(column)) return {};
  const View v(entry);
  return v.directory ? DirectoryText(v, column) : FileText(v, column);
}

int GetColumnImage(const CVemoEntry& entry, int column) {
  if (!ValidColumn(column)) return kImageNone;
  const View v(entry);
  if (column == kColumnName) {
    if (!v.directory) return kImageFile;
    return entry.HasChildren() ? kImageFolderWithEntries : kImageFolder;
  }
  if (column == kColumnExt) return kImageNone;
  if (column == kColumnCrc || column == kColumnNote) {
    if (entry.m_dwError != 0) return kImageError;
    if (v.notFound) return kImageNotFound;
    if (v.isNew) return v.Has(EF_CRC_PENDING) ? kImageInProcess : kImageNew;
    if (v.directory) return kImageNone;
    if (v.Has(EF_CRC_PENDING | EF_AWAITING_SCAN)) return kImageInProcess;
    const DWORD changeBits = column == kColumnCrc ? EF_CRC_CHANGED : EF_CHANGE_MASK;
    return v.Has(changeBits) ? kImageChanged : kImageUnchanged;
  }
  // Size, Date and Attr.
  if (v.notFound) return kImageNotFound;
  if (v.isNew) return kImageNew;
  if (v.directory) return kImageNone;
  if (v.Has(EF_AWAITING_SCAN)) return kImageAwaitingScan;
  switch (column) {
    case kColumnSize:
      if (v.Has(EF_SIZE_LARGER)) return kImageGrownOrNewer;
      if (v.Has(EF_SIZE_SMALLER)) return kImageShrunkOrOlder;
      break;
    case kColumnDate:
      if (v.Has(EF_TIME_NEWER)) return kImageGrownOrNewer;
      if (v.Has(EF_TIME_OLDER)) return kImageShrunkOrOlder;
      if (v.Has(EF_TOL_TZSHIFT | EF_TOL_2SECONDS)) return kImageTolerated;
      break;
    default:  // kColumnAttr
      if (v.Has(EF_TOL_ATTR)) return kImageTolerated;
      if (v.Has(EF_ATTR_CHANGED)) return kImageChanged;
      break;
  }
  return kImageUnchanged;
}

int GetColumnState(const CVemoEntry& entry, int column) {
  if (!ValidColumn(column)) return kCategoryNone;
  const View v(entry);
  if (column == kColumnCrc || column == kColumnNote) {
    if (entry.m_dwError != 0) return kCategoryError;
    if (v.Has(EF_CRC_PENDING | EF_AWAITING_SCAN)) return kCategoryInProcess;
  }
  bool unchanged = true;
  switch (static_cast<EntryColumn>(column)) {
    case kColumnName:
      unchanged = !v.Has(EF_BASENAME_CASE);
      break;
    case kColumnExt:
      unchanged = !v.Has(EF_EXT_CASE);
      break;
    case kColumnSize:
      unchanged = !v.Has(EF_SIZE_LARGER | EF_SIZE_SMALLER);
      break;
    case kColumnDate:
      unchanged = !v.Has(EF_TIME_NEWER | EF_TIME_OLDER);
      break;
    case kColumnAttr:
      unchanged = !v.Has(EF_ATTR_CHANGED);
      break;
    case kColumnCrc:
      unchanged = !IsComparable(v.flags) || !v.Has(EF_CRC_CHANGED);
      break;
    case kColumnNote:
      unchanged = true;
      break;
  }
  if (v.notFound) return kCategoryNotFound;
  if (v.isNew) return kCategoryNew;
  if (v.Has(EF_AWAITING_SCAN)) return kCategoryInProcess;
  if (v.directory || unchanged) return kCategoryNormal;
  return kCategoryChanged;
}
