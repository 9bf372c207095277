#include "foundation/number_parsing.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct NumberCase {
  const wchar_t* text;
  int base;
  std::optional<ULONGLONG> expected;  // nullopt: must fail
};

TEST(ParseUInt64, ReadsEveryNotation) {
  const NumberCase cases[] = {
      {L"1048576", 1, 1048576},
      {L"0x10", 1, 16},
      {L"0XfF", 1, 255},
      {L"0b101", 1, 5},
      {L"017", 1, 15},
      {L"0", 1, 0},
      {L"\t 42 \r\n", 1, 42},
      {L"0 ", 1, 0},
      {L"18446744073709551615", 1, 18446744073709551615ULL},
      {L"0xFFFFFFFFFFFFFFFF", 1, 0xFFFFFFFFFFFFFFFFULL},
      {L"0x00000000000000001", 1, 1},  // leading zeros are not significant
      {L"101", 2, 5},
      {L"777", 8, 511},
      {L"0123", 10, 123},
      {L"ffff", 16, 65535},
      {L"12 34", 1, std::nullopt},
      {L"", 1, std::nullopt},
      {L"   ", 1, std::nullopt},
      {L"18446744073709551616", 1, std::nullopt},
      {L"0x10000000000000000", 1, std::nullopt},
      {L"-1", 1, std::nullopt},
      {L"+1", 1, std::nullopt},
      {L"12a", 1, std::nullopt},
      {L"08", 1, std::nullopt},
      {L"0x", 1, std::nullopt},
      {L"0b ", 1, std::nullopt},
      {L"0 5", 1, std::nullopt},
      {L"2", 2, std::nullopt},
      {L"0x10", 16, std::nullopt},
      {L"10", 3, std::nullopt},
      {L"10", 0, std::nullopt},
  };
  for (const NumberCase& c : cases) {
    ULONGLONG value = 12345;
    EXPECT_EQ(ParseUInt64(c.text, value, c.base), c.expected.has_value())
        << c.text << " base " << c.base;
    EXPECT_EQ(value, c.expected.value_or(12345)) << c.text << " base " << c.base;
  }
}

TEST(ParseUInt, FailsBeyond32Bits) {
  DWORD value = 0;
  EXPECT_TRUE(ParseUInt(L"FFFFFFFF", value, 16));
  EXPECT_EQ(value, 4294967295u);
  EXPECT_TRUE(ParseUInt(L"0000FFFFFFFF", value, 16));
  EXPECT_FALSE(ParseUInt(L"100000000", value, 16));
  EXPECT_FALSE(ParseUInt(L"4294967296", value));
  EXPECT_TRUE(ParseUInt(L"4294967295", value, 10));
  EXPECT_FALSE(ParseUInt(static_cast<const wchar_t*>(nullptr), value));
  // The view form reads exactly its characters: an embedded zero is not a blank.
  EXPECT_FALSE(ParseUInt(std::wstring_view(L"12\0", 3), value));
}

}  // namespace
