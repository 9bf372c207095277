#include "platform/system_time.h"

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace platform {
namespace {

constexpr ULONGLONG kTicksPerDay = kFileTimeTicksPerSecond * 86'400;
constexpr ULONGLONG kLimit = 1ULL << 63;

bool IsLeap(LONGLONG y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(LONGLONG y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1601-01-01 of a civil date (the era arithmetic of Howard Hinnant's algorithms; 1601
// starts a 400-year cycle, so counting from there needs no negative values).
LONGLONG DaysFromCivil(LONGLONG y, unsigned m, unsigned d) {
  y -= m <= 2;
  const LONGLONG era = (y - 1600) / 400;
  const unsigned yoe = static_cast<unsigned>(y - 1600 - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  // 1600-03-01 is day -306 counted from 1601-01-01.
  return era * 146'097 + doe - 306;
}

void CivilFromDays(LONGLONG days, LONGLONG& y, unsigned& m, unsigned& d) {
  days += 306;  // now counted from 1600-03-01
  const LONGLONG era = days / 146'097;
  const unsigned doe = static_cast<unsigned>(days - era * 146'097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<LONGLONG>(yoe) + era * 400 + 1600 + (m <= 2);
}

}  // namespace

bool FileTimeToSystemTime(ULONGLONG file_time, SYSTEMTIME& out) {
  if (file_time >= kLimit) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const ULONGLONG days = file_time / kTicksPerDay;
  ULONGLONG rest = file_time % kTicksPerDay;
  LONGLONG year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(static_cast<LONGLONG>(days), year, month, day);
  out.wYear = static_cast<WORD>(year);
  out.wMonth = static_cast<WORD>(month);
  out.wDay = static_cast<WORD>(day);
  out.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  out.wHour = static_cast<WORD>(rest / (kFileTimeTicksPerSecond * 3600));
  rest %= kFileTimeTicksPerSecond * 3600;
  out.wMinute = static_cast<WORD>(rest / (kFileTimeTicksPerSecond * 60));
  rest %= kFileTimeTicksPerSecond * 60;
  out.wSecond = static_cast<WORD>(rest / kFileTimeTicksPerSecond);
  rest %= kFileTimeTicksPerSecond;
  out.wMilliseconds = static_cast<WORD>(rest / 10'000);
  return true;
}

bool SystemTimeToFileTime(const SYSTEMTIME& f, ULONGLONG& out) {
  const bool valid = f.wYear >= 1601 && f.wYear <= 30827 && f.wMonth >= 1 && f.wMonth <= 12 &&
                     f.wDay >= 1 && f.wDay <= DaysInMonth(f.wYear, f.wMonth) && f.wHour < 24 &&
                     f.wMinute < 60 && f.wSecond < 60 && f.wMilliseconds < 1000;
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const auto days = static_cast<ULONGLONG>(DaysFromCivil(f.wYear, f.wMonth, f.wDay));
  const ULONGLONG seconds = (f.wHour * 60ULL + f.wMinute) * 60ULL + f.wSecond;
  out = days * kTicksPerDay + seconds * kFileTimeTicksPerSecond + f.wMilliseconds * 10'000ULL;
  return true;
}

}  // namespace platform
