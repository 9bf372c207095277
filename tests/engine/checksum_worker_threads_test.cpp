#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/checksum_job_batch.h"
#include "engine/checksum_worker.h"
#include "engine/expected_crcs.h"
#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "records/scan_entry.h"
#include "support/fault_file_system.h"
#include "support/temp_tree.h"
#include "support/wait_until.h"

namespace {

using namespace std::chrono_literals;

using engine_test::Crcs;
using engine_test::CrcsOf;

// Freeze and stop must be honoured within 250 ms; generous limits keep a loaded machine from
// failing the test, while a worker that ignores the request still does.
constexpr auto kPromptly = 3s;
constexpr std::size_t kChunk = CChecksumWorker::kChunkSize;

class ChecksumWorkerThreads : public ::testing::Test {
 protected:
  void TearDown() override { FreezeScans.store(0); }

  // The read numbered `number` sets FreezeScans (on the worker thread).
  void FreezeAtRead(int number) {
    file_system_.SetHook([number](vemo_test::FsCall call, const std::string&, int n) {
      if (call == vemo_test::FsCall::kRead && n == number) FreezeScans.store(1);
      return DWORD{0};
    });
  }
  int Reads() const { return file_system_.Count(vemo_test::FsCall::kRead); }

  void AddFile(const std::string& name, std::size_t size) {
    AddContents(name, std::string(size, 'c'));
  }
  void AddContents(const std::string& name, const std::string& contents) {
    tree_.File(name, contents);
    FileState state;
    state.name = platform::FileNameToWide(name);
    state.size = contents.size();
    state.attributes = 0;
    records_.push_back(
        std::make_unique<CVemoScanEntry>(std::move(state), platform::FileNameToWide(tree_.root()),
                                         SharedText(), DRIVE_FIXED, KeyCase::kExact));
  }
  // One job per file added, in that order.
  ChecksumJobBatch Jobs() const {
    ChecksumJobBatch batch;
    for (const auto& record : records_) {
      batch.Add(record->m_strBaseDir, record->m_strRelDir, record->m_state.name, record->m_pszKey,
                record->m_state.size, record->m_state.time.Value());
    }
    return batch;
  }

  vemo_test::TempTree tree_;
  std::vector<std::unique_ptr<CVemoScanEntry>> records_;
  vemo_test::FaultFileSystem file_system_;
};

// Every reader pauses before its next chunk: the reads stop within one chunk per reader, and
// resume when the freeze is lifted.
TEST_F(ChecksumWorkerThreads, FreezePausesBeforeTheNextChunkAndLiftingItResumes) {
  constexpr int kChunks = 12;
  AddFile("big", kChunks * kChunk);
  FreezeAtRead(2);
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(Jobs()));
  ASSERT_TRUE(vemo_test::WaitUntil([&] { return Reads() >= 2; }));
  // Reads already begun when the freeze was set end; none begins after them.
  int frozen_at = 0;
  ASSERT_TRUE(vemo_test::WaitUntil([&] {
    frozen_at = Reads();
    return vemo_test::HoldsFor([&] { return Reads() == frozen_at; }, 300ms);
  }));
  EXPECT_LE(frozen_at, 1 + static_cast<int>(CChecksumWorker::kMaxReaders));
  EXPECT_TRUE(vemo_test::HoldsFor([&] { return Reads() == frozen_at; }, 300ms));
  EXPECT_TRUE(worker.IsRunning());

  FreezeScans.store(0);
  ASSERT_TRUE(vemo_test::WaitUntilEnded(worker));
  auto job = worker.PopResult();
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->error, 0u);
  EXPECT_EQ(job->crc1, CrcsOf(std::string(kChunks * kChunk, 'c')).crc1);
  EXPECT_EQ(Reads(), kChunks);
}

TEST_F(ChecksumWorkerThreads, StopDuringAFileDropsItAndEveryLaterJob) {
  AddFile("small", 10);
  AddFile("big", 4 * kChunk);
  AddFile("later", 10);
  // The first read of "big" freezes the readers, once "small" has been read (readers work at
  // once, so without that wait "small" might be frozen before its read too).
  std::atomic<bool> small_read{false};
  file_system_.SetHook([&](vemo_test::FsCall call, const std::string& path, int) {
    if (call != vemo_test::FsCall::kRead) return DWORD{0};
    if (path.ends_with("/small")) small_read.store(true);
    if (path.ends_with("/big")) {
      EXPECT_TRUE(vemo_test::WaitUntil([&] { return small_read.load(); }));
      FreezeScans.store(1);
    }
    return DWORD{0};
  });
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(Jobs()));
  ASSERT_TRUE(vemo_test::WaitUntil([&] { return FreezeScans.load() != 0; }));
  // "small" was read before the freeze and is published; its reader must have finished it.
  std::unique_ptr<ChecksumJob> first;
  ASSERT_TRUE(vemo_test::WaitUntil([&] { return (first = worker.PopResult()) != nullptr; }));
  EXPECT_EQ(first->Path(), platform::FileNameToWide(tree_.Path("small")));
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(worker.Stop(INFINITE));
  EXPECT_LT(std::chrono::steady_clock::now() - before, kPromptly);
  EXPECT_EQ(worker.PopResult(), nullptr);  // neither "big" nor "later", read or not
}

// The chunks of a large file are read by several readers at once and joined in file order, beside
// small files read whole; a failed chunk fails its file alone.
TEST_F(ChecksumWorkerThreads, LargeFilesAreSharedByTheReadersAndJoinedInOrder) {
  std::string big(5 * kChunk + 123, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + (i >> 12));
  AddFile("a", 100);
  AddContents("big", big);
  AddFile("b", 200);
  AddContents("broken", std::string(3 * kChunk, 'x'));
  AddFile("c", 300);
  AddContents("big2", big);
  file_system_.Fail({.call = vemo_test::FsCall::kRead,
                     .error = ERROR_READ_FAULT,
                     .path_suffix = "/broken",
                     .after = 1,
                     .times = 1});
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(Jobs()));
  ASSERT_TRUE(vemo_test::WaitUntilEnded(worker));
  std::vector<std::unique_ptr<ChecksumJob>> results;
  while (auto job = worker.PopResult()) results.push_back(std::move(job));
  ASSERT_EQ(results.size(), 6u);
  const char* const names[] = {"a", "big", "b", "broken", "c", "big2"};
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i]->Path(), platform::FileNameToWide(tree_.Path(names[i])));
  }
  const Crcs expected = CrcsOf(big);
  for (const std::size_t i : {1u, 5u}) {
    EXPECT_EQ(results[i]->error, 0u);
    EXPECT_EQ(results[i]->crc1, expected.crc1);
    EXPECT_EQ(results[i]->crc2, expected.crc2);
  }
  EXPECT_EQ(results[3]->error, ERROR_READ_FAULT);
  EXPECT_EQ(results[3]->crc1, 0xFFFFFFFFu);
  EXPECT_EQ(results[4]->crc1, CrcsOf(std::string(300, 'c')).crc1);
  ULONGLONG done = 0;
  ULONGLONG queued = 0;
  double rate = 0;
  worker.GetProgress(&done, &queued, &rate);
  EXPECT_EQ(done, queued);
  EXPECT_EQ(queued, 600 + 2 * big.size() + 3 * kChunk);
}

// A file of many chunks is shared in pieces of several chunks, each read chunk by chunk: the
// pieces join to the whole file's checksums, and a chunk that fails inside a piece fails its file.
TEST_F(ChecksumWorkerThreads, ManyChunksAreSharedInPiecesOfSeveralChunks) {
  std::string big(40 * kChunk + 77, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 13));
  AddContents("big", big);
  AddContents("broken", big);
  file_system_.Fail({.call = vemo_test::FsCall::kRead,
                     .error = ERROR_READ_FAULT,
                     .path_suffix = "/broken",
                     .after = 9,
                     .times = 1});
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(Jobs()));
  ASSERT_TRUE(vemo_test::WaitUntilEnded(worker));
  const auto good = worker.PopResult();
  const auto broken = worker.PopResult();
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(good->error, 0u);
  EXPECT_EQ(good->crc1, CrcsOf(big).crc1);
  EXPECT_EQ(good->crc2, CrcsOf(big).crc2);
  EXPECT_EQ(broken->error, ERROR_READ_FAULT);
  ULONGLONG done = 0;
  ULONGLONG queued = 0;
  double rate = 0;
  worker.GetProgress(&done, &queued, &rate);
  EXPECT_EQ(done, queued);
}

// A reader that runs out of memory in a shared file ends the batch, on whichever thread it was:
// no reader waits for it for ever, and no result of that file or a later one is published.
TEST_F(ChecksumWorkerThreads, RunningOutOfMemoryInASharedFileEndsTheBatch) {
  for (const int failing_read : {1, 3}) {
    AddFile("before" + std::to_string(failing_read), 10);
    AddFile("big" + std::to_string(failing_read), 8 * kChunk);
    AddFile("after" + std::to_string(failing_read), 10);
    vemo_test::FaultFileSystem file_system;
    file_system.Fail({.call = vemo_test::FsCall::kRead,
                      .path_suffix = "/big" + std::to_string(failing_read),
                      .after = failing_read - 1,
                      .times = 1,
                      .effect = vemo_test::FaultEffect::kOutOfMemory});
    CChecksumWorker worker(&file_system);
    ASSERT_TRUE(worker.QueueJobs(Jobs()));
    ASSERT_TRUE(vemo_test::WaitUntilEnded(worker)) << failing_read;
    EXPECT_EQ(worker.ExitCode(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << failing_read;
    std::vector<std::wstring> published;
    while (auto job = worker.PopResult()) published.push_back(job->Path());
    EXPECT_LE(published.size(), 1u) << failing_read;  // "before" at most
    records_.clear();
  }
}

// Readers take small files several at a time; a stop in the middle of such a run drops the rest of
// it with every later job, and what was published is the queue's beginning, each file's own.
TEST_F(ChecksumWorkerThreads, StopAmongSmallFilesPublishesOnlyTheQueuesBeginning) {
  constexpr int kFiles = 400;
  for (int i = 0; i < kFiles; ++i) AddContents("f" + std::to_string(i), std::to_string(i));
  FreezeAtRead(kFiles / 4);
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(Jobs()));
  ASSERT_TRUE(vemo_test::WaitUntil([&] { return FreezeScans.load() != 0; }));
  EXPECT_TRUE(worker.Stop(INFINITE));
  std::vector<std::unique_ptr<ChecksumJob>> results;
  while (auto job = worker.PopResult()) results.push_back(std::move(job));
  EXPECT_LT(results.size(), static_cast<std::size_t>(kFiles));
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i]->Path(), platform::FileNameToWide(tree_.Path("f" + std::to_string(i))));
    EXPECT_EQ(results[i]->error, 0u);
    EXPECT_EQ(results[i]->crc1, CrcsOf(std::to_string(i)).crc1);
  }
}

TEST_F(ChecksumWorkerThreads, ResultsAndFiguresCanBePolledWhileTheWorkerRuns) {
  for (int i = 0; i < 200; ++i) AddFile("f" + std::to_string(i), 1000 + i);
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(Jobs()));
  std::vector<std::unique_ptr<ChecksumJob>> results;
  ULONGLONG last_done = 0;
  ASSERT_TRUE(vemo_test::WaitUntil([&] {
    const bool running = worker.IsRunning();
    while (auto job = worker.PopResult()) results.push_back(std::move(job));
    ULONGLONG done = 0;
    ULONGLONG queued = 0;
    double rate = 0;
    worker.GetProgress(&done, &queued, &rate);
    EXPECT_LE(done, queued);
    EXPECT_GE(done, last_done);
    last_done = done;
    std::wstring text;
    (void)worker.GetCurrentFile(&text);
    return !running;
  }));
  ASSERT_EQ(results.size(), 200u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(results[i]->Path(), platform::FileNameToWide(tree_.Path("f" + std::to_string(i))));
    EXPECT_EQ(results[i]->error, 0u);
  }
}

}  // namespace
