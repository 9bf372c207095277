#include "document/document_format.h"

#include <gtest/gtest.h>

#include "document/document_decoding.h"
#include "document/document_fixture.h"
#include "document/document_writer.h"
#include "document/entry_line_reader.h"
#include "engine/crc.h"
#include "platform/file_time.h"
#include "records/entry_key.h"

namespace {

using vemo_test::Found;
using vemo_test::Time;

DWORD Crc32(std::string_view bytes) {
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  crc.Update(bytes.data(), bytes.size());
  return crc.Value();
}

// The entry lines (without line ends) of a written document.
std::vector<std::string> EntryLines(const std::string& document) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (int line = 0; start < document.size(); ++line) {
    const std::size_t end = document.find("\r\n", start);
    if (line >= 4) lines.push_back(document.substr(start, end - start));
    start = end + 2;
  }
  lines.pop_back();  // the trailer
  return lines;
}

TEST(DocumentWriterTest, WritesTheSampleDocumentByteForByte) {
  const std::string written = vemo_test::WriteDocument(vemo_test::SampleEntries());
  EXPECT_EQ(written, vemo_test::kSampleDocument);
  EXPECT_EQ(Crc32(written), 0u);
}

TEST(DocumentWriterTest, EmptyDocumentIsHeaderAndSignedTrailer) {
  const std::string written = vemo_test::WriteDocument(std::vector<std::unique_ptr<CVemoEntry>>{});
  EXPECT_EQ(written.rfind("\xEF\xBB\xBF; Vemo Release 2.01.05\r\n", 0), 0u);
  EXPECT_EQ(EntryLines(written).size(), 0u);
  EXPECT_EQ(written.find("~ AutoSigned "), written.size() - 23);
  EXPECT_EQ(Crc32(written), 0u);
}

TEST(DocumentWriterTest, OnlyFoundEntriesAreWritten) {
  auto entries = vemo_test::SampleEntries();
  entries[1]->m_dwFlags = EF_LISTED;  // listed but gone from disk
  EXPECT_EQ(EntryLines(vemo_test::WriteDocument(entries)).size(), 2u);
}

TEST(DocumentWriterTest, AnyCharacterAbove7BitDropsTheByteOrderMark) {
  struct Case {
    const char* what;
    DocumentHeader header;
    const wchar_t* name;
  };
  const Case cases[] = {
      {"name", vemo_test::SampleHeader(), L"caf\u00E9.txt"},
      {"path", vemo_test::SampleHeader(L"/home/j\u00FCrgen/"), L"a.txt"},
      {"system", {L"; Vemo", L"d", L"\u00C5SA", L"/"}, L"a.txt"},
      {"stray byte", vemo_test::SampleHeader(), L"x\xDCE9"},
  };
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<CVemoEntry>> entries;
    entries.push_back(Found(L"", c.name, 1, 1, 1, Time(L"2020-01-01 00:00:00"), 0));
    const std::string written = vemo_test::WriteDocument(entries, c.header);
    EXPECT_NE(written.substr(0, 3), "\xEF\xBB\xBF") << c.what;
    EXPECT_EQ(written[0], c.header.identity[0]) << c.what;
    EXPECT_EQ(Crc32(written), 0u) << c.what;
  }
}

TEST(FormatEntryLineTest, SizeColumnAndSpecialValues) {
  struct Case {
    ULONGLONG size;
    CNTimeStamp time;
    const char* expected;
  };
  const CNTimeStamp t = Time(L"2001-02-03 04:05:06");
  const Case cases[] = {
      {0, t, "            0,00000001,00000002,\"2001-02-03 04:05:06\",------------,,f"},
      {kNoSize, t, "             ,00000001,00000002,\"2001-02-03 04:05:06\",------------,,f"},
      {5, kNullTimeStamp,
       "            5,00000001,00000002,\"                   \",------------,,f"},
      {999999999999, t, " 999999999999,00000001,00000002,\"2001-02-03 04:05:06\",------------,,f"},
      // 10^12 and more: no room for a blank, the line begins with a digit.
      {1000000000000, t, "1000000000000,00000001,00000002,\"2001-02-03 04:05:06\",------------,,f"},
  };
  for (const Case& c : cases) {
    auto entry = Found(L"", L"f", c.size, 1, 2, c.time, 0);
    std::string line;
    (void)EncodeDocumentText(FormatEntryLine(*entry), line);
    EXPECT_EQ(line, c.expected);
    // Every such line reads back, the digit-first one included.
    auto read = ParseEntryLine(FormatEntryLine(*entry), SharedText(L"/data/"));
    ASSERT_TRUE(read) << c.expected;
    EXPECT_EQ(read->m_stored.size, c.size);
    EXPECT_EQ(read->m_stored.time, c.time);
  }
}

TEST(FormatEntryLineTest, HandMadeTimeEqualsTheFormatter) {
  for (const wchar_t* text : {L"1601-01-01 00:00:01", L"1999-12-31 23:59:59",
                              L"2024-02-29 12:00:00", L"9999-12-31 23:59:59"}) {
    const CNTimeStamp time = Time(text);
    EXPECT_EQ(FormatEntryTime(time), time.Format(kEntryTimeFormat)) << text;
  }
}

TEST(FormatEntryLineTest, EveryTimeWrittenReadsBack) {
  // A time in the year 30828 used to be written but not read back: the entry showed as new for
  // ever. The writer writes only times the reader takes; later ones go as "no time stamp".
  struct Case {
    ULONGLONG written;
    ULONGLONG read;
  };
  const Case cases[] = {
      {Time(L"1601-01-01 00:00:01").Value(), Time(L"1601-01-01 00:00:01").Value()},
      {Time(L"10000-01-01 00:00:00").Value(), Time(L"10000-01-01 00:00:00").Value()},
      {Time(L"30827-12-31 23:59:59").Value(), Time(L"30827-12-31 23:59:59").Value()},
      {platform::kMaxFileTime, platform::kMaxFileTime / 10000000 * 10000000},
      {platform::kMaxFileTime + 1, 0},  // 30828-01-01
      {(1ULL << 63) - 1, 0},            // the last value calendar fields can show
      {1ULL << 63, 0},
      {~0ULL, 0},
  };
  for (const Case& c : cases) {
    auto entry = Found(L"", L"f", 1, 1, 2, CNTimeStamp(c.written), 0);
    const std::wstring line = FormatEntryLine(*entry);
    std::string bytes;
    (void)AppendEntryLineBytes(*entry, bytes);
    std::string reference;
    (void)EncodeDocumentText(line, reference);
    EXPECT_EQ(bytes, reference) << c.written;
    auto read = ParseEntryLine(line, SharedText(L"/data/"));
    ASSERT_TRUE(read) << c.written;
    EXPECT_EQ(read->m_stored.time.Value(), c.read) << c.written;
  }
  // What the platform reports for a file is always such a time.
  EXPECT_EQ(platform::FileTimeFromTimespec({910670515199, 999999999}), platform::kMaxFileTime);
  EXPECT_EQ(platform::FileTimeFromTimespec({910670515200, 0}), 0u);
}

// Names that need quoting or escaping, and names that are not UTF-8, come back exactly: written
// through the whole writer and read back from its bytes.
TEST(DocumentRoundTripTest, NamesComeBackExactly) {
  const std::wstring names[] = {L"My File, v2.txt",
                                L"say \"hi\"",
                                L"back\\slash",
                                L" lead and trail ",
                                L"tab\there",
                                L"comma,",
                                L"\u00E9t\u00E9 \u65E5\u672C \U0001F600",
                                L"raw\xDCE9\xDCFF bytes",
                                L"\xDC80",
                                L"-",
                                L"#1",
                                L"x\x01y\x02z"};
  std::vector<std::unique_ptr<CVemoEntry>> entries;
  for (const std::wstring& name : names) {
    entries.push_back(Found(L"dir, \"q\"/sub\xDCE4/", name, 7, 0xDEADBEEF, 0x0BADF00D,
                            Time(L"2010-10-10 10:10:10"), 0x20));
  }
  const std::string written = vemo_test::WriteDocument(entries);
  EXPECT_EQ(Crc32(written), 0u);
  std::string form;
  ASSERT_EQ(DecodeDocumentBytes(written, form), DocumentDecoding::kAsIs);
  const auto lines = EntryLines(written);
  ASSERT_EQ(lines.size(), entries.size());
  CVemoEntryLineReader reader(SharedText(L"/data/"), KeyCase::kExact);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::wstring line;
    DecodeDocumentText(lines[i], line);
    auto read = reader.ParseEntryLine(line);
    ASSERT_TRUE(read) << lines[i];
    EXPECT_EQ(read->m_stored.name, names[i]);
    EXPECT_EQ(read->m_strRelDir.str(), L"dir, \"q\"/sub\xDCE4/");
    EXPECT_STREQ(read->m_pszKey, entries[i]->m_pszKey);
    EXPECT_EQ(read->m_dwFlags, EF_LISTED);
    EXPECT_EQ(read->m_stored.dwCrc1, 0xDEADBEEFu);
    EXPECT_EQ(read->m_stored.dwCrc2, 0x0BADF00Du);
  }
  // The stray bytes are written as the bytes themselves.
  EXPECT_NE(written.find("raw\xE9\xFF bytes"), std::string::npos);
}

// Names the format cannot carry are left out; every other entry is written and reads back as
// itself, so nothing is attributed to another file.
TEST(DocumentRoundTripTest, NamesTheFormatCannotCarryAreLeftOut) {
  struct Case {
    const wchar_t* relDir;
    std::wstring name;
  };
  const Case bad[] = {
      {L"", L"line\nbreak"},
      {L"", L"carriage\rreturn"},
      {L"a\\b/", L"c"},
      {L"x\ny/", L"z"},
      {L"", L"lone\xD800"},
      {L"", L""},
      {L"", L"\U0010FFFF\x110000"},
      {L"", L"."},
      {L"", L".."},
      {L"", L"slash/in name"},
      {L"", std::wstring(L"nul\0byte", 8)},
  };
  std::vector<std::unique_ptr<CVemoEntry>> entries;
  entries.push_back(Found(L"", L"before", 1, 1, 1, Time(L"2010-10-10 10:10:10"), 0));
  for (const Case& c : bad) {
    entries.push_back(Found(c.relDir, c.name, 2, 2, 2, Time(L"2010-10-10 10:10:10"), 0));
    EXPECT_FALSE(CanCarryEntry(*entries.back()));
  }
  entries.push_back(Found(L"a/", L"back\\slash in a file name is fine", 3, 3, 3,
                          Time(L"2010-10-10 10:10:10"), 0));
  std::size_t leftOut = 0;
  const std::string written =
      vemo_test::WriteDocument(entries, vemo_test::SampleHeader(), &leftOut);
  EXPECT_EQ(leftOut, std::size(bad));
  const auto lines = EntryLines(written);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("before"), std::string::npos);
  EXPECT_NE(lines[1].find("fine"), std::string::npos);
}

// The writer encodes a directory once for the entries that share it; a change of directory, back
// and forth, through one it leaves out and through the same text in another object, must give
// each entry its own line all the same.
TEST(DocumentWriterTest, EntriesSharingADirectoryGetTheirOwnDirectoryField) {
  const SharedText a(L"a, b/");
  const SharedText uncarried(L"x\ny/");
  const SharedText sameTextOtherObject(L"a, b/");
  const SharedText nonAscii(L"\u00dcbersetzungen/");
  const SharedText dirs[] = {a, a, uncarried, a, SharedText(), sameTextOtherObject, nonAscii, a};
  std::vector<std::unique_ptr<CVemoEntry>> entries;
  std::string expected;
  for (std::size_t i = 0; i < std::size(dirs); ++i) {
    entries.push_back(
        Found(L"", L"f" + std::to_wstring(i), i, 1, 2, Time(L"2010-10-10 10:10:10"), 0));
    entries.back()->m_strRelDir = dirs[i];
    if (&dirs[i].str() == &uncarried.str()) continue;
    (void)AppendEntryLineBytes(*entries.back(), expected);
    expected += "\r\n";
  }
  std::size_t leftOut = 0;
  const std::string written =
      vemo_test::WriteDocument(entries, vemo_test::SampleHeader(), &leftOut);
  EXPECT_EQ(leftOut, 1u);
  const std::size_t start = written.find("\r\n            0,");
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(written.substr(start + 2, expected.size()), expected);
  EXPECT_EQ(EntryLines(written).size(), std::size(dirs) - 1);
}

// A directory name with a line break in the path header cannot smuggle in an entry line.
TEST(DocumentWriterTest, LineBreakInThePathHeaderStaysInItsLine) {
  const std::string written = vemo_test::WriteDocument(
      std::vector<std::unique_ptr<CVemoEntry>>{},
      vemo_test::SampleHeader(L"/tmp/x\r\n            1,00000000,00000000,,,,evil/"));
  EXPECT_EQ(EntryLines(written).size(), 0u);
  EXPECT_EQ(Crc32(written), 0u);
}

}  // namespace
