#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "platform/error_codes.h"
#include "platform/file_time.h"
#include "platform/last_error.h"
#include "support/fault_file_system.h"
#include "support/temp_tree.h"

namespace {

using platform::AccessPattern;
using platform::DirectoryHandle;
using platform::DirectoryItem;
using platform::FileSystem;
using platform::ItemKind;

constexpr ULONGLONG k1970 = 116444736000000000ULL;  // 1970-01-01 in 100 ns units since 1601

std::map<std::string, DirectoryItem> ListAll(const std::string& dir) {
  std::map<std::string, DirectoryItem> items;
  auto listing = FileSystem::Default()->OpenListing(dir);
  EXPECT_NE(listing, nullptr) << platform::LastError();
  if (listing == nullptr) return items;
  DirectoryItem item;
  while (listing->Next(&item)) items[item.name] = item;
  EXPECT_EQ(platform::LastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(listing->Close());
  return items;
}

bool MakeSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return false;
  path.copy(address.sun_path, path.size());
  const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return ok;
}

TEST(FileTime, ConvertsPosixTimesAndClampsBefore1601) {
  EXPECT_EQ(platform::FileTimeFromTimespec({0, 0}), k1970);
  EXPECT_EQ(platform::FileTimeFromTimespec({1, 999999999}), k1970 + 19999999);
  EXPECT_EQ(platform::FileTimeFromTimespec({-platform::kSecondsFrom1601To1970, 0}), 0u);
  EXPECT_EQ(platform::FileTimeFromTimespec({-platform::kSecondsFrom1601To1970 - 1, 0}), 0u);
}

TEST(DirectoryListing, DescribesEachItemFromLstat) {
  vemo_test::TempTree tree;
  tree.File("plain.txt", "12345");
  tree.SetTime("plain.txt", 1700000000, 123456789);
  tree.File(".hidden", "");
  tree.File("locked", "x");
  chmod(tree.Path("locked").c_str(), 0444);
  tree.Dir("sub");
  tree.Link("link", "plain.txt");
  tree.SetTime("link", 1600000000);
  tree.Link("dangling", "no/such/target");
  tree.File("\xff\xfe name", "z");  // not UTF-8
  ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);
  const bool have_socket = MakeSocket(tree.Path("sock"));

  auto items = ListAll(tree.root());
  EXPECT_EQ(items.count("."), 0u);
  EXPECT_EQ(items.count(".."), 0u);

  const DirectoryItem& plain = items["plain.txt"];
  EXPECT_EQ(plain.kind, ItemKind::kFile);
  EXPECT_EQ(plain.size, 5u);
  EXPECT_EQ(plain.write_time, k1970 + 1700000000ULL * 10000000 + 1234567);
  EXPECT_EQ(plain.attributes, 0u);

  EXPECT_EQ(items[".hidden"].attributes, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(items["locked"].attributes, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(items["sub"].kind, ItemKind::kDirectory);
  EXPECT_EQ(items["sub"].attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(items["sub"].size, 0u);

  // The link itself, not its target: its own time, its text's length, never read-only.
  const DirectoryItem& link = items["link"];
  EXPECT_EQ(link.kind, ItemKind::kSymlink);
  EXPECT_EQ(link.size, 9u);
  EXPECT_EQ(link.write_time, k1970 + 1600000000ULL * 10000000);
  EXPECT_EQ(link.attributes, FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(items["dangling"].kind, ItemKind::kSymlink);

  EXPECT_EQ(items["\xff\xfe name"].kind, ItemKind::kFile);
  EXPECT_EQ(items["fifo"].kind, ItemKind::kOther);
  if (have_socket) {
    EXPECT_EQ(items["sock"].kind, ItemKind::kOther);
  }
}

TEST(DirectoryListing, EmptyDirectoryEndsAtOnce) {
  vemo_test::TempTree tree;
  EXPECT_TRUE(ListAll(tree.root()).empty());
}

TEST(DirectoryListing, MissingDirectoryOrFileIsPathNotFound) {
  vemo_test::TempTree tree;
  tree.File("file", "x");
  for (const std::string& path : {tree.Path("missing/"), tree.Path("file"), tree.Path("file/x")}) {
    platform::SetLastError(0);
    EXPECT_EQ(FileSystem::Default()->OpenListing(path), nullptr) << path;
    EXPECT_EQ(platform::LastError(), ERROR_PATH_NOT_FOUND) << path;
  }
}

TEST(ReadableFile, ReadsSizeAndContentsToTheEnd) {
  vemo_test::TempTree tree;
  tree.File("data", "hello world");
  auto file = FileSystem::Default()->OpenForRead(tree.Path("data"), AccessPattern::kSequential);
  ASSERT_NE(file, nullptr);
  ULONGLONG size = 0;
  ASSERT_TRUE(file->GetSize(&size));
  EXPECT_EQ(size, 11u);
  char buffer[64];
  std::size_t got = 0;
  ASSERT_TRUE(file->Read(buffer, sizeof(buffer), &got));
  EXPECT_EQ(std::string(buffer, got), "hello world");
  ASSERT_TRUE(file->Read(buffer, sizeof(buffer), &got));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(file->Close());
  EXPECT_TRUE(file->Close());  // a second close is harmless
}

// The reader reads up to the size measured on opening, so later growth must not change it.
TEST(ReadableFile, SizeIsTheOneMeasuredOnOpening) {
  vemo_test::TempTree tree;
  tree.File("growing", "1234");
  auto file = FileSystem::Default()->OpenForRead(tree.Path("growing"), AccessPattern::kNormal);
  ASSERT_NE(file, nullptr);
  std::ofstream(tree.Path("growing"), std::ios::app) << "5678";
  ULONGLONG size = 0;
  ASSERT_TRUE(file->GetSize(&size));
  EXPECT_EQ(size, 4u);
}

TEST(ReadableFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
  vemo_test::TempTree tree;
  tree.File("data", "x");
  tree.Link("link", "data");
  tree.Dir("dir");
  ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);  // opening it for reading would block
  const struct {
    const char* name;
    DWORD error;
  } cases[] = {
      {"missing", ERROR_FILE_NOT_FOUND},
      {"link", ERROR_CANT_RESOLVE_FILENAME},
      {"dir", ERROR_ACCESS_DENIED},
      {"fifo", ERROR_ACCESS_DENIED},
  };
  const std::unique_ptr<DirectoryHandle> dir = FileSystem::Default()->OpenDirectory(tree.root());
  ASSERT_NE(dir, nullptr);
  for (const auto& c : cases) {
    platform::SetLastError(0);
    EXPECT_EQ(FileSystem::Default()->OpenForRead(tree.Path(c.name), AccessPattern::kNormal),
              nullptr)
        << c.name;
    EXPECT_EQ(platform::LastError(), c.error) << c.name;
    // The same by name inside the open directory.
    platform::SetLastError(0);
    EXPECT_EQ(dir->OpenForRead(c.name, AccessPattern::kNormal), nullptr) << c.name;
    EXPECT_EQ(platform::LastError(), c.error) << c.name;
  }
}

TEST(DirectoryHandle, OpensFilesAndLinksByNameInTheDirectoryItOpened) {
  vemo_test::TempTree tree;
  tree.Dir("dir");
  tree.File("dir/data", "contents");
  tree.Link("dir/link", "data");
  tree.File("file", "x");
  std::unique_ptr<DirectoryHandle> dir = FileSystem::Default()->OpenDirectory(tree.Path("dir/"));
  ASSERT_NE(dir, nullptr);
  // Renamed meanwhile: the handle still names the directory it opened.
  std::filesystem::rename(tree.Path("dir"), tree.Path("moved"));
  auto file = dir->OpenForRead("data", AccessPattern::kSequential);
  ASSERT_NE(file, nullptr);
  ULONGLONG size = 0;
  ASSERT_TRUE(file->GetSize(&size));
  EXPECT_EQ(size, 8u);
  char buffer[16];
  std::size_t got = 0;
  ASSERT_TRUE(file->Read(buffer, sizeof buffer, &got));
  EXPECT_EQ(std::string(buffer, got), "contents");
  std::string target;
  ASSERT_TRUE(dir->ReadLink("link", &target));
  EXPECT_EQ(target, "data");
  EXPECT_FALSE(dir->ReadLink("data", &target));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);

  platform::SetLastError(0);
  EXPECT_EQ(FileSystem::Default()->OpenDirectory(tree.Path("dir/")), nullptr);
  EXPECT_NE(platform::LastError(), 0u);
  EXPECT_EQ(FileSystem::Default()->OpenDirectory(tree.Path("file/")), nullptr);
}

TEST(DirectoryHandle, ReachesDirectoriesBelowItWithoutFollowingALink) {
  vemo_test::TempTree tree;
  vemo_test::TempTree outside;
  tree.Dir("a/b");
  tree.File("a/b/f", "in the tree");
  tree.File("a/file", "x");
  outside.Dir("b");
  outside.File("b/f", "outside");
  tree.Link("a/out", outside.root());
  tree.Link("a/up", "..");
  std::unique_ptr<DirectoryHandle> base = FileSystem::Default()->OpenDirectory(tree.root());
  ASSERT_NE(base, nullptr);

  auto sub = base->OpenSubdirectory("a/b/");
  ASSERT_NE(sub, nullptr);
  EXPECT_NE(sub->OpenForRead("f", AccessPattern::kNormal), nullptr);
  auto listing = base->OpenListing("a/b");
  ASSERT_NE(listing, nullptr);
  platform::DirectoryItem item;
  ASSERT_TRUE(listing->Next(&item));
  EXPECT_EQ(item.name, "f");
  EXPECT_NE(base->OpenListing(""), nullptr);

  // A link anywhere on the way, as the last component or in the middle, is an error.
  const struct {
    const char* relative;
    DWORD error;
  } refused[] = {
      {"a/out/", ERROR_CANT_RESOLVE_FILENAME},  {"a/out/b/", ERROR_CANT_RESOLVE_FILENAME},
      {"a/up/a/", ERROR_CANT_RESOLVE_FILENAME}, {"a/file/", ERROR_PATH_NOT_FOUND},
      {"a/none/", ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : refused) {
    platform::SetLastError(0);
    EXPECT_EQ(base->OpenSubdirectory(c.relative), nullptr) << c.relative;
    EXPECT_EQ(platform::LastError(), c.error) << c.relative;
    EXPECT_EQ(base->OpenListing(c.relative), nullptr) << c.relative;
  }
  // A listing says "path not found" for a directory that is not there, as OpenListing does.
  EXPECT_EQ(base->OpenListing("a/none/"), nullptr);
  EXPECT_EQ(platform::LastError(), ERROR_PATH_NOT_FOUND);
}

TEST(DirectoryHandle, WrapperRoutesEveryFileThroughItsOwnCalls) {
  // A test's wrapper that fails or counts OpenForRead must see the files opened by name too.
  vemo_test::FaultFileSystem wrapper;
  std::vector<std::string> opened;
  wrapper.SetHook([&](vemo_test::FsCall call, const std::string& path, int) {
    if (call == vemo_test::FsCall::kOpenForRead || call == vemo_test::FsCall::kReadLink) {
      opened.push_back(path);
    }
    return DWORD{0};
  });
  vemo_test::TempTree tree;
  tree.File("data", "x");
  tree.Link("link", "data");
  std::unique_ptr<DirectoryHandle> dir = wrapper.OpenDirectory(tree.root());
  ASSERT_NE(dir, nullptr);
  EXPECT_NE(dir->OpenForRead("data", AccessPattern::kNormal), nullptr);
  std::string target;
  EXPECT_TRUE(dir->ReadLink("link", &target));
  EXPECT_EQ(opened, (std::vector<std::string>{tree.Path("data"), tree.Path("link")}));
}

TEST(ReadLink, GivesTheStoredTargetText) {
  vemo_test::TempTree tree;
  tree.File("file", "x");
  const std::string long_target(1000, 'a');
  tree.Link("dangling", "../no such\xff");
  tree.Link("long", long_target);
  std::string target;
  ASSERT_TRUE(FileSystem::Default()->ReadLink(tree.Path("dangling"), &target));
  EXPECT_EQ(target, "../no such\xff");
  ASSERT_TRUE(FileSystem::Default()->ReadLink(tree.Path("long"), &target));
  EXPECT_EQ(target, long_target);
  EXPECT_FALSE(FileSystem::Default()->ReadLink(tree.Path("file"), &target));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
}

TEST(GetDriveType, FollowsTheFileSystemKind) {
  FileSystem* fs = FileSystem::Default();
  EXPECT_EQ(fs->GetDriveType("/no/such/path/at/all"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(fs->GetDriveType("/proc"), DRIVE_FIXED);
  struct stat st;
  if (stat("/dev/shm", &st) == 0) {
    EXPECT_EQ(fs->GetDriveType("/dev/shm"), DRIVE_RAMDISK);
  }
}

TEST(FoldsLetterCase, OnlyForVolumesThatFoldCase) {
  vemo_test::TempTree tree;  // ext4, tmpfs or overlay: all keep letter case
  EXPECT_FALSE(FileSystem::Default()->FoldsLetterCase(tree.root()));
  EXPECT_FALSE(FileSystem::Default()->FoldsLetterCase("/no/such/path"));
}

}  // namespace
