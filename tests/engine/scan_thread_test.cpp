#include "engine/scan_thread.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "records/entry_key.h"
#include "support/fault_file_system.h"
#include "support/temp_tree.h"
#include "support/wait_until.h"

namespace {

using vemo_test::FaultFileSystem;
using vemo_test::FsCall;
using vemo_test::TempTree;

std::wstring Wide(const std::string& native) { return platform::FileNameToWide(native); }

std::string Native(const std::wstring& wide) {
  std::string native;
  EXPECT_TRUE(platform::FileNameFromWide(wide, native));
  return native;
}

// What one scan published: whether it published a list, and the records made of it.
struct Published {
  bool any = false;
  std::vector<CVemoScanEntry> records;
};

// Runs one scan to its end and returns the published records (empty when none was published).
std::vector<const CVemoScanEntry*> Scan(CVemoScanThread& scanner, const std::wstring& base,
                                        Published& holder) {
  EXPECT_TRUE(scanner.Start(base, KeyCase::kExact));
  EXPECT_TRUE(vemo_test::WaitUntilEnded(scanner));
  const std::unique_ptr<CVemoScanList> list = scanner.TakeResults();
  holder.any = list != nullptr;
  holder.records.clear();
  while (list != nullptr && !list->IsEmpty()) holder.records.push_back(list->RemoveHead());
  std::vector<const CVemoScanEntry*> records;
  for (const CVemoScanEntry& record : holder.records) records.push_back(&record);
  return records;
}

std::wstring RelPathOf(const CVemoScanEntry* record) {
  return record->m_strRelDir.str() + record->m_state.name;
}

std::map<std::wstring, const CVemoScanEntry*> ByPath(
    const std::vector<const CVemoScanEntry*>& records) {
  std::map<std::wstring, const CVemoScanEntry*> map;
  for (const CVemoScanEntry* record : records) map[RelPathOf(record)] = record;
  return map;
}

TEST(ScanThread, ListsFilesBeforeSubdirectoriesAndEachDirectoryAfterItsContents) {
  TempTree tree;
  tree.File("f1", "1");
  tree.File("f4", "4444");
  tree.Dir("S/T");
  tree.File("S/f2", "22");
  tree.File("S/T/f3", "333");
  CVemoScanThread scanner;
  Published holder;
  const auto records = Scan(scanner, Wide(tree.root()), holder);
  ASSERT_EQ(records.size(), 6u);

  std::vector<std::wstring> order;
  for (const CVemoScanEntry* record : records) order.push_back(RelPathOf(record));
  // The two files of the base come in listing order, whichever that is.
  EXPECT_TRUE((order[0] == L"f1" && order[1] == L"f4") || (order[0] == L"f4" && order[1] == L"f1"));
  EXPECT_EQ(std::vector<std::wstring>(order.begin() + 2, order.end()),
            (std::vector<std::wstring>{L"S/f2", L"S/T/f3", L"S/T", L"S"}));

  const auto by_path = ByPath(records);
  EXPECT_EQ(by_path.at(L"S")->m_state.nChildCount, 1u);
  EXPECT_EQ(by_path.at(L"S/T")->m_state.nChildCount, 1u);
  EXPECT_EQ(by_path.at(L"S/T")->m_strRelDir.str(), L"S/");
  EXPECT_EQ(by_path.at(L"f4")->m_state.size, 4u);
  const UINT drive_type = platform::FileSystem::Default()->GetDriveType(tree.root());
  for (const CVemoScanEntry* record : records) {
    EXPECT_EQ(record->m_strBaseDir.str(), Wide(tree.root()));
    EXPECT_EQ(record->m_nDriveType, drive_type);
    EXPECT_EQ(record->m_dwError, 0u);
    // Built from the directory's prefix, byte for byte the key of the whole path.
    ASSERT_NE(record->m_pszKey, nullptr);
    const LookupKey expected =
        BuildEntryKey(record->m_strBaseDir.view(), record->m_strRelDir.view(),
                      record->m_state.name.str(), record->m_state.IsDirectory(), KeyCase::kExact);
    EXPECT_STREQ(record->m_pszKey, expected);
  }
}

TEST(ScanThread, EmptyBaseDirectoryPublishesAnEmptyList) {
  TempTree tree;
  CVemoScanThread scanner;
  Published holder;
  EXPECT_TRUE(Scan(scanner, Wide(tree.root()), holder).empty());
  EXPECT_TRUE(holder.any);
  EXPECT_EQ(scanner.TakeResults(), nullptr);  // taken once
}

TEST(ScanThread, BaseThatCannotBeWalkedGivesOneErrorRecord) {
  TempTree tree;
  tree.File("file", "x");
  const struct {
    std::wstring base;
    DWORD error;
    bool drive_known;
  } cases[] = {
      {Wide(tree.Path("missing/")), ERROR_PATH_NOT_FOUND, true},
      {Wide(tree.Path("missing/deeper/")), ERROR_PATH_NOT_FOUND, true},
      {Wide(tree.Path("file/")), ERROR_PATH_NOT_FOUND, true},
      {L"relative/dir/", ERROR_NOT_READY, false},
      {L"", ERROR_NOT_READY, false},
  };
  for (const auto& c : cases) {
    CVemoScanThread scanner;
    Published holder;
    const auto records = Scan(scanner, c.base, holder);
    ASSERT_EQ(records.size(), 1u);
    const CVemoScanEntry* error = records[0];
    EXPECT_EQ(error->m_dwError, c.error);
    EXPECT_EQ(error->m_strBaseDir.str(), c.base);
    EXPECT_TRUE(error->m_strRelDir.empty());
    EXPECT_EQ(error->m_pszKey, nullptr);
    EXPECT_EQ(error->m_nDriveType, c.drive_known
                                       ? platform::FileSystem::Default()->GetDriveType(tree.root())
                                       : DRIVE_UNKNOWN);
  }
}

TEST(ScanThread, LinksAreEntriesOfTheirOwnAndSpecialFilesAreLeftOut) {
  TempTree tree;
  tree.Dir("dir");
  tree.File("dir/inner", "x");
  tree.Link("to_dir", "dir");
  tree.Link("to_self", ".");  // would loop if followed
  tree.Link("dangling", "nowhere");
  tree.File(".hidden", "h");
  tree.Dir(".hidden_dir");
  ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string sock_path = tree.Path("sock");
  sock_path.copy(address.sun_path, sizeof(address.sun_path) - 1);
  (void)bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  close(sock);
  (void)mknod(tree.Path("null_dev").c_str(), S_IFCHR | 0666, makedev(1, 3));  // may be refused

  CVemoScanThread scanner;
  Published holder;
  const auto by_path = ByPath(Scan(scanner, Wide(tree.root()), holder));
  std::vector<std::wstring> paths;
  for (const auto& [path, record] : by_path) paths.push_back(path);
  EXPECT_EQ(paths, (std::vector<std::wstring>{L".hidden", L".hidden_dir", L"dangling", L"dir",
                                              L"dir/inner", L"to_dir", L"to_self"}));
  for (const wchar_t* link : {L"to_dir", L"to_self", L"dangling"}) {
    const CVemoScanEntry* record = by_path.at(link);
    EXPECT_EQ(record->m_state.attributes, FILE_ATTRIBUTE_REPARSE_POINT) << link;
    EXPECT_FALSE(record->m_state.IsDirectory()) << link;
  }
  EXPECT_EQ(by_path.at(L"to_dir")->m_state.size, 3u);  // the length of its target text
  EXPECT_EQ(by_path.at(L".hidden_dir")->m_state.attributes,
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
}

TEST(ScanThread, NamesThatAreNotUtf8AreKeptLosslessly) {
  TempTree tree;
  const std::string dir = "caf\xe9";         // Latin-1, not UTF-8
  const std::string file = "x\xff\xfe.txt";  // stray bytes
  tree.Dir(dir);
  tree.File(dir + "/" + file, "data");
  tree.File("caf\xc3\xa9", "utf8");  // the same name in UTF-8: a different file

  CVemoScanThread scanner;
  Published holder;
  const auto records = Scan(scanner, Wide(tree.root()), holder);
  ASSERT_EQ(records.size(), 3u);
  const auto by_path = ByPath(records);
  const CVemoScanEntry* inner = by_path.at(Wide(dir + "/" + file));
  EXPECT_EQ(Native(inner->m_strRelDir.str()), dir + "/");
  EXPECT_EQ(Native(inner->m_state.name), file);
  EXPECT_EQ(by_path.at(L"caf\u00e9")->m_state.size, 4u);
  EXPECT_STRNE(by_path.at(Wide(dir))->m_pszKey, by_path.at(L"caf\u00e9")->m_pszKey);
}

TEST(ScanThread, AnyDirectoryThatCannotBeListedFailsTheWholeWalk) {
  TempTree tree;
  tree.File("a", "1");
  tree.Dir("ok/locked");
  tree.File("ok/b", "2");
  tree.File("ok/locked/c", "3");
  const struct {
    FsCall call;
    DWORD error;
  } cases[] = {
      {FsCall::kOpenListing, ERROR_ACCESS_DENIED},  // permission denied
      {FsCall::kNextItem, ERROR_IO_DEVICE},
      {FsCall::kCloseListing, ERROR_INVALID_HANDLE},
  };
  for (const auto& c : cases) {
    FaultFileSystem file_system;
    file_system.Fail({.call = c.call, .error = c.error, .path_suffix = "/locked/"});
    CVemoScanThread scanner(&file_system);
    Published holder;
    const auto records = Scan(scanner, Wide(tree.root()), holder);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->m_dwError, c.error);
    EXPECT_EQ(records[0]->m_strBaseDir.str(), Wide(tree.root()));
    EXPECT_EQ(records[0]->m_strRelDir.str(), L"ok/locked/");  // where it failed
  }
}

TEST(ScanThread, HiddenSystemDirectoriesAreSkippedWithEverythingBelow) {
  TempTree tree;
  tree.Dir("sysdir/deep");
  tree.File("sysdir/deep/x", "x");
  tree.Dir("sysfile_dir_only_system");
  // Linux has no system attribute; a file system that reports one (as a Windows volume would)
  // is simulated by marking items on the way out of the listing.
  FaultFileSystem file_system;
  file_system.SetItemFilter([](platform::DirectoryItem& item) {
    if (item.name == "sysdir") item.attributes |= 0x6;  // hidden and system
    if (item.name == "sysfile_dir_only_system") item.attributes |= 0x4;
  });
  CVemoScanThread scanner(&file_system);
  Published holder;
  const auto records = Scan(scanner, Wide(tree.root()), holder);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]->m_state.name, L"sysfile_dir_only_system");
}

TEST(ScanThread, StopAndDiscardDropsAnUntakenResult) {
  TempTree tree;
  tree.File("a", "1");
  CVemoScanThread scanner;
  ASSERT_TRUE(scanner.Start(Wide(tree.root()), KeyCase::kExact));
  ASSERT_TRUE(vemo_test::WaitUntilEnded(scanner));
  EXPECT_EQ(scanner.GetScanDirectory(), Wide(tree.root()));
  scanner.StopAndDiscard();
  EXPECT_EQ(scanner.TakeResults(), nullptr);
  // The scanner can run again after a discard.
  ASSERT_TRUE(scanner.Start(Wide(tree.root()), KeyCase::kExact));
  ASSERT_TRUE(vemo_test::WaitUntilEnded(scanner));
  EXPECT_NE(scanner.TakeResults(), nullptr);
}

}  // namespace
