// The local time zone, from the C library's time-zone database (TZ, else /etc/localtime). Every
// call re-reads TZ, so a changed zone is seen at once. Callable from any thread as long as no
// thread changes TZ meanwhile (the C library keeps the zone process-wide).
#pragma once
#include "platform/win_types.h"

namespace platform {

// The zone's state now, in the order of the Windows query's results.
enum class ZoneState { kUnknown = 0, kStandard = 1, kDaylight = 2 };

struct TimeZoneNow {
  ZoneState state = ZoneState::kUnknown;
  // Minutes to add to local time to get UTC, daylight saving included: -60 in Central European
  // winter time, 300 at UTC-05:00.
  LONG bias_minutes = 0;
};

// The zone's bias and daylight state at this moment. False (last error set) when the C library
// cannot break the current time down; `out` is then unchanged.
[[nodiscard]] bool CurrentTimeZone(TimeZoneNow& out);

// Converts a UTC file time to local time with the zone's offset in force at that instant
// (daylight saving of the stamp's date, not of today). Sub-second units are kept. Fails with
// ERROR_INVALID_PARAMETER when either value falls outside 0 .. 2^63; `out` is then unchanged.
[[nodiscard]] bool UtcToLocalFileTime(ULONGLONG utc, ULONGLONG& out);

// The inverse: a local file time to UTC. A local time that occurs twice (the hour repeated when
// daylight saving ends) or never (the hour skipped when it begins) is resolved as the C library's
// mktime resolves it. Same failures as UtcToLocalFileTime.
[[nodiscard]] bool LocalToUtcFileTime(ULONGLONG local, ULONGLONG& out);

}  // namespace platform
