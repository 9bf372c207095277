#include "records/entry_key.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_name_text.h"

namespace {

using Key = LookupKey;

std::string KeyOf(std::wstring_view rel, std::wstring_view name, bool dir,
                  KeyCase mode = KeyCase::kExact) {
  Key key(BuildEntryKey(L"/b/", rel, name, dir, mode));
  return key ? std::string(key.get()) : std::string("<null>");
}

TEST(EntryKey, SeparatorsMarkFilesAndDirectories) {
  EXPECT_EQ(KeyOf(L"sub/", L"x", false), "sub\x01\x01x");
  EXPECT_EQ(KeyOf(L"sub/", L"x", true), "sub\x01x");
  // A file and a directory of the same name never share a key.
  EXPECT_NE(KeyOf(L"", L"same", false), KeyOf(L"", L"same", true));
}

TEST(EntryKey, LetterCaseFoldsOnlyWhenAsked) {
  EXPECT_EQ(KeyOf(L"", L"Readme.txt", false, KeyCase::kFold),
            KeyOf(L"", L"README.TXT", false, KeyCase::kFold));
  EXPECT_NE(KeyOf(L"", L"Readme.txt", false), KeyOf(L"", L"README.TXT", false));
  EXPECT_EQ(KeyOf(L"", L"Readme.txt", false), "\x01Readme.txt");
  // Folding covers more than ASCII, and directories as well as names.
  EXPECT_EQ(KeyOf(L"Ärger/", L"straße", false, KeyCase::kFold),
            KeyOf(L"äRGER/", L"STRAßE", false, KeyCase::kFold));
  EXPECT_EQ(KeyOf(L"", L"\u00e4", true, KeyCase::kFold), "\xc3\x84");
}

TEST(EntryKey, BytesThatAreNotUtf8KeepTheirOwnBytes) {
  // The byte 0xFF of a Linux file name arrives as U+DCFF and must come back as that byte, folded or
  // not, while a real U+00FF is encoded as UTF-8: the two names stay apart.
  const std::wstring raw = L"a\xDCFF\xDC80";
  EXPECT_EQ(KeyOf(L"", raw, true), "a\xff\x80");
  EXPECT_EQ(KeyOf(L"", raw, true, KeyCase::kFold), "A\xff\x80");
  EXPECT_EQ(KeyOf(L"", L"a\u00ff", true), "a\xc3\xbf");
  EXPECT_EQ(KeyOf(L"", L"\U0001F600", true), "\xf0\x9f\x98\x80");
}

TEST(EntryKey, ControlBytesInNamesCannotImitateSeparators) {
  // Linux allows 0x01 in names: the directory "\x01x" must not take the key of the file "x".
  EXPECT_NE(KeyOf(L"", L"x", false), KeyOf(L"", L"\x01x", true));
  EXPECT_NE(KeyOf(L"", L"\x02\x03", true), KeyOf(L"", L"\x01", true));
  EXPECT_NE(KeyOf(L"d\x01/", L"x", true), KeyOf(L"d/", L"\x01x", true));
}

TEST(EntryKey, DirectoryKeyOfAPathIsThatDirectorysEntryKey) {
  const std::string own = KeyOf(L"a/", L"b", true);
  for (std::wstring_view path : {L"a/b/", L"a/b"}) {
    Key key(BuildDirectoryKey(L"/b/", path, KeyCase::kExact));
    EXPECT_EQ(std::string(key.get()), own);
  }
}

TEST(EntryKey, TheBaseDirectoryIsLeftOut) {
  Key other_base(BuildEntryKey(L"/somewhere/else/", L"sub/", L"x", false, KeyCase::kExact));
  EXPECT_EQ(std::string(other_base.get()), KeyOf(L"sub/", L"x", false));
  EXPECT_EQ(BuildEntryKeyPrefix(L"/somewhere/else/", L"sub/", KeyCase::kExact), "sub\x01");
}

TEST(EntryKey, EntriesOfADirectorySortBeforeDeeperOnes) {
  EXPECT_LT(KeyOf(L"", L"zz", false), KeyOf(L"a/", L"a", false));
  EXPECT_LT(KeyOf(L"a/", L"zz", false), KeyOf(L"a/b/", L"a", false));
}

TEST(EntryKey, NameBytesComeBackFromTheKey) {
  // Whatever bytes a Linux name holds, the key ends with exactly those bytes (0x01 and 0x02 aside,
  // which are escaped), as the platform decodes them into wide text.
  const std::string names[] = {
      "plain",    "caf\xc3\xa9",         "\xff\xfe", "\xc3", "a\xed\xb2\x80z",
      "\xe2\x82", "\xf0\x9f\x98\x80\x80"};
  for (const std::string& bytes : names) {
    EXPECT_EQ(KeyOf(L"", platform::FileNameToWide(bytes), true), bytes);
  }
}

TEST(EntryKey, KeyFromADirectoryPrefixIsTheFullKey) {
  struct Case {
    std::wstring_view rel, name;
    bool dir;
    KeyCase mode;
  };
  const Case cases[] = {{L"", L"x", false, KeyCase::kExact},
                        {L"sub/deeper/", L"x", true, KeyCase::kExact},
                        {L"\u00c4rger/", L"stra\u00dfe", false, KeyCase::kFold},
                        {L"raw\xDCFF/", L"a\x01\xDC80", false, KeyCase::kExact},
                        {L"", L"plain.txt", false, KeyCase::kExact},
                        {L"", L"plain.txt", true, KeyCase::kFold},
                        {L"a/", L"\x02\x7F~", false, KeyCase::kExact}};
  for (const Case& c : cases) {
    const std::string prefix = BuildEntryKeyPrefix(L"/b/", c.rel, c.mode);
    Key key(BuildEntryKeyWithPrefix(prefix, c.name, c.dir, c.mode));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(std::string(key.get()), KeyOf(c.rel, c.name, c.dir, c.mode));
    // From a name as records hold it, the same key.
    Key from_name(BuildEntryKeyWithPrefix(prefix, EntryName(c.name), c.dir, c.mode));
    ASSERT_NE(from_name, nullptr);
    EXPECT_EQ(std::string(from_name.get()), std::string(key.get()));
  }
}

}  // namespace
