// Reading whole files and replacing them safely.
#include "platform/file_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "support/temp_tree.h"

namespace {

using platform::FileStore;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Replace(const std::string& path, std::string_view first, std::string_view second = {}) {
  const std::span<const BYTE> pieces[] = {
      {reinterpret_cast<const BYTE*>(first.data()), first.size()},
      {reinterpret_cast<const BYTE*>(second.data()), second.size()}};
  return platform::ReplaceFileContents(*FileStore::Default(), path, pieces);
}

unsigned ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
}

TEST(FileStore, ReadsWholeFilesAndRefusesOthers) {
  vemo_test::TempTree tree;
  tree.File("a", std::string(200000, 'z'));
  std::string bytes;
  ASSERT_TRUE(FileStore::Default()->ReadWholeFile(tree.Path("a"), &bytes));
  EXPECT_EQ(bytes.size(), 200000u);

  tree.Dir("d");
  EXPECT_FALSE(FileStore::Default()->ReadWholeFile(tree.Path("d"), &bytes));
  EXPECT_EQ(platform::LastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(FileStore::Default()->ReadWholeFile(tree.Path("missing"), &bytes));
  EXPECT_EQ(platform::LastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(bytes.size(), 200000u);  // left as it was
}

// The block form: the same bytes, refusals and errors, and no block for an empty file.
TEST(FileStore, ReadsWholeFilesIntoOneBlock) {
  vemo_test::TempTree tree;
  std::string text;
  for (int i = 0; text.size() < 300000; ++i) text += std::to_string(i) + ',';
  tree.File("a", text);
  tree.File("empty", "");
  tree.Dir("d");
  struct Case {
    std::string path;
    bool ok;
    std::string bytes;
    DWORD error;
  };
  const Case cases[] = {
      {tree.Path("a"), true, text, 0},
      {tree.Path("empty"), true, "", 0},
      {tree.Path("d"), false, "", ERROR_ACCESS_DENIED},
      {tree.Path("missing"), false, "", ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    void* block = reinterpret_cast<void*>(1);
    std::size_t size = 99;
    EXPECT_EQ(FileStore::Default()->ReadWholeFileBlock(c.path, &block, &size), c.ok) << c.path;
    if (!c.ok) {
      EXPECT_EQ(platform::LastError(), c.error) << c.path;
    }
    EXPECT_EQ(std::string(static_cast<const char*>(block), size), c.bytes) << c.path;
    EXPECT_EQ(block == nullptr, c.bytes.empty()) << c.path;
    std::free(block);
  }
}

TEST(FileStore, ReplaceKeepsModeAndLeavesNoTemporaryFile) {
  vemo_test::TempTree tree;
  tree.File("list.sum", "old");
  ASSERT_EQ(chmod(tree.Path("list.sum").c_str(), 0604), 0);
  ASSERT_TRUE(Replace(tree.Path("list.sum"), "new ", "text"));
  EXPECT_EQ(Read(tree.Path("list.sum")), "new text");
  EXPECT_EQ(ModeOf(tree.Path("list.sum")), 0604u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.root()),
                          std::filesystem::directory_iterator()),
            1);

  // A new file gets what the umask leaves of 0666.
  const mode_t mask = umask(022);
  ASSERT_TRUE(Replace(tree.Path("fresh.sum"), "x"));
  umask(mask);
  EXPECT_EQ(ModeOf(tree.Path("fresh.sum")), 0644u);
}

TEST(FileStore, ReplaceNeverWritesThroughASymbolicLink) {
  // A list that is a link to a file elsewhere (outside the tree, someone else's): the link is
  // replaced, its target keeps its contents and its mode.
  vemo_test::TempTree tree;
  tree.Dir("elsewhere");
  tree.File("elsewhere/.bashrc", "keep me");
  ASSERT_EQ(chmod(tree.Path("elsewhere/.bashrc").c_str(), 0600), 0);
  tree.Link("check.sum", tree.Path("elsewhere/.bashrc"));
  const mode_t mask = umask(022);
  ASSERT_TRUE(Replace(tree.Path("check.sum"), "new"));
  umask(mask);
  EXPECT_FALSE(std::filesystem::is_symlink(tree.Path("check.sum")));
  EXPECT_EQ(Read(tree.Path("check.sum")), "new");
  EXPECT_EQ(ModeOf(tree.Path("check.sum")), 0644u);
  EXPECT_EQ(Read(tree.Path("elsewhere/.bashrc")), "keep me");

  // A dangling link too.
  tree.Link("dangling.sum", tree.Path("elsewhere/none"));
  ASSERT_TRUE(Replace(tree.Path("dangling.sum"), "x"));
  EXPECT_FALSE(std::filesystem::exists(tree.Path("elsewhere/none")));
  EXPECT_EQ(Read(tree.Path("dangling.sum")), "x");
}

TEST(FileStore, ReplaceFailuresLeaveTheOldFile) {
  vemo_test::TempTree tree;
  tree.Dir("taken");
  EXPECT_FALSE(Replace(tree.Path("taken"), "new"));
  EXPECT_EQ(platform::LastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(std::filesystem::is_directory(tree.Path("taken")));
  EXPECT_FALSE(Replace(tree.Path("no/such/dir/file"), "new"));
  EXPECT_EQ(platform::LastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.root()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(FileStore, CreateNeverReplacesWhatAppearedMeanwhile) {
  vemo_test::TempTree tree;
  const std::span<const BYTE> pieces[] = {{reinterpret_cast<const BYTE*>("new"), 3}};
  ASSERT_TRUE(platform::CreateFileContents(*FileStore::Default(), tree.Path("check.sum"), pieces));
  EXPECT_EQ(Read(tree.Path("check.sum")), "new");
  tree.File("other.sum", "someone else's list");
  EXPECT_FALSE(platform::CreateFileContents(*FileStore::Default(), tree.Path("other.sum"), pieces));
  EXPECT_EQ(platform::LastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(Read(tree.Path("other.sum")), "someone else's list");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.root()),
                          std::filesystem::directory_iterator()),
            2);  // no temporary file left
}

TEST(FileStore, ASaveRemovesTheTemporaryFilesOfKilledSaves) {
  // A process that has ended: a child that exited.
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  vemo_test::TempTree tree;
  const std::string dead = ".check.sum." + std::to_string(child) + "-0-a1b2c3.tmp";
  const std::string alive = ".check.sum." + std::to_string(getppid()) + "-3-00ff00.tmp";
  const std::string other_list = ".other.sum." + std::to_string(child) + "-0-a1b2c3.tmp";
  for (const std::string& name : {dead, alive, other_list, std::string("notes.tmp")}) {
    tree.File(name, "x");
  }
  ASSERT_TRUE(Replace(tree.Path("check.sum"), "list"));
  EXPECT_FALSE(std::filesystem::exists(tree.Path(dead)));
  EXPECT_TRUE(std::filesystem::exists(tree.Path(alive)));       // a save in progress
  EXPECT_TRUE(std::filesystem::exists(tree.Path(other_list)));  // not this file's
  EXPECT_TRUE(std::filesystem::exists(tree.Path("notes.tmp")));
}

TEST(FileStore, TemporaryFileNames) {
  for (const wchar_t* name : {L".check.sum.1234-0-a1b2c3.tmp", L".CRCDir.crx.7-12-ABCDEF.tmp",
                              L".my list.sum.99-0-000000.tmp"}) {
    EXPECT_TRUE(platform::IsTemporaryFileName(name)) << name;
  }
  for (const wchar_t* name :
       {L"check.sum.1234-0-a1b2c3.tmp", L"..1234-0-a1b2c3.tmp", L".check.sum.1234-0-a1b2c.tmp",
        L".check.sum.1234-0-a1b2c3.tmp.bak", L".check.sum.-0-a1b2c3.tmp",
        L".check.sum.12x4-0-a1b2c3.tmp", L".tmp", L""}) {
    EXPECT_FALSE(platform::IsTemporaryFileName(name)) << name;
  }
}

}  // namespace
