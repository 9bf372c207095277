#include "cli/report_notes.h"

#include "document/entries/compare_rules.h"
#include "document/entries/entry.h"
#include "document/entries/entry_category.h"
#include "document/entries/entry_flags.h"
#include "records/letter_case.h"

namespace {

std::wstring Count(std::size_t n, const wchar_t* one, const wchar_t* many) {
  return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

}  // namespace

DWORD MovedDifferences(const CVemoEntry& to, const CVemoEntry& from) {
  return CompareStates(from.m_stored, to.m_current, to.m_nDriveType, KeyCase::kExact);
}

std::wstring MovedNote(const CVemoEntry& to, const CVemoEntry& from, DWORD differences,
                       std::size_t files) {
  const std::wstring old_path = RelativeEntryPath(from);
  std::wstring note;
  if (TextEquals(old_path, RelativeEntryPath(to), KeyCase::kFold)) {
    note = L"Renamed (letter case only) from ";
  } else if (from.m_strRelDir == to.m_strRelDir) {
    note = L"Renamed from ";
  } else {
    note = L"Moved from ";
  }
  note += old_path;
  if (to.IsDirectory()) return note + L" with its " + Count(files, L"file", L"files");
  // The contents are the same (they paired); the rest is worded as the desktop program words it.
  if ((differences & (EF_TIME_NEWER | EF_TIME_OLDER)) != 0) {
    note += (differences & EF_TIME_NEWER) != 0 ? L", Newer" : L", Older(!)";
    note += L" time stamp (" + FormatTimeDiff(to.m_current.time, from.m_stored.time) + L")";
  }
  if ((differences & EF_ATTR_CHANGED) != 0) {
    note += L", Attr changed (" +
            FormatAttributes(from.m_stored.attributes ^ to.m_current.attributes) + L")";
  }
  return note;
}

std::wstring UnpairedRemark(bool missing, std::uint32_t missing_alike, std::uint32_t new_alike) {
  // The others alike: this entry is one of its own kind.
  const std::uint32_t other_missing = missing ? missing_alike - 1 : missing_alike;
  const std::uint32_t other_new = missing ? new_alike : new_alike - 1;
  std::wstring text = L"not paired: ";
  if (other_new != 0) {
    text += Count(other_new, missing ? L"new file" : L"other new file",
                  missing ? L"new files" : L"other new files");
  }
  if (other_missing != 0) {
    if (other_new != 0) text += L" and ";
    text += Count(other_missing, missing ? L"other missing file" : L"missing file",
                  missing ? L"other missing files" : L"missing files");
  }
  return text + (other_new + other_missing == 1 ? L" has" : L" have") +
         L" the same size and checksums";
}

std::vector<ToleratedDifference> ToleratedDifferences(DWORD flags, const FileState& listed,
                                                      const FileState& found) {
  std::vector<ToleratedDifference> tolerated;
  if ((flags & EF_TOL_TZSHIFT) != 0) {
    tolerated.push_back({Tolerance::kTzShift, FormatTimeDiff(found.time, listed.time)});
  }
  if ((flags & EF_TOL_2SECONDS) != 0) {
    tolerated.push_back({Tolerance::kOneSecond, FormatTimeDiff(found.time, listed.time)});
  }
  if ((flags & EF_TOL_ATTR) != 0) {
    tolerated.push_back(
        {Tolerance::kAttributes,
         FormatAttributes((listed.attributes ^ found.attributes) & kComparedAttributes)});
  }
  return tolerated;
}

const char* ToleranceName(Tolerance kind) {
  switch (kind) {
    case Tolerance::kTzShift:
      return "tz-shift";
    case Tolerance::kOneSecond:
      return "one-second";
    case Tolerance::kAttributes:
      return "attributes";
  }
  return "attributes";
}

std::wstring ToleratedText(const std::vector<ToleratedDifference>& tolerated) {
  std::wstring text;
  for (const ToleratedDifference& difference : tolerated) {
    text += text.empty() ? L"tolerated: " : L", ";
    switch (difference.kind) {
      case Tolerance::kTzShift:
        text += L"whole-hour time shift (";
        break;
      case Tolerance::kOneSecond:
        text += L"one-second time difference (";
        break;
      case Tolerance::kAttributes:
        text += L"attribute change (";
        break;
    }
    text += difference.by + L")";
  }
  return text;
}
