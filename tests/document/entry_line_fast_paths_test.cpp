// The direct paths of the writer and the reader against the general ones they stand in for.
#include <gtest/gtest.h>

#include <string>

#include "document/document_fixture.h"
#include "document/document_format.h"
#include "document/entry_line_reader.h"

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

}  // namespace
