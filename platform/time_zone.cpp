#include "platform/time_zone.h"

#include <cerrno>
#include <ctime>
#include <mutex>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/system_time.h"

namespace platform {
namespace {

constexpr ULONGLONG kLimit = 1ULL << 63;

LONGLONG UnixSeconds(ULONGLONG file_time) {
  return static_cast<LONGLONG>(file_time / kFileTimeTicksPerSecond) - kFileTimeUnixEpochSeconds;
}

// file_time shifted by `seconds`, or false when the result leaves 0 .. 2^63.
bool Shift(ULONGLONG file_time, LONGLONG seconds, ULONGLONG& out) {
  const LONGLONG ticks = seconds * static_cast<LONGLONG>(kFileTimeTicksPerSecond);
  if (ticks < 0 && file_time < static_cast<ULONGLONG>(-ticks)) return false;
  const ULONGLONG result = file_time + static_cast<ULONGLONG>(ticks);
  if (result >= kLimit) return false;
  out = result;
  return true;
}

bool Fail() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

// The C library keeps one time-zone state per process, which tzset() may replace while another
// thread converts. glibc guards it with a lock of its own that thread checkers cannot see, so the
// program holds its own around every use: the list's writer and the user-interface thread convert
// local times at the same time.
std::mutex& TimeZoneMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

bool CurrentTimeZone(TimeZoneNow& out) {
  const std::lock_guard<std::mutex> hold(TimeZoneMutex());
  tzset();
  const time_t now = time(nullptr);
  tm fields{};
  if (localtime_r(&now, &fields) == nullptr) return Fail();
  out.state = fields.tm_isdst > 0 ? ZoneState::kDaylight : ZoneState::kStandard;
  out.bias_minutes = static_cast<LONG>(-fields.tm_gmtoff / 60);
  return true;
}

bool UtcToLocalFileTime(ULONGLONG utc, ULONGLONG& out) {
  if (utc >= kLimit) return Fail();
  const std::lock_guard<std::mutex> hold(TimeZoneMutex());
  tzset();
  const time_t seconds = UnixSeconds(utc);
  tm fields{};
  if (localtime_r(&seconds, &fields) == nullptr) return Fail();
  if (!Shift(utc, fields.tm_gmtoff, out)) return Fail();
  return true;
}

bool LocalToUtcFileTime(ULONGLONG local, ULONGLONG& out) {
  if (local >= kLimit) return Fail();
  SYSTEMTIME calendar{};
  if (!FileTimeToSystemTime(local, calendar)) return false;
  const std::lock_guard<std::mutex> hold(TimeZoneMutex());
  tzset();
  tm fields{};
  fields.tm_year = calendar.wYear - 1900;
  fields.tm_mon = calendar.wMonth - 1;
  fields.tm_mday = calendar.wDay;
  fields.tm_hour = calendar.wHour;
  fields.tm_min = calendar.wMinute;
  fields.tm_sec = calendar.wSecond;
  fields.tm_isdst = -1;
  fields.tm_wday = -1;  // mktime sets it on success; -1 is also a valid time_t result
  const time_t utc_seconds = mktime(&fields);
  if (utc_seconds == static_cast<time_t>(-1) && fields.tm_wday == -1) return Fail();
  // The shift is the difference between the wall-clock reading and the instant it names.
  return Shift(local, static_cast<LONGLONG>(utc_seconds) - UnixSeconds(local), out) || Fail();
}

}  // namespace platform
