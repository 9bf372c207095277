// The direct paths of the writer and the reader against the general ones they stand in for.
#include <gtest/gtest.h>

#include <string>

#include "document/document_fixture.h"
#include "document/document_format.h"
#include "document/entry_line_reader.h"
#include "foundation/comma_fields.h"
#include "foundation/number_parsing.h"

namespace {

using vemo_test::Found;
using vemo_test::Time;

TEST(EntryLineFastPathsTest, LineBytesEqualTheEncodedWideLine) {
  struct Case {
    const wchar_t* relDir;
    std::wstring name;
    ULONGLONG size;
    CNTimeStamp time;
    DWORD attributes;
  };
  const CNTimeStamp t = Time(L"2001-02-03 04:05:06");
  const Case cases[] = {
      {L"", L"plain.txt", 0, t, 0x20},
      {L"", L"f", kNoSize, kNullTimeStamp, 0},
      {L"a/b c/", L"1000000000000", 1000000000000, t, 0x10},
      {L"q\"uote/com,ma/back\\slash/", L"say \"hi\", back\\slash", 12, t, 0x7F37},
      {L"\u00DCbersetzungen/\xDCE4/", L"\u65E5\u672C \U0001F600\xDCFF", 99, t, 0x1},
      {L"", L"tab\there\x0B", ~ULONGLONG{0} - 1, t, ~DWORD{0}},
      // Times outside the hand-made form go through the general formatter.
      {L"", L"far", 1, CNTimeStamp(0x7FFF'FFFF'FFFF'FFFFULL), 0},
      {L"", L"none", 1, CNTimeStamp(~0ULL), 0},
  };
  for (const Case& c : cases) {
    auto entry = Found(c.relDir, c.name, c.size, 0x0A1B2C3D, 0xFFFFFFFF, c.time, c.attributes);
    std::string expected;
    const bool expectedSevenBit = EncodeDocumentText(FormatEntryLine(*entry), expected);
    std::string bytes = "prefix";  // appended to, not replaced
    const bool sevenBit = AppendEntryLineBytes(*entry, bytes);
    EXPECT_EQ(bytes, "prefix" + expected);
    EXPECT_EQ(sevenBit, expectedSevenBit) << expected;
  }
}

TEST(EntryLineFastPathsTest, TimeFieldReadsAsTheGeneralParserReadsIt) {
  const wchar_t* const times[] = {
      L"2001-02-03 04:05:06", L"1601-01-01 00:00:00", L"9999-12-31 23:59:59",
      L"2024-02-29 12:00:00", L"2023-02-29 12:00:00", L"2001-13-03 04:05:06",
      L"2001-00-03 04:05:06", L"2001-02-32 04:05:06", L"2001-02-03 24:05:06",
      L"2001-02-03 04:60:06", L"2001-02-03 04:05:60", L"1600-12-31 23:59:59",
      L"2001/02/03 04.05.06", L"2001-2-3 4:5:6",      L"2001-02-03T04:05:06",
      L"02001-02-03 04:05:0", L"2001-02-03 04:05",    L"x001-02-03 04:05:06",
  };
  CVemoEntryLineReader reader(SharedText(L"/data/"), KeyCase::kExact);
  for (const wchar_t* text : times) {
    CNTimeStamp expected;
    const bool valid = expected.Parse(text, L"YmdHMS");
    const std::wstring line =
        std::wstring(L"            1,00000001,00000002,\"") + text + L"\",-a--,,f";
    auto entry = reader.ParseEntryLine(line);
    ASSERT_EQ(entry != nullptr, valid) << text;
    if (entry) {
      EXPECT_EQ(entry->m_stored.time, expected) << text;
    }
  }
}

TEST(EntryLineFastPathsTest, NumberFieldsReadAsTheGeneralParsersReadThem) {
  const wchar_t* const sizes[] = {L"1",
                                  L"0",
                                  L"007",
                                  L"08",
                                  L"0x1F",
                                  L"0b101",
                                  L"12a",
                                  L"1 2",
                                  L"-1",
                                  L"+1",
                                  L"9999999999999999999",
                                  L"18446744073709551615",
                                  L"18446744073709551616"};
  const wchar_t* const crcs[] = {L"0a1b2c3d", L"0A1B2C3D",  L"0A1B2C3G", L"1",        L"FFFFFFFF",
                                 L"-1234567", L"123456789", L"0x12345",  L"\"1 2 3\""};
  CVemoEntryLineReader reader(SharedText(L"/data/"), KeyCase::kExact);
  const std::wstring tail = L",\"2001-02-03 04:05:06\",-a--,,f";
  for (const wchar_t* size : sizes) {
    // The field as the line gives it: blanks outside quotes are dropped.
    const CNStringList field = SplitFields(size);
    ULONGLONG expected = 0;
    const bool valid = ParseUInt64(field.GetHead(), expected, 1);
    auto entry = reader.ParseEntryLine(std::wstring(L" ") + size + L",00000001,00000002" + tail);
    ASSERT_EQ(entry != nullptr, valid) << size;
    if (entry) {
      EXPECT_EQ(entry->m_stored.size, expected) << size;
    }
  }
  for (const wchar_t* crc : crcs) {
    const CNStringList field = SplitFields(crc);
    DWORD expected = 0;
    const bool valid = field.GetHead().size() <= 8 && ParseUInt(field.GetHead(), expected, 16);
    auto entry = reader.ParseEntryLine(std::wstring(L" 1,00000001,") + crc + tail);
    ASSERT_EQ(entry != nullptr, valid) << crc;
    if (entry) {
      EXPECT_EQ(entry->m_stored.dwCrc2, expected) << crc;
    }
  }
}

}  // namespace
