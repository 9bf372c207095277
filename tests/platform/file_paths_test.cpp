#include "platform/file_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/environment.h"
#include "platform/error_codes.h"
#include "platform/file_attributes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "support/temp_tree.h"
#include "support/working_directory.h"

namespace {

using vemo_test::WorkingDirectory;

std::wstring Wide(const std::string& s) { return platform::FileNameToWide(s); }

TEST(CurrentDirectory, IsTheProcessDirectoryIncludingNonUtf8Names) {
  vemo_test::TempTree tree;
  tree.Dir("caf\xE9");
  WorkingDirectory cd(tree.Path("caf\xE9"));
  std::wstring dir;
  ASSERT_TRUE(platform::CurrentDirectory(dir));
  EXPECT_EQ(dir, Wide(tree.Path("caf\xE9")));
}

TEST(FullPath, ResolvesDotsTextuallyAgainstTheCurrentDirectory) {
  vemo_test::TempTree tree;
  tree.Dir("base");
  WorkingDirectory cd(tree.Path("base"));
  const std::wstring base = Wide(tree.Path("base"));
  struct Case {
    std::wstring path;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"file", base + L"/file"},
      {L"./a//b/", base + L"/a/b/"},
      {L"..", Wide(tree.root().substr(0, tree.root().size() - 1))},
      {L"missing/../x", base + L"/x"},
      {L"/a/b/../c", L"/a/c"},
      {L"/a/./b/.", L"/a/b"},
      {L"/../..", L"/"},
      {L"/", L"/"},
      {L"//a", L"/a"},
      {L"/a\xDCFF/", L"/a\xDCFF/"},
  };
  for (const auto& c : cases) {
    std::wstring out;
    ASSERT_TRUE(platform::FullPath(c.path, out));
    EXPECT_EQ(out, c.expected);
  }
  std::wstring untouched = L"keep";
  EXPECT_FALSE(platform::FullPath(L"", untouched));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_NAME);
  EXPECT_EQ(untouched, L"keep");
}

TEST(FullPath, DoesNotFollowSymbolicLinks) {
  vemo_test::TempTree tree;
  tree.Dir("real/deep");
  tree.Link("link", "real/deep");
  std::wstring out;
  ASSERT_TRUE(platform::FullPath(Wide(tree.Path("link/..")), out));
  EXPECT_EQ(out, Wide(tree.root().substr(0, tree.root().size() - 1)));
}

TEST(PathAttributes, MapsTheItemItselfAndItsName) {
  vemo_test::TempTree tree;
  tree.File("plain", "x");
  tree.File(".hidden", "x");
  tree.File("readonly", "x");
  chmod(tree.Path("readonly").c_str(), 0444);
  tree.Dir("dir");
  tree.Link("link", "dir");
  tree.Link("dangling", "nowhere");
  tree.File("bad\xFF", "x");
  struct Case {
    std::string relative;
    DWORD expected;
  };
  const Case cases[] = {
      {"plain", 0},
      {".hidden", FILE_ATTRIBUTE_HIDDEN},
      {"readonly", FILE_ATTRIBUTE_READONLY},
      {"dir", FILE_ATTRIBUTE_DIRECTORY},
      {"dir/", FILE_ATTRIBUTE_DIRECTORY},
      {"dir/.", FILE_ATTRIBUTE_DIRECTORY},
      {"link", FILE_ATTRIBUTE_REPARSE_POINT},
      {"dangling", FILE_ATTRIBUTE_REPARSE_POINT},
      {"bad\xFF", 0},
  };
  for (const auto& c : cases) {
    DWORD attributes = 0xDEAD;
    ASSERT_TRUE(platform::PathAttributes(Wide(tree.Path(c.relative)), attributes)) << c.relative;
    EXPECT_EQ(attributes, c.expected) << c.relative;
  }
}

TEST(PathAttributes, MissingFileAndMissingDirectoryDiffer) {
  vemo_test::TempTree tree;
  tree.File("file", "x");
  struct Case {
    std::string relative;
    DWORD error;
  };
  const Case cases[] = {
      {"missing", ERROR_FILE_NOT_FOUND},
      {"nodir/missing", ERROR_PATH_NOT_FOUND},
      {"file/missing", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    DWORD attributes = 7;
    EXPECT_FALSE(platform::PathAttributes(Wide(tree.Path(c.relative)), attributes));
    EXPECT_EQ(platform::LastError(), c.error) << c.relative;
    EXPECT_EQ(attributes, 7U);
  }
}

TEST(Environment, ReadsSetVariablesAndReportsMissingOnes) {
  setenv("VEMO_TEST_VALUE", "caf\xC3\xA9 \xFF", 1);
  std::wstring value;
  ASSERT_TRUE(platform::GetEnvironmentVariable(L"VEMO_TEST_VALUE", value));
  EXPECT_EQ(value, L"caf\u00E9 \xDCFF");
  unsetenv("VEMO_TEST_VALUE");

  for (const wchar_t* name : {L"VEMO_TEST_VALUE", L"", L"A=B"}) {
    std::wstring untouched = L"keep";
    platform::SetLastError(0);
    EXPECT_FALSE(platform::GetEnvironmentVariable(name, untouched)) << name;
    EXPECT_EQ(platform::LastError(), ERROR_ENVVAR_NOT_FOUND);
    EXPECT_EQ(untouched, L"keep");
  }
}

}  // namespace
