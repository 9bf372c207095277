#include "engine/checksum_worker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/checksum_job_batch.h"
#include "engine/expected_crcs.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/file_time.h"
#include "platform/last_error.h"
#include "records/scan_entry.h"
#include "support/fault_file_system.h"
#include "support/temp_tree.h"
#include "support/wait_until.h"

namespace {

using vemo_test::FaultFileSystem;
using vemo_test::FsCall;
using vemo_test::TempTree;

using engine_test::Crcs;
using engine_test::CrcsOf;

// The files of a tree as the scan found them, queued in the order added.
class Entries {
 public:
  explicit Entries(const TempTree& tree) : Entries(tree.root()) {}
  explicit Entries(const std::string& native_base) : base_(platform::FileNameToWide(native_base)) {}

  // A found file for a native relative path.
  const CVemoScanEntry& Add(const std::string& name, ULONGLONG size) {
    return AddWide(platform::FileNameToWide(name), size);
  }
  const CVemoScanEntry& AddWide(const std::wstring& name, ULONGLONG size,
                                const std::wstring& rel = {}, CNTimeStamp time = kNullTimeStamp) {
    FileState state;
    state.name = name;
    state.size = size;
    state.time = time;
    state.attributes = 0;
    records_.push_back(std::make_unique<CVemoScanEntry>(std::move(state), base_, SharedText(rel),
                                                        DRIVE_FIXED, KeyCase::kExact));
    return *records_.back();
  }
  // A found file `name` in the directory rel ("a/b/") below the base.
  const CVemoScanEntry& AddIn(const std::string& rel, const std::string& name, ULONGLONG size) {
    return AddWide(platform::FileNameToWide(name), size, platform::FileNameToWide(rel));
  }
  // One job per file, as the document queues them.
  ChecksumJobBatch Batch() const {
    ChecksumJobBatch batch;
    for (const auto& record : records_) {
      batch.Add(record->m_strBaseDir, record->m_strRelDir, record->m_state.name, record->m_pszKey,
                record->m_state.size, record->m_state.time.Value());
    }
    return batch;
  }

 private:
  SharedText base_;
  std::vector<std::unique_ptr<CVemoScanEntry>> records_;
};

std::vector<std::unique_ptr<ChecksumJob>> RunJobs(CChecksumWorker& worker, const Entries& entries) {
  EXPECT_TRUE(worker.QueueJobs(entries.Batch()));
  EXPECT_TRUE(vemo_test::WaitUntilEnded(worker));
  std::vector<std::unique_ptr<ChecksumJob>> results;
  while (auto job = worker.PopResult()) results.push_back(std::move(job));
  return results;
}

void ExpectProgressComplete(CChecksumWorker& worker, ULONGLONG expected_queued) {
  ULONGLONG done = 0;
  ULONGLONG queued = 0;
  double rate = 0;
  worker.GetProgress(&done, &queued, &rate);
  EXPECT_EQ(queued, expected_queued);
  EXPECT_EQ(done, queued);
}

TEST(ChecksumWorker, ChecksumsEveryQueuedFileInOrderAndRecordsFailures) {
  TempTree tree;
  tree.File("first", "abc");
  tree.File("third", std::string(100000, 'x'));
  tree.File("empty", "");
  Entries entries(tree);
  const CVemoScanEntry& first = entries.Add("first", 3);
  entries.Add("vanished", 7);  // deleted between the scan and the checksum
  entries.Add("third", 100000);
  entries.Add("empty", 0);

  CChecksumWorker worker;
  const auto results = RunJobs(worker, entries);
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[0]->Path(), platform::FileNameToWide(tree.Path("first")));
  EXPECT_STREQ(results[0]->key, first.m_pszKey);
  EXPECT_EQ(results[0]->error, 0u);
  EXPECT_EQ(results[0]->crc1, 0x352441C2u);  // "abc", standard CRC-32
  EXPECT_EQ(results[0]->crc2, 0x5AEB2AAEu);  // "abc", second polynomial

  EXPECT_EQ(results[1]->error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(results[1]->crc1, 0xFFFFFFFFu);
  EXPECT_EQ(results[1]->crc2, 0xFFFFFFFFu);

  const Crcs third = CrcsOf(std::string(100000, 'x'));
  EXPECT_EQ(results[2]->error, 0u);
  EXPECT_EQ(results[2]->crc1, third.crc1);
  EXPECT_EQ(results[2]->crc2, third.crc2);

  EXPECT_EQ(results[3]->error, 0u);
  EXPECT_EQ(results[3]->crc1, 0u);
  EXPECT_EQ(results[3]->crc2, 0u);

  ExpectProgressComplete(worker, 3 + 7 + 100000);
  std::wstring text;
  EXPECT_EQ(worker.GetCurrentFile(&text), 1.0);
  EXPECT_EQ(text, L"Reading " + platform::FileNameToWide(tree.Path("empty")));
}

// Runs on_read(number) before each read, numbered from 1.
template <class OnRead>
void BeforeEachRead(FaultFileSystem& file_system, OnRead on_read) {
  file_system.SetHook([on_read](FsCall call, const std::string&, int number) {
    if (call == FsCall::kRead) on_read(number);
    return DWORD{0};
  });
}

TEST(ChecksumWorker, ReadsInChunksOfTheBufferSize) {
  constexpr std::size_t kChunk = CChecksumWorker::kChunkSize;
  const struct {
    std::size_t size;
    int reads;
  } cases[] = {{kChunk, 1}, {kChunk + 1, 2}, {3 * kChunk - 1, 3}};
  for (const auto& c : cases) {
    TempTree tree;
    std::string data(c.size, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + (i >> 9));
    tree.File("f", data);
    Entries entries(tree);
    entries.Add("f", c.size);
    FaultFileSystem file_system;
    CChecksumWorker worker(&file_system);
    const auto results = RunJobs(worker, entries);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(file_system.Count(FsCall::kRead), c.reads) << c.size;
    const Crcs expected = CrcsOf(data);
    EXPECT_EQ(results[0]->crc1, expected.crc1) << c.size;
    EXPECT_EQ(results[0]->crc2, expected.crc2) << c.size;
  }
}

TEST(ChecksumWorker, SizeChangedSinceTheScanCorrectsBytesQueued) {
  TempTree tree;
  tree.File("grew", std::string(25, 'g'));
  tree.File("shrank", std::string(4, 's'));
  Entries entries(tree);
  entries.Add("grew", 10);
  entries.Add("shrank", 40);
  CChecksumWorker worker;
  const auto results = RunJobs(worker, entries);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0]->size, 25u);
  EXPECT_EQ(results[1]->size, 4u);
  // Read whole, but their checksums would not belong to the size the entry lists.
  EXPECT_EQ(results[0]->error, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(results[1]->error, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(results[0]->crc1, kNoCrc);
  ExpectProgressComplete(worker, 29);
}

TEST(ChecksumWorker, FileChangingWhileReadIsReadUpToItsSizeAtOpening) {
  constexpr std::size_t kSize = 2 * CChecksumWorker::kChunkSize + 100;
  const std::string original(kSize, 'o');
  const struct {
    const char* name;
    off_t new_size;  // what the file becomes after the first chunk was read
    DWORD error;
  } cases[] = {
      {"shrinks", static_cast<off_t>(CChecksumWorker::kChunkSize + 10), ERROR_READ_FAULT},
      // Read up to its size at opening, then found changed: no checksums of a mixture.
      {"grows", static_cast<off_t>(kSize + 5000), ERROR_SHARING_VIOLATION},
      {"stays", static_cast<off_t>(kSize), 0},
  };
  for (const auto& c : cases) {
    TempTree tree;
    tree.File("f", original);
    Entries entries(tree);
    entries.Add("f", kSize);
    const std::string path = tree.Path("f");
    FaultFileSystem file_system;
    BeforeEachRead(file_system, [&](int number) {
      if (number == 2) {
        EXPECT_EQ(truncate(path.c_str(), c.new_size), 0);
      }
    });
    CChecksumWorker worker(&file_system);
    const auto results = RunJobs(worker, entries);
    ASSERT_EQ(results.size(), 1u) << c.name;
    EXPECT_EQ(results[0]->error, c.error) << c.name;
    EXPECT_EQ(results[0]->size, kSize) << c.name;
    if (c.error == 0) {
      const Crcs expected = CrcsOf(original);
      EXPECT_EQ(results[0]->crc1, expected.crc1) << c.name;
      EXPECT_EQ(results[0]->crc2, expected.crc2) << c.name;
    } else {
      EXPECT_EQ(results[0]->crc1, 0xFFFFFFFFu) << c.name;
    }
    ExpectProgressComplete(worker, kSize);
  }
}

TEST(ChecksumWorker, FileRewrittenInPlaceWhileReadIsAnError) {
  // Same size, new contents and time: only the time tells. The entry must not list checksums of
  // the new contents beside the scan's time (the next check would call it damaged). The scan keeps
  // whole seconds: a file time with a fraction is not a change.
  constexpr time_t kTime = 1700000000;
  constexpr long kFraction = 123456789;
  const CNTimeStamp scanned(platform::FileTimeFromTimespec({kTime, kFraction}));
  for (const bool rewrite : {false, true}) {
    TempTree tree;
    tree.File("f", std::string(3 * CChecksumWorker::kChunkSize, 'o'));
    tree.SetTime("f", kTime, kFraction);
    Entries entries(tree);
    entries.AddWide(L"f", 3 * CChecksumWorker::kChunkSize, {}, scanned);
    const std::string path = tree.Path("f");
    FaultFileSystem file_system;
    BeforeEachRead(file_system, [&](int number) {
      if (rewrite && number == 2) {
        // In place, never shorter: another reader may be reading a chunk of it right now.
        std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
        out << std::string(3 * CChecksumWorker::kChunkSize, 'n');
        out.close();
        tree.SetTime("f", kTime + 1, kFraction);
      }
    });
    CChecksumWorker worker(&file_system);
    const auto results = RunJobs(worker, entries);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]->error, rewrite ? ERROR_SHARING_VIOLATION : 0u);
    EXPECT_EQ(results[0]->crc1 == kNoCrc, rewrite);
  }
}

TEST(ChecksumWorker, EachKindOfFailureIsRecordedInItsJobAndTheBatchGoesOn) {
  TempTree tree;
  const struct {
    const char* name;
    DWORD error;
  } cases[] = {
      {"denied", ERROR_ACCESS_DENIED},  {"unsizable", ERROR_INVALID_HANDLE},
      {"bad_sector", ERROR_READ_FAULT}, {"overlong", ERROR_READ_FAULT},
      {"unclosable", ERROR_IO_DEVICE},  {"fine", 0},
  };
  Entries entries(tree);
  for (const auto& c : cases) {
    tree.File(c.name, "contents");
    entries.Add(c.name, 8);
  }
  FaultFileSystem file_system;
  file_system.Fail(
      {.call = FsCall::kOpenForRead, .error = ERROR_ACCESS_DENIED, .path_suffix = "/denied"});
  file_system.Fail(
      {.call = FsCall::kGetSize, .error = ERROR_INVALID_HANDLE, .path_suffix = "/unsizable"});
  file_system.Fail(
      {.call = FsCall::kRead, .error = ERROR_READ_FAULT, .path_suffix = "/bad_sector"});
  // A read that claims more than was asked for.
  file_system.Fail({.call = FsCall::kRead,
                    .path_suffix = "/overlong",
                    .effect = vemo_test::FaultEffect::kOverlongRead});
  file_system.Fail(
      {.call = FsCall::kCloseFile, .error = ERROR_IO_DEVICE, .path_suffix = "/unclosable"});
  CChecksumWorker worker(&file_system);
  const auto results = RunJobs(worker, entries);
  ASSERT_EQ(results.size(), std::size(cases));
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i]->error, cases[i].error) << cases[i].name;
    EXPECT_EQ(results[i]->crc1 == 0xFFFFFFFF, cases[i].error != 0) << cases[i].name;
  }
  ExpectProgressComplete(worker, 8 * std::size(cases));
}

TEST(ChecksumWorker, LinksAreChecksummedOverTheirTargetTextAndSpecialFilesRefused) {
  TempTree tree;
  tree.File("target", "the target's contents");
  tree.Dir("dir");
  tree.Link("to_file", "target");
  tree.Link("to_dir", "dir");
  tree.Link("dangling", "../nowhere");
  ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);  // took a file's place since the scan
  tree.File("caf\xe9", "latin-1 name");
  Entries entries(tree);
  entries.Add("to_file", 6);
  entries.Add("to_dir", 3);
  entries.Add("dangling", 10);
  entries.Add("fifo", 5);
  entries.Add("caf\xe9", 12);
  CChecksumWorker worker;
  const auto results = RunJobs(worker, entries);
  ASSERT_EQ(results.size(), 5u);
  const char* const texts[] = {"target", "dir", "../nowhere"};
  for (int i = 0; i < 3; ++i) {
    const Crcs expected = CrcsOf(texts[i]);
    EXPECT_EQ(results[i]->error, 0u) << texts[i];
    EXPECT_EQ(results[i]->crc1, expected.crc1) << texts[i];
    EXPECT_EQ(results[i]->crc2, expected.crc2) << texts[i];
  }
  EXPECT_EQ(results[3]->error, ERROR_ACCESS_DENIED);
  EXPECT_EQ(results[4]->error, 0u);
  EXPECT_EQ(results[4]->crc1, CrcsOf("latin-1 name").crc1);
}

TEST(ChecksumWorker, FilesOfSeveralDirectoriesAreEachReadFromTheirOwn) {
  // Same names in two directories, visited back and forth, and a directory gone since the scan:
  // a directory held open for the previous file must never serve the next one's.
  TempTree tree;
  tree.Dir("a");
  tree.Dir("b");
  tree.File("a/x", "in a");
  tree.File("b/x", "in b, longer");
  tree.Link("b/link", "x");
  Entries entries(tree);
  entries.Add("a/x", 4);
  entries.Add("b/x", 12);
  entries.Add("gone/x", 4);
  entries.Add("a/x", 4);
  entries.Add("b/link", 1);
  entries.AddWide(L"b/lone\xD800", 4);  // a surrogate no name on disk can carry
  platform::SetLastError(0);
  ASSERT_EQ(platform::FileSystem::Default()->OpenForRead(tree.Path("gone/x"),
                                                         platform::AccessPattern::kNormal),
            nullptr);
  const DWORD gone_error = platform::LastError();

  CChecksumWorker worker;
  const auto results = RunJobs(worker, entries);
  ASSERT_EQ(results.size(), 6u);
  EXPECT_EQ(results[5]->error, ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(results[5]->Path(), platform::FileNameToWide(tree.root()) + L"b/lone\xD800");
  const char* const contents[] = {"in a", "in b, longer", nullptr, "in a", "x"};
  for (std::size_t i = 0; i < 5; ++i) {
    if (contents[i] == nullptr) {
      EXPECT_EQ(results[i]->error, gone_error);
      continue;
    }
    EXPECT_EQ(results[i]->error, 0u) << i;
    EXPECT_EQ(results[i]->crc1, CrcsOf(contents[i]).crc1) << i;
    EXPECT_EQ(results[i]->crc2, CrcsOf(contents[i]).crc2) << i;
  }
}

TEST(ChecksumWorker, NeverReadsThroughADirectorySwappedForALink) {
  // Between the walk and the read, a directory of the tree becomes a link to one outside it (to
  // /etc, say): its files are errors, never the checksums of what the link reaches.
  TempTree tree;
  TempTree outside;
  tree.Dir("sub/deeper");
  tree.File("sub/f.txt", "mine");
  tree.File("sub/deeper/g.txt", "mine too");
  tree.File("top.txt", "top");
  outside.Dir("deeper");
  outside.File("f.txt", "secret");
  outside.File("deeper/g.txt", "secret too");
  Entries entries(tree);
  entries.AddIn("sub/", "f.txt", 4);
  entries.AddIn("sub/deeper/", "g.txt", 8);
  entries.AddIn("", "top.txt", 3);
  std::filesystem::rename(tree.Path("sub"), tree.Path("sub.old"));
  tree.Link("sub", outside.root());

  CChecksumWorker worker;
  const auto results = RunJobs(worker, entries);
  ASSERT_EQ(results.size(), 3u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(results[i]->error, ERROR_CANT_RESOLVE_FILENAME) << i;
    EXPECT_EQ(results[i]->crc1, kNoCrc) << i;
    EXPECT_EQ(results[i]->crc2, kNoCrc) << i;
  }
  EXPECT_EQ(results[2]->error, 0u);
  EXPECT_EQ(results[2]->crc1, CrcsOf("top").crc1);

  // The base directory itself may be reached through a link: the user named it so.
  TempTree holder;
  holder.Link("base", tree.root());
  std::filesystem::remove(tree.Path("sub"));
  std::filesystem::rename(tree.Path("sub.old"), tree.Path("sub"));
  Entries linked(holder.Path("base/"));
  linked.AddIn("sub/deeper/", "g.txt", 8);
  const auto through = RunJobs(worker, linked);
  ASSERT_EQ(through.size(), 1u);
  EXPECT_EQ(through[0]->error, 0u);
  EXPECT_EQ(through[0]->crc1, CrcsOf("mine too").crc1);
}

TEST(ChecksumWorker, ClearDropsQueuedAndFinishedJobs) {
  TempTree tree;
  tree.File("a", "a");
  Entries entries(tree);
  entries.Add("a", 1);
  CChecksumWorker worker;
  ASSERT_TRUE(worker.QueueJobs(entries.Batch()));
  ASSERT_TRUE(vemo_test::WaitUntilEnded(worker));
  worker.Clear(false);
  EXPECT_EQ(worker.PopResult(), nullptr);
  ExpectProgressComplete(worker, 0);
  // A new batch after the old one starts afresh.
  const auto results = RunJobs(worker, entries);
  EXPECT_EQ(results.size(), 1u);
}

}  // namespace
