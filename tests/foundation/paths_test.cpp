#include "foundation/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "foundation/text_conversion.h"
#include "platform/error_codes.h"
#include "platform/file_attributes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "support/temp_tree.h"
#include "support/working_directory.h"

namespace {

using vemo_test::WorkingDirectory;

std::wstring Wide(const std::string& s) { return platform::FileNameToWide(s); }

TEST(PathParts, SplitAtTheLastSeparator) {
  struct Case {
    const wchar_t* path;
    const wchar_t* dir;
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"/base/sub/file.txt", L"/base/sub/", L"file.txt"},
      {L"file.txt", L"", L"file.txt"},
      {L"/base/sub/", L"/base/sub/", L""},
      {L"/", L"/", L""},
      {L"", L"", L""},
      {L"dir\\name", L"", L"dir\\name"},  // a backslash is a name character here
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathDirPart(c.path), c.dir) << c.path;
    EXPECT_EQ(PathNamePart(c.path), c.name) << c.path;
  }
}

TEST(SetTrailingChar, AddsOrRemovesOnlyWhenNeeded) {
  EXPECT_EQ(SetTrailingChar(L"/a", true, L'/'), L"/a/");
  EXPECT_EQ(SetTrailingChar(L"/a/", true, L'/'), L"/a/");
  EXPECT_EQ(SetTrailingChar(L"/a/", false, L'/'), L"/a");
  EXPECT_EQ(SetTrailingChar(L"/a", false, L'/'), L"/a");
  EXPECT_EQ(SetTrailingChar(L"", true, L'/'), L"");
  EXPECT_EQ(SetTrailingChar(L"", false, L'/'), L"");
}

TEST(AbsolutePaths, CurrentDirectoryFullPathAndReplacement) {
  vemo_test::TempTree tree;
  tree.Dir("work");
  WorkingDirectory cd(tree.Path("work"));
  const std::wstring work = Wide(tree.Path("work"));

  std::wstring dir;
  ASSERT_TRUE(GetCurrentDir(dir));
  EXPECT_EQ(dir, work);
  ASSERT_TRUE(GetCurrentDir(dir, L'\\'));
  EXPECT_EQ(dir.find(L'/'), std::wstring::npos);
  EXPECT_EQ(GetCurrentDirOr(L"fallback"), work);

  std::wstring full;
  ASSERT_TRUE(GetFullPath(L"a/../b/", full));
  EXPECT_EQ(full, work + L"/b/");

  std::wstring path = L"sub/./x.sum";
  EXPECT_EQ(MakeAbsolute(path), work + L"/sub/x.sum");
  std::wstring empty;
  EXPECT_EQ(MakeAbsolute(empty), L"");

  std::wstring moved = L"/elsewhere/check.sum";
  ReplaceDirPart(moved, L"/target");
  EXPECT_EQ(moved, L"/target/check.sum");
  moved = L"/elsewhere/check.sum";
  ReplaceDirPart(moved, L"rel/");
  EXPECT_EQ(moved, work + L"/rel/check.sum");
}

TEST(AbsolutePaths, OverlongResultsFailWithInsufficientBuffer) {
  const std::wstring deep = L"/" + std::wstring(kMaxPathChars, L'd');
  std::wstring full = L"keep";
  platform::SetLastError(0);
  EXPECT_FALSE(GetFullPath(deep, full));
  EXPECT_EQ(platform::LastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(full, L"keep");
  std::wstring path = deep;
  EXPECT_EQ(MakeAbsolute(path), L"");
  ASSERT_TRUE(GetFullPath(deep.substr(0, kMaxPathChars), full));
}

TEST(PathExists, ReportsAttributesAndMissingItems) {
  vemo_test::TempTree tree;
  tree.File(".profile", "x");
  DWORD attributes = 0;
  EXPECT_TRUE(PathExists(Wide(tree.Path(".profile")), &attributes));
  EXPECT_EQ(attributes, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(PathExists(Wide(tree.root())));

  attributes = 99;
  EXPECT_FALSE(PathExists(Wide(tree.Path("missing")), &attributes));
  EXPECT_EQ(platform::LastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(attributes, 99U);

  platform::SetLastError(ERROR_DISK_FULL);
  EXPECT_FALSE(PathExists(L""));
  EXPECT_EQ(platform::LastError(), ERROR_DISK_FULL);  // the system was not asked
}

TEST(TextConversion, MallocBuffersWithTerminator) {
  char* narrow = WideToMultiByte(L"caf\u00E9", -1, CP_UTF8, 0);
  ASSERT_NE(narrow, nullptr);
  EXPECT_STREQ(narrow, "caf\xC3\xA9");
  std::free(narrow);

  narrow = WideToMultiByte(L"abc", 2, CP_ACP, 0);
  ASSERT_NE(narrow, nullptr);
  EXPECT_STREQ(narrow, "ab");
  std::free(narrow);

  narrow = WideToMultiByte(L"", -1, CP_UTF8, 0);
  ASSERT_NE(narrow, nullptr);
  EXPECT_STREQ(narrow, "");
  std::free(narrow);

  bool used = false;
  narrow = WideToMultiByte(L"\u0100", -1, CP_ACP, 0, nullptr, &used);
  ASSERT_NE(narrow, nullptr);
  EXPECT_STREQ(narrow, "?");
  EXPECT_TRUE(used);
  std::free(narrow);

  wchar_t* wide = MultiByteToWide("\x80x", -1, CP_ACP, 0);
  ASSERT_NE(wide, nullptr);
  EXPECT_STREQ(wide, L"\u20ACx");
  std::free(wide);

  EXPECT_EQ(WideToMultiByte(nullptr, -1, CP_UTF8, 0), nullptr);
  EXPECT_EQ(MultiByteToWide(nullptr, 3, CP_UTF8, 0), nullptr);
  EXPECT_EQ(MultiByteToWide("\xFF", -1, CP_UTF8, MB_ERR_INVALID_CHARS), nullptr);
  EXPECT_EQ(platform::LastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(MultiByteToWide("x", -1, 850, 0), nullptr);
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
