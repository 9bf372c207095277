#include "platform/system_time.h"

#include <chrono>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace platform {
namespace {

namespace chrono = std::chrono;

// The file-time tick: 100 ns.
using Ticks = chrono::duration<LONGLONG, std::ratio<1, kFileTimeTicksPerSecond>>;

constexpr auto kTicksPerDay = static_cast<ULONGLONG>(Ticks(chrono::days(1)).count());
constexpr ULONGLONG kLimit = 1ULL << 63;
// Day 0 of the file-time scale.
constexpr chrono::sys_days kFirstDay{chrono::year(1601) / chrono::January / 1};

}  // namespace

bool FileTimeToSystemTime(ULONGLONG file_time, SYSTEMTIME& out) {
  if (file_time >= kLimit) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // Below 2^63 ticks the day count stays under 10.7 million, well inside int.
  const chrono::sys_days day = kFirstDay + chrono::days(static_cast<int>(file_time / kTicksPerDay));
  const chrono::year_month_day date(day);
  const chrono::hh_mm_ss<Ticks> time(Ticks(static_cast<LONGLONG>(file_time % kTicksPerDay)));
  out.wYear = static_cast<WORD>(static_cast<int>(date.year()));
  out.wMonth = static_cast<WORD>(static_cast<unsigned>(date.month()));
  out.wDay = static_cast<WORD>(static_cast<unsigned>(date.day()));
  out.wDayOfWeek = static_cast<WORD>(chrono::weekday(day).c_encoding());
  out.wHour = static_cast<WORD>(time.hours().count());
  out.wMinute = static_cast<WORD>(time.minutes().count());
  out.wSecond = static_cast<WORD>(time.seconds().count());
  out.wMilliseconds =
      static_cast<WORD>(chrono::duration_cast<chrono::milliseconds>(time.subseconds()).count());
  return true;
}

bool SystemTimeToFileTime(const SYSTEMTIME& f, ULONGLONG& out) {
  const chrono::year_month_day date(chrono::year(f.wYear), chrono::month(f.wMonth),
                                    chrono::day(f.wDay));
  const bool valid = f.wYear >= 1601 && f.wYear <= 30827 && date.ok() && f.wHour < 24 &&
                     f.wMinute < 60 && f.wSecond < 60 && f.wMilliseconds < 1000;
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const Ticks time = chrono::sys_days(date) - kFirstDay + chrono::hours(f.wHour) +
                     chrono::minutes(f.wMinute) + chrono::seconds(f.wSecond) +
                     chrono::milliseconds(f.wMilliseconds);
  out = static_cast<ULONGLONG>(time.count());
  return true;
}

}  // namespace platform
