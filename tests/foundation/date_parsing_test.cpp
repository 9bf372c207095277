#include "foundation/date_parsing.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <optional>
#include <string>

#include "foundation/time_stamp.h"
#include "platform/locale_names.h"
#include "platform/system_time.h"

namespace {

ULONGLONG At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0) {
  const SYSTEMTIME fields{year, month, 0, day, hour, minute, second, ms};
  ULONGLONG value = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(fields, value));
  return value;
}

struct DateCase {
  std::wstring text;
  const wchar_t* layout;
  std::optional<ULONGLONG> expected;  // nullopt: must fail
};

TEST(TimeStampParse, ReadsFieldsByLayout) {
  const ULONGLONG instant = At(2007, 3, 14, 9, 26, 53);
  const DateCase cases[] = {
      {L"2007-03-14 09:26:53", L"YmdHMS", instant},
      {L"2007/3/14 9.26.53", L"YmdHMS", instant},
      {L"  2007-03-14 09:26:53Z and more", L"YmdHMS", instant},
      {L"2007-03-14 09:26:53.123", L"YmdHMSN", instant + 1'230'000},
      {L"2007-03-14 09:26:53.5", L"YmdHMSF", instant + 5'000'000},
      {L"2007-03-14 09:26:53,123456", L"YmdHMSu", instant + 1'234'560},
      {L"#17# 2007 03 14", L"xYmd", At(2007, 3, 14, 0, 0, 0)},  // x reads and drops 17
      {L"07-3-14", L"ymd", At(2007, 3, 14, 0, 0, 0)},
      {L"36-3-14", L"ymd", At(1936, 3, 14, 0, 0, 0)},
      {L"1999-3-14", L"ymd", At(1999, 3, 14, 0, 0, 0)},
      {L"9", L"F", 9'000'000},
      {L"05", L"F", 500'000},
      {L"1234567", L"F", 1'234'567},
      {L"00000005", L"F", 5},
      {L"12", L"u", 120},
      {L"", L"", 0},
      {L"2007-02-30 00:00:00", L"YmdHMS", std::nullopt},
      {L"2007-03-14", L"YmdHMS", std::nullopt},
      {L"2007-13-14 00:00:00", L"YmdHMS", std::nullopt},
      {L"2007-03-14 24:00:00", L"YmdHMS", std::nullopt},
      {L"2007-03-14 09:60:00", L"YmdHMS", std::nullopt},
      {L"1600-12-31 23:59:59", L"YmdHMS", std::nullopt},
      {L"67137-03-14", L"Ymd", std::nullopt},  // would wrap into 1601 in 16 bits
      {L"99999999999999999999-03-14", L"Ymd", std::nullopt},
      {L"3000-3-14", L"ymd", std::nullopt},
      {L"12345678", L"F", std::nullopt},
      {L"1000000", L"u", std::nullopt},
      {L"1000", L"N", std::nullopt},
      {L"09:26:53", L"HMS", std::nullopt},  // no year: not a valid date
      {L"2007-x3-14", L"Ymd", std::nullopt},
      {L"2007-03-14T09:26:53", L"YmdHMS", std::nullopt},  // letters are not separators
  };
  for (const DateCase& c : cases) {
    CNTimeStamp stamp;
    EXPECT_EQ(stamp.Parse(c.text, c.layout), c.expected.has_value()) << c.text << " " << c.layout;
    if (c.expected) {
      EXPECT_EQ(stamp.Value(), *c.expected) << c.text << " " << c.layout;
    }
  }
}

TEST(TimeStampParse, ReadsNamesOfTheUsersLocale) {
  const std::wstring march = platform::LocaleMonthName(3, false);
  const std::wstring mar = platform::LocaleMonthName(3, true);
  const std::wstring wednesday = platform::LocaleDayName(3, false);
  ASSERT_FALSE(march.empty());
  CNTimeStamp stamp;
  ASSERT_TRUE(stamp.Parse(wednesday + L", 14 " + march + L" 2007", L"AdBY"));
  EXPECT_EQ(stamp.Value(), At(2007, 3, 14, 0, 0, 0));
  ASSERT_TRUE(stamp.Parse(L"14-" + mar + L"-2007", L"dbY"));
  EXPECT_EQ(stamp.Value(), At(2007, 3, 14, 0, 0, 0));
  EXPECT_FALSE(stamp.Parse(L"14 Nonsense 2007", L"dBY"));
}

TEST(MatchNames, ComparesOverTheNamesLengthIgnoringCase) {
  const std::wstring march = platform::LocaleMonthName(3, false);
  const std::wstring mar = platform::LocaleMonthName(3, true);
  std::wstring upper;
  for (wchar_t c : march) upper.push_back(static_cast<wchar_t>(std::towupper(c)));

  std::size_t pos = 2;
  int month = 0;
  ASSERT_TRUE(MatchMonthName(L".." + upper, pos, month, true));
  EXPECT_EQ(month, 3);
  EXPECT_EQ(pos, 2 + mar.size());  // "MARCH" with abbreviated names stops after "MAR"

  pos = 0;
  int day = -1;
  ASSERT_TRUE(MatchDayName(platform::LocaleDayName(0, false) + L" x", pos, day, false));
  EXPECT_EQ(day, 0);
  EXPECT_EQ(pos, platform::LocaleDayName(0, false).size());

  pos = 1;
  day = -1;
  EXPECT_FALSE(MatchDayName(L"x", pos, day, true));
  EXPECT_EQ(pos, 1u);
  EXPECT_EQ(day, -1);
}

}  // namespace
