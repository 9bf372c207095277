#include "platform/thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/error_codes.h"
#include "platform/event.h"
#include "platform/last_error.h"
#include "platform/timeout.h"
#include "support/wait_until.h"

namespace {

int ProcessNice() {
  errno = 0;
  return getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
}

int OwnNice() { return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); }

TEST(Thread, RunsOnlyAfterResumeAndIsWaitable) {
  std::atomic<bool> ran{false};
  auto release = platform::CreateEvent(true, false, nullptr).object;
  auto thread = platform::Thread::CreateSuspended(
      [&] {
        ran = true;
        (void)release->Wait(INFINITE);
      },
      THREAD_PRIORITY_NORMAL, 0);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(thread->Id(), 0u);
  EXPECT_TRUE(vemo_test::HoldsFor([&] { return !ran.load(); }, std::chrono::milliseconds(50)));
  EXPECT_FALSE(thread->Wait(0)) << "a suspended thread has not ended";

  thread->Resume();
  platform::SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_FALSE(thread->Wait(30));
  EXPECT_EQ(platform::LastError(), ERROR_ACCESS_DENIED);
  release->Set();
  EXPECT_TRUE(thread->Wait(INFINITE));
  EXPECT_TRUE(ran.load());
  EXPECT_TRUE(thread->Wait(0));
}

TEST(Thread, NeverResumedThreadEndsWithoutRunning) {
  std::atomic<bool> ran{false};
  auto thread = platform::Thread::CreateSuspended([&] { ran = true; }, THREAD_PRIORITY_NORMAL, 0);
  ASSERT_NE(thread, nullptr);
  thread.reset();
  EXPECT_FALSE(ran.load());
}

TEST(Thread, ObjectDestroyedWhileRunningLeavesTheThreadToEndAlone) {
  auto release = platform::CreateEvent(true, false, nullptr).object;
  auto done = platform::CreateEvent(true, false, nullptr).object;
  auto thread = platform::Thread::CreateSuspended(
      [release, done] {
        (void)release->Wait(INFINITE);
        done->Set();
      },
      THREAD_PRIORITY_NORMAL, 0);
  ASSERT_NE(thread, nullptr);
  thread->Resume();
  thread.reset();
  release->Set();
  EXPECT_TRUE(done->Wait(20000));
}

struct PriorityCase {
  int priority;
  int offset;
};

TEST(Thread, PriorityBecomesTheThreadsOwnNiceValue) {
  const int base = ProcessNice();
  const PriorityCase cases[] = {{THREAD_PRIORITY_NORMAL, 0},
                                {THREAD_PRIORITY_BELOW_NORMAL, 5},
                                {THREAD_PRIORITY_LOWEST, 10},
                                {THREAD_PRIORITY_IDLE, 19}};
  for (const PriorityCase& c : cases) {
    EXPECT_EQ(platform::NiceOffsetForPriority(c.priority), c.offset);
    std::atomic<int> seen{-100};
    auto thread = platform::Thread::CreateSuspended([&] { seen = OwnNice(); }, c.priority, 0);
    ASSERT_NE(thread, nullptr);
    thread->Resume();
    ASSERT_TRUE(thread->Wait(INFINITE));
    EXPECT_EQ(seen.load(), std::min(base + c.offset, 19)) << "priority " << c.priority;
  }
  EXPECT_EQ(OwnNice(), base) << "the creating thread keeps its own";
  // Raising needs a privilege; without it the thread still runs, at the process's value.
  std::atomic<int> seen{-100};
  auto raised =
      platform::Thread::CreateSuspended([&] { seen = OwnNice(); }, THREAD_PRIORITY_HIGHEST, 0);
  ASSERT_NE(raised, nullptr);
  raised->Resume();
  ASSERT_TRUE(raised->Wait(INFINITE));
  EXPECT_TRUE(seen.load() == base || seen.load() == std::max(base - 10, -20));
}

TEST(Thread, StackSizeIsAtLeastWhatWasAskedFor) {
  const DWORD asked[] = {1, 64 * 1024, 300 * 1024 + 1, 4 * 1024 * 1024};
  for (DWORD size : asked) {
    std::atomic<std::size_t> got{0};
    auto thread = platform::Thread::CreateSuspended(
        [&] {
          pthread_attr_t attr;
          std::size_t stack = 0;
          if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            pthread_attr_getstacksize(&attr, &stack);
            pthread_attr_destroy(&attr);
          }
          got = stack;
        },
        THREAD_PRIORITY_NORMAL, size);
    ASSERT_NE(thread, nullptr);
    thread->Resume();
    ASSERT_TRUE(thread->Wait(INFINITE));
    EXPECT_GE(got.load(), std::max<std::size_t>(size, 64 * 1024)) << size;
  }
}

}  // namespace
