#include "foundation/worker_thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/event.h"
#include "platform/last_error.h"
#include "support/wait_until.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using vemo_test::HoldsFor;
using vemo_test::WaitUntil;

constexpr DWORD kStopAnswer = 99;

// Works in small units until released (then returns `result`) or told to stop by CheckContinue.
class LoopWorker : public CNWorkerThread {
 public:
  explicit LoopWorker(CNNotifyWindow* window = nullptr, UINT message = 0)
      : CNWorkerThread(window, message, 42) {}
  ~LoopWorker() override { Stop(INFINITE); }

  long Units() {
    CNMutexLock hold(lock_);
    return units_;
  }
  void Release() { release_.store(true); }
  void Hold() { release_.store(false); }
  using CNWorkerThread::SetPriority;

  DWORD result = 7;
  std::atomic<int> nice_seen{-100};
  std::atomic<DWORD> tid_seen{0};
  std::vector<std::string>* log = nullptr;  // written by the worker thread, read after it ended

 protected:
  DWORD Run() override {
    errno = 0;
    nice_seen.store(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())));
    tid_seen.store(static_cast<DWORD>(gettid()));
    if (log) log->push_back("run");
    while (!release_.load()) {
      if (!CheckContinue()) return kStopAnswer;
      {
        CNMutexLock hold(lock_);
        ++units_;
      }
      std::this_thread::sleep_for(milliseconds(1));
    }
    return result;
  }
  void OnThreadStart() override {
    ActiveWorkerCount.fetch_add(1);
    if (log) log->push_back("start");
  }
  void OnThreadEnd() override {
    if (log) log->push_back("end");
    ActiveWorkerCount.fetch_sub(1);
  }

 private:
  long units_ = 0;  // guarded by lock_
  std::atomic<bool> release_{false};
};

// Runs until released, deaf to stop requests.
class DeafWorker : public CNWorkerThread {
 public:
  ~DeafWorker() override {
    Release();
    Stop(INFINITE);
  }
  void Release() { release_->Set(); }
  std::atomic<int> can_continue_after_release{-1};

 protected:
  DWORD Run() override {
    (void)release_->Wait(INFINITE);
    can_continue_after_release.store(CanContinue() ? 1 : 0);
    return 0;
  }

 private:
  std::shared_ptr<platform::Event> release_ = platform::CreateEvent(true, false, nullptr).object;
};

struct FreezeGuard {
  FreezeGuard() { FreezeScans.store(1); }
  ~FreezeGuard() { FreezeScans.store(0); }
};

TEST(CNWorkerThread, ObjectThatNeverRanStopsAtOnce) {
  LoopWorker worker;
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_TRUE(worker.Stop(0));
  EXPECT_TRUE(worker.Terminate(3));
  EXPECT_EQ(worker.ExitCode(), 0u);
  EXPECT_EQ(worker.ThreadId(), 0u);
  EXPECT_EQ(worker.UserValue(), 42u);
}

TEST(CNWorkerThread, SecondStartIsBusyUntilTheRunEnds) {
  LoopWorker worker;
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_FALSE(worker.Start());
  EXPECT_EQ(platform::LastError(), ERROR_BUSY);
  ASSERT_TRUE(WaitUntil([&] { return worker.tid_seen.load() != 0; }));
  EXPECT_EQ(worker.ThreadId(), worker.tid_seen.load());

  worker.Release();
  ASSERT_TRUE(WaitUntil([&] { return !worker.IsRunning(); }));
  EXPECT_EQ(worker.ExitCode(), 7u);
  EXPECT_EQ(worker.ThreadId(), worker.tid_seen.load()) << "kept until the next Start or Stop";

  // The release flag stays set, so this run ends at once; its exit code replaces the old one.
  worker.result = 8;
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(worker.Stop(INFINITE));
  EXPECT_EQ(worker.ExitCode(), 8u);
  EXPECT_EQ(worker.ThreadId(), 0u);
}

TEST(CNWorkerThread, ExitCodeIsZeroWhileTheNewRunGoesOn) {
  LoopWorker worker;
  worker.Release();
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(WaitUntil([&] { return !worker.IsRunning(); }));
  ASSERT_EQ(worker.ExitCode(), 7u);

  worker.Hold();
  ASSERT_TRUE(worker.Start());
  EXPECT_EQ(worker.ExitCode(), 0u);
  worker.Release();
  EXPECT_TRUE(worker.Stop(INFINITE));
  EXPECT_EQ(worker.ExitCode(), 7u);
}

TEST(CNWorkerThread, StopEndsTheRunAtTheNextCheck) {
  LoopWorker worker;
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(WaitUntil([&] { return worker.Units() > 3; })) << "shared field under the lock";
  EXPECT_TRUE(worker.Stop(INFINITE));
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_EQ(worker.ExitCode(), kStopAnswer);
  EXPECT_EQ(ActiveWorkerCount.load(), 0u);
}

TEST(CNWorkerThread, StopThatTimesOutLeavesTheThreadRunningWithTheRequestSet) {
  DeafWorker worker;
  ASSERT_TRUE(worker.Start());
  EXPECT_FALSE(worker.Stop(20));
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_FALSE(worker.Terminate(5));
  EXPECT_EQ(platform::LastError(), ERROR_NOT_SUPPORTED);
  EXPECT_TRUE(worker.IsRunning());
  worker.Release();
  EXPECT_TRUE(worker.Stop(INFINITE));
  EXPECT_EQ(worker.can_continue_after_release.load(), 0) << "the request stayed";
  EXPECT_EQ(worker.ExitCode(), 0u);
}

class RecordingWindow : public CNNotifyWindow {
 public:
  struct Message {
    UINT message;
    std::uintptr_t wparam;
    std::intptr_t lparam;
  };
  bool Exists() const override { return exists; }
  void Post(UINT message, std::uintptr_t wparam, std::intptr_t lparam) override {
    std::lock_guard<std::mutex> hold(mutex_);
    posted.push_back({message, wparam, lparam});
    if (log) log->push_back("post " + std::to_string(wparam));
  }
  std::atomic<bool> exists{true};
  std::vector<Message> posted;              // read after the worker ended
  std::vector<std::string>* log = nullptr;  // shared with the worker's own entries

 private:
  std::mutex mutex_;
};

// A worker whose run fails to allocate (a list too large, a tree too deep): the process goes on.
class ThrowingWorker : public CNWorkerThread {
 public:
  ~ThrowingWorker() override { Stop(INFINITE); }
  std::atomic<int> ended{0};

 protected:
  DWORD Run() override {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers' allocators end the process on a failed allocation instead of throwing.
    throw std::bad_alloc();
#else
    // A real allocation that fails, not a thrown stand-in.
    std::vector<char> huge;
    huge.reserve(huge.max_size());
    return 0;
#endif
  }
  void OnThreadEnd() override { ++ended; }
};

TEST(CNWorkerThread, RunThatRunsOutOfMemoryEndsWithThatCode) {
  ThrowingWorker worker;
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(worker.Stop(INFINITE));
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_EQ(worker.ExitCode(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(worker.ended.load(), 1);
}

TEST(CNWorkerThread, PostsOneStartAndOneEndNotificationPerRun) {
  std::vector<std::string> log;
  RecordingWindow window;
  window.log = &log;
  LoopWorker worker(&window, 0x8001);
  worker.log = &log;
  worker.Release();
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.Stop(INFINITE));
  }
  const auto self = reinterpret_cast<std::intptr_t>(static_cast<CNWorkerThread*>(&worker));
  ASSERT_EQ(window.posted.size(), 4u);
  for (std::size_t i = 0; i < window.posted.size(); ++i) {
    EXPECT_EQ(window.posted[i].message, 0x8001u);
    EXPECT_EQ(window.posted[i].wparam, i % 2 == 0 ? 1u : 0u);
    EXPECT_EQ(window.posted[i].lparam, self);
  }
  const std::vector<std::string> one_run = {"start", "post 1", "run", "end", "post 0"};
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5), one_run);

  window.exists = false;
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(worker.Stop(INFINITE));
  EXPECT_EQ(window.posted.size(), 4u) << "nothing posted to a destroyed window";
}

TEST(CNWorkerThread, FreezePausesTheRunUntilCleared) {
  LoopWorker worker;
  std::unique_ptr<FreezeGuard> freeze = std::make_unique<FreezeGuard>();
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(WaitUntil([&] { return worker.tid_seen.load() != 0; }));
  const long frozen_at = worker.Units();
  EXPECT_TRUE(HoldsFor([&] { return worker.Units() == frozen_at; }, milliseconds(600)));
  EXPECT_TRUE(worker.IsRunning());
  freeze.reset();
  EXPECT_TRUE(WaitUntil([&] { return worker.Units() > frozen_at; }, milliseconds(2000)));
}

TEST(CNWorkerThread, StopIsHonouredWhileFrozen) {
  FreezeGuard freeze;
  LoopWorker worker;
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(WaitUntil([&] { return worker.tid_seen.load() != 0; }));
  const auto start = steady_clock::now();
  EXPECT_TRUE(worker.Stop(INFINITE));
  EXPECT_LT(steady_clock::now() - start, milliseconds(2000));
  EXPECT_EQ(worker.ExitCode(), kStopAnswer);
}

TEST(CNWorkerThread, RunsAtItsPriority) {
  errno = 0;
  const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
  ASSERT_TRUE(base != -1 || errno == 0);
  LoopWorker worker;
  worker.SetPriority(THREAD_PRIORITY_BELOW_NORMAL);
  worker.Release();
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(worker.Stop(INFINITE));
  EXPECT_EQ(worker.nice_seen.load(), std::min(base + 5, 19));
}

}  // namespace
