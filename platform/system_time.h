// Calendar fields and the file-time scale: 100-nanosecond intervals since 1601-01-01 00:00:00,
// the proleptic Gregorian calendar, no time zone. Pure arithmetic, callable from any thread.
#pragma once
#include "platform/win_types.h"

// Calendar fields of one instant, laid out as the Windows record of the same name.
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;      // 1..12
  WORD wDayOfWeek;  // 0 = Sunday .. 6 = Saturday
  WORD wDay;        // 1..31
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// The 64-bit file time split into halves, laid out as the Windows record of the same name.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

namespace platform {

inline constexpr ULONGLONG kFileTimeTicksPerSecond = 10'000'000;
// 1601-01-01 to 1970-01-01 in seconds.
inline constexpr LONGLONG kFileTimeUnixEpochSeconds = 11'644'473'600;

// Calendar fields of a file time. Fails with ERROR_INVALID_PARAMETER for values of 2^63 and above,
// leaving `out` unchanged.
[[nodiscard]] bool FileTimeToSystemTime(ULONGLONG file_time, SYSTEMTIME& out);

// File time of calendar fields; the day of week is ignored. Fails with ERROR_INVALID_PARAMETER for
// impossible dates and times and for years outside 1601..30827, leaving `out` unchanged.
[[nodiscard]] bool SystemTimeToFileTime(const SYSTEMTIME& fields, ULONGLONG& out);

}  // namespace platform
