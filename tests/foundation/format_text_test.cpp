#include "foundation/format_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "platform/error_codes.h"
#include "platform/file_system.h"
#include "platform/last_error.h"

namespace {

TEST(FormatText, FormatsWideArgumentsOfAnyLength) {
  EXPECT_EQ(FormatText(L"CRC %3u%% ", 42U), L"CRC  42% ");
  EXPECT_EQ(FormatText(L"%ls|%d|%llu", L"path", -7, 18446744073709551615ULL),
            L"path|-7|18446744073709551615");
  // Longer than the first buffer and than several doublings: a long path in a message.
  const std::wstring path(9'000, L'p');
  const std::wstring text = FormatText(L"Cannot open\r%ls\rnow", path.c_str());
  EXPECT_EQ(text, L"Cannot open\r" + path + L"\rnow");
  EXPECT_EQ(FormatText(L"%ls", std::wstring(2047, L'a').c_str()).size(), 2047U);
  EXPECT_EQ(FormatText(L"%ls", std::wstring(2048, L'a').c_str()).size(), 2048U);
}

TEST(FormatText, ArgumentTheFormatterRejectsEndsWithoutGrowingForever) {
  // A narrow %s holding bytes the "C" locale cannot convert: the C library fails every attempt.
  EXPECT_EQ(FormatText(L"name %s", "\xC3\xA9"), L"name %s");
}

TEST(PadText, PadsOnTheSideTheWidthSignSaysAndNeverCuts) {
  EXPECT_EQ(PadText(L"abc", -5, L'*'), L"abc**");
  EXPECT_EQ(PadText(L"abc", 5, L'*'), L"**abc");
  EXPECT_EQ(PadText(L"abc", 2, L'*'), L"abc");
  EXPECT_EQ(PadText(L"abc", -2, L'*'), L"abc");
  EXPECT_EQ(PadText(L"", 0, L'*'), L"");
  EXPECT_EQ(RepeatChar(0, L'x'), L"");
  EXPECT_EQ(RepeatChar(3, L'x'), L"xxx");
}

TEST(FormatNumbers, BasesWidthsAndSigns) {
  EXPECT_EQ(FormatInt(-5, 10, 4, L'0'), L"00-5");  // padding goes in front of the sign
  EXPECT_EQ(FormatInt(5, 10, 2, L'0'), L"05");
  EXPECT_EQ(FormatInt(100, 10, 2, L'0'), L"100");
  EXPECT_EQ(FormatInt(INT32_MIN, 10, 0, L' '), L"-2147483648");
  EXPECT_EQ(FormatInt(-255, 16, -6, L'.'), L"-FF...");
  EXPECT_EQ(FormatUInt(255, 16, 0, L' '), L"FF");
  EXPECT_EQ(FormatUInt(255, 2, 0, L' '), L"11111111");
  EXPECT_EQ(FormatUInt(0x0A1B2C3D, 16, 8, L'0'), L"0A1B2C3D");
  EXPECT_EQ(FormatUInt(35, 36, 0, L' '), L"Z");
  EXPECT_EQ(FormatUInt(0, 10, 0, L' '), L"0");
  EXPECT_EQ(FormatUInt64(UINT64_MAX, 10, 0, L' '), L"18446744073709551615");
  EXPECT_EQ(FormatUInt64(UINT64_MAX, 16, 0, L' '), L"FFFFFFFFFFFFFFFF");
}

TEST(GroupDigits, GroupsOnlyTheTrailingDigitRun) {
  struct Case {
    const wchar_t* text;
    int width;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"123", 0, L"123"},
      {L"1234", 0, L"1,234"},
      {L"123", 6, L"   123"},
      {L"123", -6, L"123   "},
      {L"1234567", 0, L"1,234,567"},
      {L"123456", 0, L"123,456"},
      {L"-1234", 0, L"-1,234"},
      {L"1234.56", 0, L"1234.56"},
      {L"1234", 8, L"   1,234"},
      {L"1234", -8, L"1,234   "},
      {L"1234", 3, L"1,234"},
      {L"", 0, L""},
      {L"", 2, L"  "},
      {L"abcd", 0, L"abcd"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GroupDigits(c.text, c.width), c.expected) << c.text << " width " << c.width;
  }
  EXPECT_EQ(FormatGroupedU64(1234567, 0), L"1,234,567");
  EXPECT_EQ(FormatGroupedU64(UINT64_MAX, 0), L"18,446,744,073,709,551,615");
  EXPECT_EQ(FormatGroupedU32(1000, 7), L"  1,000");
}

class SizedFile : public platform::ReadableFile {
 public:
  explicit SizedFile(bool ok, ULONGLONG size) : ok_(ok), size_(size) {}
  bool GetSize(ULONGLONG* size) override {
    if (!ok_) {
      platform::SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    *size = size_;
    return true;
  }
  bool Read(void*, std::size_t, std::size_t*) override { return false; }
  bool Close() override { return true; }

 private:
  bool ok_;
  ULONGLONG size_;
};

TEST(GetFileSize64, ReportsSizeOrAllOnes) {
  SizedFile big(true, 0x1FFFFFFFFULL);  // low half equals the Windows error marker
  EXPECT_EQ(GetFileSize64(big), 0x1FFFFFFFFULL);
  SizedFile broken(false, 0);
  EXPECT_EQ(GetFileSize64(broken), ~0ULL);
  EXPECT_EQ(platform::LastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
