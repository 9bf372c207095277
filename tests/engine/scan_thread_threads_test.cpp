#include <gtest/gtest.h>

#include <chrono>

#include "engine/scan_thread.h"
#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "support/fault_file_system.h"
#include "support/temp_tree.h"
#include "support/wait_until.h"

namespace {

using namespace std::chrono_literals;
using vemo_test::FsCall;

// Freeze and stop must be honoured within 250 ms; the limits here are generous so that a loaded
// machine never fails the test, while a worker that ignores the request still does.
constexpr auto kPromptly = 3s;

class ScanThreadThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int d = 0; d < 3; ++d) {
      tree_.Dir("d" + std::to_string(d));
      for (int f = 0; f < 50; ++f) {
        tree_.File("d" + std::to_string(d) + "/f" + std::to_string(f), "x");
      }
    }
    // The 20th listing step freezes the scans (on the scanner thread).
    file_system_.SetHook([](FsCall call, const std::string&, int number) {
      if (call == FsCall::kNextItem && number == 20) FreezeScans.store(1);
      return DWORD{0};
    });
  }
  int Steps() const { return file_system_.Count(FsCall::kNextItem); }
  void TearDown() override { FreezeScans.store(0); }

  // Starts the walk and waits until it is frozen at the 20th item.
  void StartAndFreeze(CVemoScanThread& scanner) {
    ASSERT_TRUE(scanner.Start(platform::FileNameToWide(tree_.root()), KeyCase::kExact));
    ASSERT_TRUE(vemo_test::WaitUntil([&] { return Steps() >= 20; }));
  }

  vemo_test::TempTree tree_;
  vemo_test::FaultFileSystem file_system_;
};

TEST_F(ScanThreadThreads, FreezeHoldsTheWalkAndLiftingItCompletesIt) {
  const std::uint32_t workers_before = ActiveWorkerCount.load();
  CVemoScanThread scanner(&file_system_);
  StartAndFreeze(scanner);
  EXPECT_TRUE(vemo_test::HoldsFor([&] { return Steps() == 20; }, 600ms));  // no step while frozen
  EXPECT_TRUE(scanner.IsRunning());
  EXPECT_EQ(ActiveWorkerCount.load(), workers_before + 1);
  EXPECT_EQ(scanner.TakeResults(), nullptr);

  // A second start while the walk runs is refused.
  EXPECT_FALSE(scanner.Start(platform::FileNameToWide(tree_.root()), KeyCase::kExact));
  EXPECT_EQ(platform::LastError(), ERROR_BUSY);

  FreezeScans.store(0);
  ASSERT_TRUE(vemo_test::WaitUntilEnded(scanner));
  auto results = scanner.TakeResults();
  ASSERT_NE(results, nullptr);
  EXPECT_EQ(results->GetCount(), 153u);
  EXPECT_EQ(ActiveWorkerCount.load(), workers_before);
}

TEST_F(ScanThreadThreads, StopWhileFrozenEndsPromptlyAndPublishesNothing) {
  CVemoScanThread scanner(&file_system_);
  StartAndFreeze(scanner);
  const auto before = std::chrono::steady_clock::now();
  scanner.StopAndDiscard();
  EXPECT_LT(std::chrono::steady_clock::now() - before, kPromptly);
  EXPECT_FALSE(scanner.IsRunning());
  EXPECT_EQ(scanner.TakeResults(), nullptr);
}

TEST_F(ScanThreadThreads, ScanDirectoryCanBeReadWhileTheWalkRuns) {
  file_system_.SetHook(nullptr);
  CVemoScanThread scanner(&file_system_);
  ASSERT_TRUE(scanner.Start(platform::FileNameToWide(tree_.root()), KeyCase::kExact));
  std::wstring seen;
  ASSERT_TRUE(vemo_test::WaitUntil([&] {
    const std::wstring dir = scanner.GetScanDirectory();
    if (!dir.empty()) seen = dir;
    return !scanner.IsRunning();
  }));
  if (seen.empty()) seen = scanner.GetScanDirectory();  // the walk beat the first look
  ASSERT_FALSE(seen.empty());
  // Every copy taken during the walk was a whole directory path below the base.
  EXPECT_EQ(seen.rfind(platform::FileNameToWide(tree_.root()), 0), 0u);
  EXPECT_EQ(seen.back(), L'/');
  auto results = scanner.TakeResults();
  ASSERT_NE(results, nullptr);
  EXPECT_EQ(results->GetCount(), 153u);
}

}  // namespace
