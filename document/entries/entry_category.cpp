#include "document/entries/entry_category.h"

#include "document/entries/entry.h"

namespace {

// The differences a user can see without reading the file.
constexpr DWORD kVisibleChangeMask =
    EF_ATTR_CHANGED | EF_TIME_NEWER | EF_TIME_OLDER | EF_SIZE_LARGER | EF_SIZE_SMALLER;

}  // namespace

ReportCategory CategorizeEntry(const CVemoEntry& entry) {
  const DWORD flags = entry.m_dwFlags;
  if (entry.m_dwError != 0) return ReportCategory::kError;
  if (IsNotFound(flags)) return ReportCategory::kMissing;
  if (IsNew(flags)) return ReportCategory::kNew;
  if (entry.IsDirectory() || !IsComparable(flags)) return ReportCategory::kUnchanged;
  if ((flags & EF_CHANGE_MASK) == 0) return ReportCategory::kUnchanged;
  // Silent corruption: the contents changed behind size, time stamp and attributes. Only when both
  // sides were really checksummed; a listed file without checksums is merely changed.
  if ((flags & EF_CRC_CHANGED) != 0 && (flags & kVisibleChangeMask) == 0 &&
      entry.m_stored.HasChecksums() && entry.m_current.HasChecksums()) {
    return ReportCategory::kDamaged;
  }
  return ReportCategory::kChanged;
}

std::wstring RelativeEntryPath(const CVemoEntry& entry) {
  std::wstring path = entry.m_strRelDir.str() + entry.GetCurrentState().name;
  if (entry.IsDirectory()) path += L'/';
  return path;
}
