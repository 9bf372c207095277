#include "document/entries/compare_rules.h"

#include <cstdio>
#include <cstdlib>

#include "document/entries/entry.h"
#include "foundation/process_values.h"

namespace {

constexpr wchar_t kAttributeLetters[] = L"rhsdaetzpcoj";
constexpr DWORD kAttributeBits[] = {0x1,   0x2,   0x4,   0x10,  0x20,   0x4000,
                                    0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000};
static_assert(std::size(kAttributeBits) == std::size(kAttributeLetters) - 1);

constexpr LONGLONG kSecondsPerHour = 3600;
constexpr LONGLONG kSecondsPerDay = 86400;

bool On(const std::atomic<std::uint32_t>& setting) {
  return setting.load(std::memory_order_relaxed) != 0;
}

// The name up to its last '.' and the part from that '.' on (empty when there is none).
std::wstring_view BaseName(std::wstring_view name) {
  const auto dot = name.rfind(L'.');
  return dot == std::wstring_view::npos ? name : name.substr(0, dot);
}
std::wstring_view Extension(std::wstring_view name) {
  const auto dot = name.rfind(L'.');
  return dot == std::wstring_view::npos ? std::wstring_view{} : name.substr(dot);
}

}  // namespace

bool NeedsChecksum(const FileState& reference, const FileState& found, DWORD driveType) {
  if (reference.IsDirectory()) return false;
  // Listed without checksums (it could not be read, or changed while it was): nothing to take
  // as unchanged.
  if (!reference.HasChecksums()) return true;
  if (reference.name != found.name || reference.size != found.size) return true;
  if (((reference.attributes ^ found.attributes) & kComparedAttributes) != 0 &&
      !(On(TolARAttrOnCD) &&
        IsCdAttrTolerated(reference.attributes, found.attributes, driveType))) {
    return true;
  }
  if (reference.time != found.time &&
      !(On(TolTZShift) && IsWholeHourShift(reference.time, found.time))) {
    return true;
  }
  if (!reference.HasChecksums() || !found.HasChecksums()) return false;
  return reference.dwCrc1 != found.dwCrc1 || reference.dwCrc2 != found.dwCrc2;
}

bool IsWholeHourShift(const CNTimeStamp& t1, const CNTimeStamp& t2) {
  // In 64 bits: a 32-bit difference would wrap and call times 136 years apart a one-hour shift.
  const LONGLONG d = std::llabs(WholeSeconds(t1) - WholeSeconds(t2));
  if (d == 0 || d >= kSecondsPerDay) return false;
  return d % kSecondsPerHour == 0;
}

bool IsCdAttrTolerated(DWORD stored, DWORD current, DWORD driveType) {
  if (driveType != DRIVE_CDROM) return false;
  const DWORD a = stored & kComparedAttributes;
  const DWORD b = current & kComparedAttributes;
  if (a == b) return false;
  return (a | kCdAttributes) == (b | kCdAttributes);
}

int CompareTimes(const CNTimeStamp& stored, const CNTimeStamp& current, bool oneSecondTolerance,
                 DWORD& flags) {
  const int order = stored.Compare(current);
  if (order == 0) return 0;
  if (!oneSecondTolerance) return order;
  const LONGLONG d = WholeSeconds(stored) - WholeSeconds(current);
  if (d >= -1 && d <= 1) {
    flags |= EF_TOL_2SECONDS;
    return 0;
  }
  return order;
}

DWORD CompareStates(const FileState& s, const FileState& c, DWORD driveType, KeyCase keyCase) {
  DWORD f = 0;
  if (keyCase == KeyCase::kFold && !(s.name == c.name)) {
    const std::wstring stored = s.name.str();
    const std::wstring current = c.name.str();
    if (BaseName(stored) != BaseName(current)) f |= EF_BASENAME_CASE;
    if (Extension(stored) != Extension(current)) f |= EF_EXT_CASE;
  }
  if (s.size < c.size) f |= EF_SIZE_LARGER;
  if (s.size > c.size) f |= EF_SIZE_SMALLER;
  if (On(TolTZShift) && IsWholeHourShift(s.time, c.time)) {
    f |= EF_TOL_TZSHIFT;
  } else {
    const int order = CompareTimes(s.time, c.time, On(Tol2Seconds), f);
    if (order > 0) f |= EF_TIME_OLDER;
    if (order < 0) f |= EF_TIME_NEWER;
  }
  if (On(TolARAttrOnCD) && IsCdAttrTolerated(s.attributes, c.attributes, driveType)) {
    f |= EF_TOL_ATTR;
  } else {
    const DWORD x = s.attributes ^ c.attributes;
    if ((x & kComparedAttributes) != 0) {
      f |= (x & kSignificantAttributes) != 0 ? EF_ATTR_CHANGED : EF_TOL_ATTR;
    }
  }
  if (s.dwCrc1 != c.dwCrc1 || s.dwCrc2 != c.dwCrc2) f |= EF_CRC_CHANGED;
  return f;
}

void Recompare(CVemoEntry& entry) {
  DWORD f = entry.m_dwFlags & ~EF_COMPARE_MASK;
  if (IsComparable(f)) {
    f |= CompareStates(entry.m_stored, entry.m_current, entry.m_nDriveType, entry.m_keyCase);
  }
  entry.m_dwFlags = f;
}

std::wstring FormatAttributes(DWORD attributes) {
  std::wstring text(std::size(kAttributeBits), L'-');
  for (std::size_t i = 0; i < std::size(kAttributeBits); ++i) {
    if (attributes & kAttributeBits[i]) text[i] = kAttributeLetters[i];
  }
  return text;
}

bool ParseAttributes(std::wstring_view text, DWORD& attributes) {
  DWORD value = 0;
  for (wchar_t ch : text) {
    if (ch == L'-') continue;
    const wchar_t* letter =
        std::char_traits<wchar_t>::find(kAttributeLetters, std::size(kAttributeBits), ch);
    if (letter == nullptr) return false;
    value |= kAttributeBits[letter - kAttributeLetters];
  }
  attributes = value;
  return true;
}

std::wstring FormatTimeDiff(const CNTimeStamp& current, const CNTimeStamp& stored) {
  // In 64 bits: a time stamp listed as 0 against a real one differs by centuries, which 32 bits
  // would wrap into nonsense.
  const LONGLONG d = WholeSeconds(current) - WholeSeconds(stored);
  const unsigned long long a =
      d < 0 ? 0ULL - static_cast<unsigned long long>(d) : static_cast<unsigned long long>(d);
  const unsigned long long days = a / kSecondsPerDay;
  const unsigned hours = static_cast<unsigned>(a / kSecondsPerHour % 24);
  const unsigned minutes = static_cast<unsigned>(a / 60 % 60);
  const unsigned seconds = static_cast<unsigned>(a % 60);
  wchar_t buffer[64];
  if (days > 0) {
    std::swprintf(buffer, std::size(buffer), L"%lc%llud %02u:%02u:%02u", d < 0 ? L'-' : L'+', days,
                  hours, minutes, seconds);
  } else {
    std::swprintf(buffer, std::size(buffer), L"%lc%02u:%02u:%02u", d < 0 ? L'-' : L'+', hours,
                  minutes, seconds);
  }
  return buffer;
}

std::wstring FormatChecksums(const FileState& state) {
  wchar_t buffer[32];
  std::swprintf(buffer, std::size(buffer), L"0x%8.8X/0x%8.8X", state.dwCrc1, state.dwCrc2);
  return buffer;
}
