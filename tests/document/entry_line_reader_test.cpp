#include "document/entry_line_reader.h"

#include <gtest/gtest.h>

namespace {

const SharedText kBase(L"/data/");

TEST(ParseEntryLineTest, ReadsAllFields) {
  auto entry = ParseEntryLine(
      L"      1048576,0a1b2c3d,,\"2007-03-14 09:21:30\",r---a------j,\"docs\\\\sub\\\\\",abc.txt",
      kBase);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->m_stored.size, 1048576u);
  EXPECT_EQ(entry->m_stored.dwCrc1, 0x0A1B2C3Du);
  EXPECT_EQ(entry->m_stored.dwCrc2, 0xFFFFFFFFu);
  EXPECT_EQ(entry->m_stored.attributes, 0x2021u);
  EXPECT_EQ(entry->m_stored.name, L"abc.txt");
  EXPECT_EQ(entry->m_strRelDir.str(), L"docs/sub/");
  EXPECT_EQ(entry->m_strBaseDir.str(), L"/data/");
  EXPECT_EQ(entry->m_dwFlags, EF_LISTED);
  EXPECT_EQ(entry->m_dwError, 0u);
  EXPECT_EQ(entry->GetEntryPath(), L"/data/docs/sub/abc.txt");
}

TEST(ParseEntryLineTest, SpecialValues) {
  auto entry = ParseEntryLine(L"             ,FFFFFFFF,,\"                   \",,,x", kBase);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->m_stored.size, ~ULONGLONG{0});
  EXPECT_EQ(entry->m_stored.dwCrc1, 0xFFFFFFFFu);
  EXPECT_EQ(entry->m_stored.dwCrc2, 0xFFFFFFFFu);
  EXPECT_TRUE(entry->m_stored.time.IsZero());
  EXPECT_EQ(entry->m_stored.attributes, 0u);
  EXPECT_TRUE(entry->m_strRelDir.empty());
  // Automatic notation of the size; unquoted blanks are dropped; '/' also separates; a missing
  // final separator is supplied.
  entry = ParseEntryLine(L"0x10,1,2,\"2000-01-01 00:00:00\",,a/b,n a m e", kBase);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->m_stored.size, 16u);
  EXPECT_EQ(entry->m_stored.name, L"name");
  EXPECT_EQ(entry->m_strRelDir.str(), L"a/b/");
}

TEST(ParseEntryLineTest, RejectsLinesThatAreNoEntry) {
  const wchar_t* lines[] = {
      L"",
      L"; Vemo Release 2.01.05",
      L"~ AutoSigned 8wzzbioM",
      L"x           1,1,1,\"2000-01-01 00:00:00\",,,n",
      L"            1,1,1,\"2000-01-01 00:00:00\",,n",         // six fields
      L"            1,1,1,\"2000-01-01 00:00:00\",,,n,extra",  // eight fields
      L"            1,1,1,\"2007-02-30 00:00:00\",,,n",        // no such day
      L"            1,1,1,\"2000-01-01 00:00:00\",---x--------,,n",
      L"            1,1,1,\"2000-01-01 00:00:00\",,,",  // empty name
      L"            z,1,1,\"2000-01-01 00:00:00\",,,n",
      L"            1,123456789,1,\"2000-01-01 00:00:00\",,,n",  // nine hex digits
      L"            1,G,1,\"2000-01-01 00:00:00\",,,n",
      L"            1,1,1,\"2000-01-01 00:00:00\",,,\"a/b\"",  // '/' in a name
      L"            1,1,1,\"2000-01-01 00:00:00\",,,..",
      L"            1,1,1,\"2000-01-01 00:00:00\",,\"..\\\\\",n",  // outside the tree
      L"            1,1,1,\"2000-01-01 00:00:00\",,\"\\\\etc\\\\\",n",
      L"            1,1,1,\"2000-01-01 00:00:00\",,\"a\\\\\\\\b\\\\\",n",
      // Stray bytes D8 and AB (a quote between them in the line) make the character U+062B on
      // disk: the name is no file's, and would read back as another (found by fuzzing).
      L"            1,1,1,\"2000-01-01 00:00:00\",,,\"a\xDCD8\"\xDCAB",
      L"            1,1,1,\"2000-01-01 00:00:00\",,\"\xDCD8\"\"\xDCAB\\\\\",n",
  };
  for (const wchar_t* line : lines) EXPECT_FALSE(ParseEntryLine(line, kBase)) << line;
  // A stray byte that is none of a character's is a name's as it was on disk.
  EXPECT_TRUE(
      ParseEntryLine(L"            1,1,1,\"2000-01-01 00:00:00\",,,\"a\xDCD8"
                     L"b\"",
                     kBase));
}

TEST(ParseEntryLineTest, EntriesOfOneDirectoryShareItsText) {
  CVemoEntryLineReader reader(kBase, KeyCase::kFold);
  auto a = reader.ParseEntryLine(L"1,1,1,\"2000-01-01 00:00:00\",,\"d\\\\\",a");
  auto b = reader.ParseEntryLine(L"1,1,1,\"2000-01-01 00:00:00\",,\"d\\\\\",B");
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(a->m_strRelDir.SameObject(b->m_strRelDir));
  EXPECT_EQ(b->m_keyCase, KeyCase::kFold);
}

}  // namespace
