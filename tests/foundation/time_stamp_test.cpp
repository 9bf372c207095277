#include "foundation/time_stamp.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "time_zone_scope.h"

namespace {

CNTimeStamp At(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, ULONGLONG fraction = 0) {
  ULONGLONG t = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(SYSTEMTIME{y, mo, 0, d, h, mi, s, 0}, t));
  return CNTimeStamp(t + fraction);
}

// 2007-03-14 09:26:53.1234567, the reference instant of the format table.
const CNTimeStamp kSample = At(2007, 3, 14, 9, 26, 53, 1'234'567);

TEST(TimeStamp, HoldsTheValueInFileTimeHalves) {
  const CNTimeStamp t(0x89ABCDEFu, 0x01234567u);
  EXPECT_EQ(t.Value(), 0x0123456789ABCDEFULL);
  EXPECT_EQ(t.ToFileTime().dwLowDateTime, 0x89ABCDEFu);
  EXPECT_EQ(t.ToFileTime().dwHighDateTime, 0x01234567u);
  EXPECT_TRUE(CNTimeStamp().IsZero());
  EXPECT_EQ(CNTimeStamp(), kNullTimeStamp);

  // Compare is unsigned over all 64 bits: the high half decides first.
  EXPECT_EQ(CNTimeStamp(0, 1).Compare(CNTimeStamp(0xFFFFFFFFu, 0)), 1);
  EXPECT_EQ(CNTimeStamp(5, 0).Compare(CNTimeStamp(6, 0)), -1);
  EXPECT_EQ(t.Compare(CNTimeStamp(t.Value())), 0);
  EXPECT_EQ(CNTimeStamp(0, 0x80000000u).Compare(CNTimeStamp(1, 0)), 1);
}

TEST(TimeStamp, ToSystemTimeUsesCallerBufferOrSharedOne) {
  SYSTEMTIME own{};
  EXPECT_EQ(kSample.ToSystemTime(&own), &own);
  EXPECT_EQ(own.wYear, 2007);
  EXPECT_EQ(own.wMilliseconds, 123);
  const SYSTEMTIME* shared = kSample.ToSystemTime();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->wDay, 14);
  EXPECT_EQ(CNTimeStamp(0, 0x80000000u).ToSystemTime(&own), nullptr);
}

struct FormatCase {
  const wchar_t* format;
  CNTimeStamp value;
  const wchar_t* expected;
};

TEST(TimeStampFormat, ProgramSpecifiersAndStandardOnes) {
  const CNTimeStamp duration_1h2m3s(kTimeStampHour + 2 * kTimeStampMinute + 3 * kTimeStampSecond);
  const CNTimeStamp duration_26h5m(26 * kTimeStampHour + 5 * kTimeStampMinute);
  const FormatCase cases[] = {
      {L"%Y-%m-%d %H:%M:%S", kSample, L"2007-03-14 09:26:53"},
      {L"Built on %Y/%m/%d %H:%M:%S", kSample, L"Built on 2007/03/14 09:26:53"},
      {L"%h:%M:%S", duration_1h2m3s, L"1:02:03"},
      {L"%Dd %H:%M:%S", duration_26h5m, L"1d 02:05:00"},
      {L"%F %u %N", kSample, L"1234567 123456 123"},
      {L"%O %o", kSample, L"366e 4b5a"},
      {L"%F|%u|%N", CNTimeStamp(7), L"0000007|000000|000"},
      {L"%h", CNTimeStamp(100 * kTimeStampHour), L"100"},
      {L"%s", CNTimeStamp(90 * kTimeStampSecond + 5), L"90"},
      {L"%O", At(2044, 1, 1, 0, 0, 0), L"0021"},  // six year bits: 2044 wraps to 1980
      {L"%O", At(1980, 1, 1, 0, 0, 0), L"0021"},
      {L"%Y-%m-%d %H:%M:%S", CNTimeStamp(), L"1601-01-01 00:00:00"},
      {L"abc", kSample, L"abc"},
      {L"%a %A", kSample, L"Wed Wednesday"},
      {L"%F%F", CNTimeStamp(1), L"00000010000001"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.Format(c.format), c.expected) << c.format;
  }
}

TEST(TimeStampFormat, SubstitutionIgnoresDoubledPercent) {
  // "%%D" becomes "%3" before the standard formatter sees it.
  const std::wstring text = CNTimeStamp(3 * kTimeStampDay).Format(L"%%D");
  EXPECT_NE(text.find(L'3'), std::wstring::npos) << text;
  EXPECT_EQ(text.find(L'D'), std::wstring::npos) << text;
}

TEST(TimeStampFormat, InvalidValuesAndEmptyFormats) {
  const CNTimeStamp invalid(0, 0x80000000u);
  EXPECT_EQ(invalid.Format(L"%Y"), L"*** Illegal CNTimeStamp ***");
  EXPECT_EQ(invalid.Format(L""), L"");
  EXPECT_EQ(kSample.Format(L""), L"");
}

TEST(TimeStampFormat, LongResultsUseGrowingBuffers) {
  const std::wstring long_format(10'000, L'x');
  EXPECT_EQ(kSample.Format(long_format + L"%Y"), long_format + L"2007");
  // Beyond 65,536 characters the standard formatter gives up; the substituted format comes back.
  const std::wstring huge_format(70'000, L'y');
  EXPECT_EQ(kSample.Format(huge_format + L"%N"), huge_format + L"123");
}

TEST(TimeStampZone, OffsetAndGmtTextFollowTheZoneNow) {
  struct ZoneCase {
    const char* tz;
    LONGLONG offset;
    const wchar_t* text;
  };
  const ZoneCase cases[] = {
      {kUtc, 0, L"-0000"},
      {kUsEastStandardOnly, -5 * static_cast<LONGLONG>(kTimeStampHour), L"-0500"},
      {"CET-1", static_cast<LONGLONG>(kTimeStampHour), L"+0100"},
      {"NPT-5:45", 345 * static_cast<LONGLONG>(kTimeStampMinute), L"+0545"},
  };
  for (const auto& c : cases) {
    TimeZoneScope tz(c.tz);
    EXPECT_EQ(CNTimeStamp::LocalOffset(), c.offset) << c.tz;
    EXPECT_EQ(CNTimeStamp::GmtOffsetText(), c.text) << c.tz;
    EXPECT_EQ(kSample.Format(L"(GMT%G)"), std::wstring(L"(GMT") + c.text + L")");
  }
}

TEST(TimeStampZone, LocalConversions) {
  TimeZoneScope tz(kCentralEurope);
  EXPECT_EQ(kSample.ToLocal().Format(L"%H:%M:%S.%F"), L"10:26:53.1234567");
  const CNTimeStamp summer = At(2007, 7, 1, 12, 0, 0);
  EXPECT_EQ(summer.ToLocal().Format(L"%H"), L"14");

  // Out of range: ToLocal gives 0; MakeLocal falls back to adding the current offset.
  const CNTimeStamp last(0xFFFFFFFFu, 0x7FFFFFFFu);
  EXPECT_TRUE(last.ToLocal().IsZero());

  CNTimeStamp in_place = kSample;
  in_place.MakeLocal();
  EXPECT_EQ(in_place, kSample.ToLocal());
}

TEST(TimeStampZone, NowIsLocalTime) {
  TimeZoneScope tz("CET-1");
  const ULONGLONG utc = platform::SystemTimeAsFileTime();
  const ULONGLONG now = CNTimeStamp::Now().Value();
  EXPECT_GE(now, utc + kTimeStampHour);
  EXPECT_LT(now, utc + kTimeStampHour + 10 * kTimeStampSecond);
}

}  // namespace
