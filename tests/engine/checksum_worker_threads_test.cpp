#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "document/entries/entry.h"
#include "engine/checksum_worker.h"
#include "foundation/process_values.h"
#include "platform/file_name_text.h"
#include "records/scan_entry.h"
#include "support/fault_file_system.h"
#include "support/temp_tree.h"
#include "support/wait_until.h"

namespace {

using namespace std::chrono_literals;

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
    tree_.File(name, std::string(size, 'c'));
    FileState state;
    state.name = platform::FileNameToWide(name);
    state.size = size;
    state.attributes = 0;
    CVemoScanEntry scan(std::move(state), platform::FileNameToWide(tree_.root()), SharedText(),
                        DRIVE_FIXED, KeyCase::kExact);
    entries_.push_back(std::make_unique<CVemoEntry>(scan));
    entries_.back()->m_dwFlags = EF_FOUND | EF_CRC_PENDING;
    (void)list_.AddTail(entries_.back().get());
  }

  vemo_test::TempTree tree_;
  std::vector<std::unique_ptr<CVemoEntry>> entries_;
  CNObjectList<CVemoEntry> list_{false};
  vemo_test::FaultFileSystem file_system_;
};

TEST_F(ChecksumWorkerThreads, FreezePausesBeforeTheNextChunkAndLiftingItResumes) {
  AddFile("big", 4 * kChunk);
  FreezeAtRead(2);
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(list_));
  ASSERT_TRUE(vemo_test::WaitUntil([&] { return Reads() >= 2; }));
  EXPECT_TRUE(vemo_test::HoldsFor([&] { return Reads() == 2; }, 600ms));
  EXPECT_TRUE(worker.IsRunning());
  std::wstring text;
  EXPECT_DOUBLE_EQ(worker.GetCurrentFile(&text), 0.5);

  FreezeScans.store(0);
  ASSERT_TRUE(vemo_test::WaitUntilEnded(worker));
  auto job = worker.PopResult();
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->error, 0u);
  EXPECT_EQ(Reads(), 4);
}

TEST_F(ChecksumWorkerThreads, StopDuringAFileDropsItAndEveryLaterJob) {
  AddFile("small", 10);
  AddFile("big", 4 * kChunk);
  AddFile("later", 10);
  FreezeAtRead(2);  // the first read of "big"
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(list_));
  ASSERT_TRUE(vemo_test::WaitUntil([&] { return Reads() >= 2; }));
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(worker.Stop(INFINITE));
  EXPECT_LT(std::chrono::steady_clock::now() - before, kPromptly);
  auto first = worker.PopResult();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Path(), platform::FileNameToWide(tree_.Path("small")));
  EXPECT_EQ(worker.PopResult(), nullptr);
}

TEST_F(ChecksumWorkerThreads, ResultsAndFiguresCanBePolledWhileTheWorkerRuns) {
  for (int i = 0; i < 200; ++i) AddFile("f" + std::to_string(i), 1000 + i);
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(list_));
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
