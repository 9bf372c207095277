#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/system_time.h"
#include "time_zone_scope.h"

namespace {

constexpr ULONGLONG kHour = 36'000'000'000ULL;

ULONGLONG At(WORD y, WORD mo, WORD d, WORD h, WORD mi = 0) {
  ULONGLONG t = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(SYSTEMTIME{y, mo, 0, d, h, mi, 0, 0}, t));
  return t;
}

TEST(Clock, NowIsTheUnixClockOnTheFileTimeScale) {
  const ULONGLONG before = (static_cast<ULONGLONG>(time(nullptr)) + 11'644'473'600ULL) * 10'000'000;
  const ULONGLONG now = platform::SystemTimeAsFileTime();
  EXPECT_GE(now, before);
  EXPECT_LT(now - before, 20'000'000U);
}

TEST(TimeZone, CurrentBiasFollowsTz) {
  platform::TimeZoneNow zone;
  {
    TimeZoneScope tz(kUtc);
    ASSERT_TRUE(platform::CurrentTimeZone(zone));
    EXPECT_EQ(zone.bias_minutes, 0);
  }
  {
    TimeZoneScope tz(kUsEastStandardOnly);
    ASSERT_TRUE(platform::CurrentTimeZone(zone));
    EXPECT_EQ(zone.bias_minutes, 300);
    EXPECT_EQ(zone.state, platform::ZoneState::kStandard);
  }
  {
    TimeZoneScope tz("IST-5:30");
    ASSERT_TRUE(platform::CurrentTimeZone(zone));
    EXPECT_EQ(zone.bias_minutes, -330);
  }
}

TEST(TimeZone, ConvertsWithTheOffsetOfTheStampsOwnDate) {
  TimeZoneScope tz(kCentralEurope);
  struct Case {
    ULONGLONG utc;
    ULONGLONG local;
  };
  const Case cases[] = {
      {At(2007, 1, 15, 12) + 1234567, At(2007, 1, 15, 13) + 1234567},  // winter: +1 h
      {At(2007, 7, 15, 12), At(2007, 7, 15, 14)},                      // summer: +2 h
      {At(1601, 1, 1, 0), At(1601, 1, 1, 1)},
  };
  for (const auto& c : cases) {
    ULONGLONG local = 0;
    ASSERT_TRUE(platform::UtcToLocalFileTime(c.utc, local));
    EXPECT_EQ(local, c.local);
    ULONGLONG utc = 0;
    ASSERT_TRUE(platform::LocalToUtcFileTime(c.local, utc));
    EXPECT_EQ(utc, c.utc);
  }
}

TEST(TimeZone, FailsOutsideTheFileTimeRange) {
  ULONGLONG out = 7;
  {
    TimeZoneScope tz("EST5");
    EXPECT_FALSE(platform::UtcToLocalFileTime(kHour, out));  // local time before 1601
    EXPECT_FALSE(platform::UtcToLocalFileTime(1ULL << 63, out));
  }
  {
    TimeZoneScope tz(kCentralEurope);
    EXPECT_FALSE(platform::LocalToUtcFileTime(0, out));  // UTC before 1601
  }
  EXPECT_EQ(out, 7U);
}

}  // namespace
