#include "document/entries/compare_rules.h"

#include <gtest/gtest.h>

#include "records_fixture.h"

namespace {

using namespace records_test;

TEST(CompareRules, WholeHourShift) {
  struct Case {
    long long seconds;
    ULONGLONG fraction;
    bool shift;
  } const cases[] = {
      {0, 0, false},
      {3600, 0, true},
      {-3600, 0, true},
      {23 * 3600, 0, true},
      {24 * 3600, 0, false},
      {-24 * 3600, 0, false},
      {3601, 0, false},
      {7200, 5'000'000, true},
      // 2^32 + 3600 seconds apart: a 32-bit difference would wrap to exactly one hour.
      {4294967296LL + 3600, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsWholeHourShift(At(c.seconds, c.fraction), At(0)), c.shift) << c.seconds;
  }
}

TEST(CompareRules, CdAttributeTolerance) {
  struct Case {
    DWORD stored, current, drive;
    bool tolerated;
  } const cases[] = {
      {0x20, 0x01, kDriveCd, true},          // archive off, read-only on: what a CD reports
      {0x00, 0x21, kDriveCd, true},          //
      {0x20, 0x20, kDriveCd, false},         // no difference: nothing to tolerate
      {0x20, 0x01, kDriveFixed, false},      // only on CD-ROM
      {0x20, 0x22, kDriveCd, false},         // hidden changed as well
      {0x20, 0x20 | 0x80, kDriveCd, false},  // 0x80 is not compared: equal
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCdAttrTolerated(c.stored, c.current, c.drive), c.tolerated)
        << std::hex << c.stored << " " << c.current;
  }
}

TEST(CompareRules, CompareTimesWithAndWithoutTheOneSecondTolerance) {
  struct Case {
    long long stored, current;
    bool tolerance;
    int result;
    bool tolFlag;
  } const cases[] = {
      {0, 0, true, 0, false},  {1, 0, true, 0, true},    {0, 1, true, 0, true},
      {1, 0, false, 1, false}, {0, 1, false, -1, false}, {2, 0, true, 1, false},
      {0, 2, true, -1, false},
  };
  for (const Case& c : cases) {
    DWORD flags = 0;
    EXPECT_EQ(CompareTimes(At(c.stored), At(c.current), c.tolerance, flags), c.result);
    EXPECT_EQ((flags & EF_TOL_2SECONDS) != 0, c.tolFlag) << c.stored << " " << c.current;
  }
  // Whole seconds decide: 00.9 and 01.0 lie in different seconds, 00.1 and 00.9 in the same one.
  DWORD flags = 0;
  EXPECT_EQ(CompareTimes(At(0, 1'000'000), At(0, 9'000'000), true, flags), 0);
  EXPECT_EQ(CompareTimes(At(0, 1'000'000), At(0, 9'000'000), false, flags), -1);
}

TEST(CompareRules, NeedsChecksum) {
  const Tolerances on(true, true, true);
  const FileState ref = File(L"f.txt", 10, At(0), kArchive, 1, 2);
  struct Case {
    const char* what;
    FileState found;
    DWORD drive;
    bool needs;
  } const cases[] = {
      {"unchanged, no checksums yet", File(L"f.txt", 10, At(0), kArchive, kNoCrc, kNoCrc), 3,
       false},
      {"same checksums", File(L"f.txt", 10, At(0), kArchive, 1, 2), 3, false},
      {"other checksums", File(L"f.txt", 10, At(0), kArchive, 1, 3), 3, true},
      {"name case", File(L"F.txt", 10, At(0), kArchive, kNoCrc, kNoCrc), 3, true},
      {"size", File(L"f.txt", 11, At(0), kArchive, kNoCrc, kNoCrc), 3, true},
      {"archive bit", File(L"f.txt", 10, At(0), 0, kNoCrc, kNoCrc), 3, true},
      {"archive bit on CD", File(L"f.txt", 10, At(0), 0x01, kNoCrc, kNoCrc), 5, false},
      {"bit not compared", File(L"f.txt", 10, At(0), kArchive | 0x80, kNoCrc, kNoCrc), 3, false},
      {"one second", File(L"f.txt", 10, At(1), kArchive, kNoCrc, kNoCrc), 3, true},
      {"one hour", File(L"f.txt", 10, At(3600), kArchive, kNoCrc, kNoCrc), 3, false},
      {"one day", File(L"f.txt", 10, At(86400), kArchive, kNoCrc, kNoCrc), 3, true},
  };
  for (const Case& c : cases) EXPECT_EQ(NeedsChecksum(ref, c.found, c.drive), c.needs) << c.what;

  const Tolerances off(false, false, false);
  EXPECT_TRUE(NeedsChecksum(ref, File(L"f.txt", 10, At(3600), kArchive, 1, 2), 3));
  EXPECT_TRUE(NeedsChecksum(ref, File(L"f.txt", 10, At(0), 0x01, 1, 2), 5));
  // A directory is never read.
  EXPECT_FALSE(NeedsChecksum(File(L"d", 0, At(0), 0x10), File(L"d", 5, At(9), 0x11), 3));
}

TEST(CompareRules, AttributeLetters) {
  EXPECT_EQ(FormatAttributes(0x21), L"r---a-------");
  EXPECT_EQ(FormatAttributes(0x7F37), L"rhsdaetzpcoj");
  EXPECT_EQ(FormatAttributes(0x80), L"------------");
  DWORD a = 0xDEAD;
  EXPECT_TRUE(ParseAttributes(L"r---a-------", a));
  EXPECT_EQ(a, 0x21u);
  EXPECT_TRUE(ParseAttributes(L"jd", a));
  EXPECT_EQ(a, 0x2010u);
  EXPECT_TRUE(ParseAttributes(L"", a));
  EXPECT_EQ(a, 0u);
  a = 7;
  EXPECT_FALSE(ParseAttributes(L"R", a));  // exact case only
  EXPECT_FALSE(ParseAttributes(L"r x", a));
  EXPECT_EQ(a, 7u);
}

TEST(CompareRules, TimeDifferenceText) {
  struct Case {
    long long current;
    const wchar_t* text;
  } const cases[] = {
      {3600, L"+01:00:00"},
      {0, L"+00:00:00"},
      {-1, L"-00:00:01"},
      {727, L"+00:12:07"},
      {-(2 * 86400 + 3 * 3600 + 4 * 60 + 5), L"-2d 03:04:05"},
      {86400, L"+1d 00:00:00"},
      // Beyond 32 bits of seconds (a listing without a time stamp against a real one).
      {4294967296LL + 61, L"+49710d 06:29:17"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatTimeDiff(At(c.current), At(0)), c.text);
}

TEST(CompareRules, ChecksumText) {
  EXPECT_EQ(FormatChecksums(File(L"x", 0, At(0), 0, 0x0A1B2C3D, 0xff)), L"0x0A1B2C3D/0x000000FF");
}

}  // namespace
