#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "document/records/entry.h"
#include "document/records/scan_entry.h"
#include "engine/checksum_worker.h"
#include "engine/scan_support.h"
#include "foundation/process_values.h"
#include "platform/file_name_text.h"
#include "support/temp_tree.h"

namespace {

using namespace std::chrono_literals;

// Freeze and stop must be honoured within 250 ms; generous limits keep a loaded machine from
// failing the test, while a worker that ignores the request still does.
constexpr auto kPromptly = 3s;
constexpr std::size_t kChunk = CChecksumWorker::kChunkSize;

// Counts reads; the read numbered freeze_at sets FreezeScans (on the worker thread).
class FreezingFileSystem : public platform::FileSystemWrapper {
 public:
  FreezingFileSystem() : FileSystemWrapper(platform::FileSystem::Default()) {}
  std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path,
                                                      platform::AccessPattern pattern) override {
    auto file = FileSystemWrapper::OpenForRead(path, pattern);
    if (file == nullptr) return nullptr;
    class Counting : public platform::ReadableFileWrapper {
     public:
      Counting(std::unique_ptr<platform::ReadableFile> target, FreezingFileSystem* owner)
          : ReadableFileWrapper(std::move(target)), owner_(owner) {}
      bool Read(void* buffer, std::size_t length, std::size_t* bytes_read) override {
        if (++owner_->reads == owner_->freeze_at) FreezeScans.store(1);
        return ReadableFileWrapper::Read(buffer, length, bytes_read);
      }

     private:
      FreezingFileSystem* owner_;
    };
    return std::make_unique<Counting>(std::move(file), this);
  }
  std::atomic<int> reads{0};
  int freeze_at = 0;
};

class ChecksumWorkerThreads : public ::testing::Test {
 protected:
  void TearDown() override { FreezeScans.store(0); }

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
  CNPtrList list_;
  FreezingFileSystem file_system_;
};

TEST_F(ChecksumWorkerThreads, FreezePausesBeforeTheNextChunkAndLiftingItResumes) {
  AddFile("big", 4 * kChunk);
  file_system_.freeze_at = 2;
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(list_));
  ASSERT_TRUE(vemo_test::Eventually([&] { return file_system_.reads.load() >= 2; }));
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(file_system_.reads.load(), 2);
  EXPECT_TRUE(worker.IsRunning());
  std::wstring text;
  EXPECT_DOUBLE_EQ(worker.GetCurrentFile(&text), 0.5);

  FreezeScans.store(0);
  ASSERT_TRUE(vemo_test::WaitUntilEnded(worker));
  auto job = worker.PopResult();
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->error, 0u);
  EXPECT_EQ(file_system_.reads.load(), 4);
}

TEST_F(ChecksumWorkerThreads, StopDuringAFileDropsItAndEveryLaterJob) {
  AddFile("small", 10);
  AddFile("big", 4 * kChunk);
  AddFile("later", 10);
  file_system_.freeze_at = 2;  // the first read of "big"
  CChecksumWorker worker(&file_system_);
  ASSERT_TRUE(worker.QueueJobs(list_));
  ASSERT_TRUE(vemo_test::Eventually([&] { return file_system_.reads.load() >= 2; }));
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
  for (;;) {
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
    if (!running) break;
  }
  ASSERT_EQ(results.size(), 200u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(results[i]->Path(), platform::FileNameToWide(tree_.Path("f" + std::to_string(i))));
    EXPECT_EQ(results[i]->error, 0u);
  }
}

}  // namespace
