#include "platform/system_time.h"

#include <gtest/gtest.h>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

constexpr ULONGLONG kUnixEpoch = 116'444'736'000'000'000ULL;  // 1970-01-01 00:00:00

SYSTEMTIME Fields(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  return SYSTEMTIME{y, mo, 0, d, h, mi, s, ms};
}

TEST(SystemTime, KnownInstantsConvertBothWays) {
  struct Case {
    ULONGLONG file_time;
    SYSTEMTIME fields;
    WORD day_of_week;
  };
  const Case cases[] = {
      {0, Fields(1601, 1, 1), 1},  // a Monday
      {kUnixEpoch, Fields(1970, 1, 1), 4},
      {kUnixEpoch + 951'782'400ULL * 10'000'000, Fields(2000, 2, 29), 2},
      {kUnixEpoch + 1'173'864'413ULL * 10'000'000 + 1'230'000, Fields(2007, 3, 14, 9, 26, 53, 123),
       3},
      {(1ULL << 63) - 1, Fields(30828, 9, 14, 2, 48, 5, 477), 4},
  };
  for (const auto& c : cases) {
    SYSTEMTIME out{};
    ASSERT_TRUE(platform::FileTimeToSystemTime(c.file_time, out)) << c.file_time;
    EXPECT_EQ(out.wYear, c.fields.wYear);
    EXPECT_EQ(out.wMonth, c.fields.wMonth);
    EXPECT_EQ(out.wDay, c.fields.wDay);
    EXPECT_EQ(out.wHour, c.fields.wHour);
    EXPECT_EQ(out.wMinute, c.fields.wMinute);
    EXPECT_EQ(out.wSecond, c.fields.wSecond);
    EXPECT_EQ(out.wMilliseconds, c.fields.wMilliseconds);
    EXPECT_EQ(out.wDayOfWeek, c.day_of_week) << c.file_time;
    if (c.fields.wYear <= 30827) {
      ULONGLONG back = 0;
      ASSERT_TRUE(platform::SystemTimeToFileTime(c.fields, back));
      EXPECT_EQ(back, c.file_time - c.file_time % 10'000);
    }
  }
}

TEST(SystemTime, EveryDayOfFourCenturiesRoundTrips) {
  for (ULONGLONG day = 0; day < 146'097; ++day) {
    const ULONGLONG t = (day * 86'400 + 3'661) * 10'000'000;
    SYSTEMTIME fields{};
    ASSERT_TRUE(platform::FileTimeToSystemTime(t, fields));
    ULONGLONG back = 0;
    ASSERT_TRUE(platform::SystemTimeToFileTime(fields, back));
    ASSERT_EQ(back, t) << "day " << day;
  }
}

TEST(SystemTime, RejectsWhatHasNoCalendarForm) {
  SYSTEMTIME out{};
  platform::SetLastError(0);
  EXPECT_FALSE(platform::FileTimeToSystemTime(1ULL << 63, out));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);

  const SYSTEMTIME impossible[] = {
      Fields(1600, 12, 31),         Fields(2001, 2, 29),
      Fields(1900, 2, 29),          Fields(2007, 13, 1),
      Fields(2007, 4, 31),          Fields(2007, 1, 0),
      Fields(2007, 1, 1, 24),       Fields(2007, 1, 1, 0, 60),
      Fields(2007, 1, 1, 0, 0, 60), Fields(2007, 1, 1, 0, 0, 0, 1000),
      Fields(30828, 1, 1),
  };
  for (const auto& f : impossible) {
    ULONGLONG out_time = 42;
    platform::SetLastError(0);
    EXPECT_FALSE(platform::SystemTimeToFileTime(f, out_time)) << f.wYear << "-" << f.wMonth;
    EXPECT_EQ(out_time, 42U);
    EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
  }
  ULONGLONG leap = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(Fields(2000, 2, 29), leap));
}

}  // namespace
