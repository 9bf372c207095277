#include "foundation/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "foundation/mutex.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "support/wait_until.h"

namespace {

TEST(CNEvent, ManualResetReleasesEveryWaiterAndStaysSet) {
  CNEvent event(true, false);
  ASSERT_TRUE(event.IsValid());
  EXPECT_TRUE(event.CreatedNew());
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      if (event.Wait()) ++released;
    });
  }
  EXPECT_TRUE(event.Set());
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(released.load(), 3);
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Reset());
  EXPECT_FALSE(event.Wait(0));
  EXPECT_EQ(platform::LastError(), ERROR_WAIT_TIMEOUT);
}

TEST(CNEvent, AutomaticResetReleasesOneWaiterPerSet) {
  CNEvent initially_set(false, true);
  EXPECT_TRUE(initially_set.Wait(0));
  EXPECT_FALSE(initially_set.Wait(0)) << "the first wait turned it off";

  CNEvent event(false, false);
  std::atomic<int> released{0};
  std::thread first([&] {
    if (event.Wait()) ++released;
  });
  std::thread second([&] {
    if (event.Wait()) ++released;
  });
  event.Set();
  ASSERT_TRUE(vemo_test::WaitUntil([&] { return released.load() != 0; }));
  EXPECT_TRUE(
      vemo_test::HoldsFor([&] { return released.load() == 1; }, std::chrono::milliseconds(100)));
  event.Set();
  first.join();
  second.join();
  EXPECT_EQ(released.load(), 2);
  EXPECT_FALSE(event.Wait(0));
}

TEST(CNEvent, TimedWaitEndsWhenSetFromAnotherThread) {
  CNEvent event(false, false);
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(20000));
  setter.join();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(event.Wait(60));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
}

TEST(CNEvent, NamedEventsAreSharedByName) {
  CNEvent first(true, false, L"vemo-test-shared-event");
  ASSERT_TRUE(first.IsValid());
  EXPECT_TRUE(first.CreatedNew());
  {
    CNEvent second(false, true, L"vemo-test-shared-event");  // exists: the flags are ignored
    ASSERT_TRUE(second.IsValid());
    EXPECT_FALSE(second.CreatedNew());
    EXPECT_STREQ(second.Name(), L"vemo-test-shared-event");
    EXPECT_FALSE(second.Wait(0));
    first.Set();
    EXPECT_TRUE(second.Wait(0));
    EXPECT_TRUE(second.Wait(0)) << "manual reset, as created";
  }
  first.Close();
  CNEvent again(false, false, L"vemo-test-shared-event");
  EXPECT_TRUE(again.CreatedNew()) << "the name died with its last holder";
  EXPECT_FALSE(again.Wait(0));
}

TEST(CNEvent, NameOfAMutexIsRefused) {
  CNMutex mutex(false, L"vemo-test-mutex-not-event");
  CNEvent event(true, false, L"vemo-test-mutex-not-event");
  EXPECT_FALSE(event.IsValid());
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(event.CreatedNew());
  EXPECT_EQ(event.Name(), nullptr);
}

TEST(CNEvent, ClosedEventFailsCleanly) {
  CNEvent event(true, true, L"vemo-test-closed-event");
  ASSERT_TRUE(event.Create(true, true, event.Name()));
  EXPECT_STREQ(event.Name(), L"vemo-test-closed-event");
  event.Close();
  event.Close();
  EXPECT_FALSE(event.IsValid());
  EXPECT_FALSE(event.CreatedNew());
  EXPECT_EQ(event.Name(), nullptr);
  EXPECT_FALSE(event.Set());
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(event.Reset());
  EXPECT_FALSE(event.Wait(0));
}

}  // namespace
