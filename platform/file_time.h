// File times in Windows currency: 100 ns units since 1601-01-01 00:00 UTC.
#pragma once
#include <ctime>

#include "platform/win_types.h"

namespace platform {

// Seconds from 1601-01-01 to 1970-01-01.
inline constexpr LONGLONG kSecondsFrom1601To1970 = 11644473600LL;

// The last file time of the calendar range (1601..30827, as SYSTEMTIME holds it), 30827-12-31
// 23:59:59.9999999: every time up to it converts to calendar fields and back, so a time stamp
// written into a list reads back as itself.
inline constexpr ULONGLONG kMaxFileTime = 9223149887999999999ULL;

// Converts a POSIX time; a time before 1601 or after the year 30827 gives 0, "no time".
[[nodiscard]] constexpr ULONGLONG FileTimeFromTimespec(const timespec& ts) {
  const LONGLONG seconds = static_cast<LONGLONG>(ts.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return 0;
  constexpr ULONGLONG kMaxSeconds = kMaxFileTime / 10000000ULL;
  if (static_cast<ULONGLONG>(seconds) > kMaxSeconds) return 0;
  return static_cast<ULONGLONG>(seconds) * 10000000ULL + static_cast<ULONGLONG>(ts.tv_nsec) / 100;
}

}  // namespace platform
