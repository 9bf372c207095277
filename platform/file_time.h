// File times in Windows currency: 100 ns units since 1601-01-01 00:00 UTC.
#pragma once
#include <ctime>

#include "platform/win_types.h"

namespace platform {

// Seconds from 1601-01-01 to 1970-01-01.
inline constexpr LONGLONG kSecondsFrom1601To1970 = 11644473600LL;

// Converts a POSIX time; a time before 1601 (or beyond the 64-bit range) gives 0, "no time".
[[nodiscard]] constexpr ULONGLONG FileTimeFromTimespec(const timespec& ts) {
  const LONGLONG seconds = static_cast<LONGLONG>(ts.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return 0;
  constexpr ULONGLONG kMaxSeconds = ~0ULL / 10000000ULL - 1;
  if (static_cast<ULONGLONG>(seconds) > kMaxSeconds) return 0;
  return static_cast<ULONGLONG>(seconds) * 10000000ULL + static_cast<ULONGLONG>(ts.tv_nsec) / 100;
}

}  // namespace platform
