#include "foundation/mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "foundation/mutex_lock.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

// Tries to lock `mutex` from a fresh thread within `timeout_ms`; a lock it gets is released before
// the thread ends.
bool LocksElsewhere(CNMutex& mutex, DWORD timeout_ms = 0) {
  bool locked = false;
  std::thread other([&] {
    locked = mutex.Lock(timeout_ms);
    if (locked) mutex.Unlock();
  });
  other.join();
  return locked;
}

TEST(CNMutex, LockTimesOutWhileAnotherThreadOwnsIt) {
  CNMutex mutex;
  ASSERT_TRUE(mutex.IsValid());
  ASSERT_TRUE(mutex.Lock());
  std::thread other([&] {
    EXPECT_FALSE(mutex.Lock(0));
    EXPECT_EQ(platform::LastError(), ERROR_WAIT_TIMEOUT);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(mutex.Lock(60));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  });
  other.join();
  EXPECT_TRUE(mutex.Unlock());
  EXPECT_TRUE(LocksElsewhere(mutex));
}

TEST(CNMutex, TimedLockSucceedsWhenTheOwnerLetsGo) {
  CNMutex mutex(true);  // initially owned by this thread
  bool locked = false;
  std::thread other([&] {
    locked = mutex.Lock(20000);
    if (locked) mutex.Unlock();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_TRUE(mutex.Unlock());
  other.join();
  EXPECT_TRUE(locked);
}

TEST(CNMutex, IsRecursiveForItsOwner) {
  CNMutex mutex;
  ASSERT_TRUE(mutex.Lock());
  ASSERT_TRUE(mutex.Lock(0));
  EXPECT_TRUE(mutex.Unlock());
  EXPECT_FALSE(LocksElsewhere(mutex)) << "one Lock is still held";
  EXPECT_TRUE(mutex.Unlock());
  EXPECT_TRUE(LocksElsewhere(mutex));
  EXPECT_FALSE(mutex.Unlock());
  EXPECT_EQ(platform::LastError(), ERROR_NOT_OWNER);
}

TEST(CNMutex, OwnerThatEndedWithoutUnlockLeavesItToTheNextLock) {
  CNMutex mutex;
  std::thread owner([&] {
    ASSERT_TRUE(mutex.Lock());
    ASSERT_TRUE(mutex.Lock());  // twice: the dead owner's count must not linger
  });
  owner.join();
  ASSERT_TRUE(mutex.Lock(0));
  EXPECT_FALSE(LocksElsewhere(mutex));
  EXPECT_TRUE(mutex.Unlock());
  EXPECT_TRUE(LocksElsewhere(mutex));
  EXPECT_FALSE(mutex.Unlock());
}

TEST(CNMutex, UnlockByAnotherThreadIsRefused) {
  CNMutex mutex;
  ASSERT_TRUE(mutex.Lock());
  std::thread other([&] {
    EXPECT_FALSE(mutex.Unlock());
    EXPECT_EQ(platform::LastError(), ERROR_NOT_OWNER);
  });
  other.join();
  EXPECT_FALSE(LocksElsewhere(mutex));
  EXPECT_TRUE(mutex.Unlock());
}

TEST(CNMutex, KeepsCountsExactUnderContention) {
  CNMutex mutex;
  long counter = 0;  // guarded by mutex
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 5000; ++i) {
        CNMutexLock hold(mutex);
        ++counter;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 20000);
}

TEST(CNMutex, NamedMutexesAreSharedByName) {
  CNMutex first(false, L"vemo-test-shared-mutex");
  CNMutex second(true, L"vemo-test-shared-mutex");  // exists: initial ownership is ignored
  ASSERT_TRUE(first.IsValid());
  ASSERT_TRUE(second.IsValid());
  EXPECT_TRUE(LocksElsewhere(first));
  ASSERT_TRUE(first.Lock());
  EXPECT_FALSE(LocksElsewhere(second));
  EXPECT_TRUE(second.Unlock()) << "same mutex, same owner";
  EXPECT_TRUE(LocksElsewhere(second));
  CNMutex unnamed;
  ASSERT_TRUE(unnamed.Lock());
  EXPECT_TRUE(LocksElsewhere(first)) << "unnamed mutexes share nothing";
  unnamed.Unlock();
}

TEST(CNMutex, ClosedMutexFailsCleanlyAndCanBeRecreated) {
  CNMutex mutex(false, L"vemo-test-closed-mutex");
  ASSERT_STREQ(mutex.Name(), L"vemo-test-closed-mutex");
  ASSERT_TRUE(mutex.Create(false, mutex.Name())) << "its own name, freed by the Close in Create";
  EXPECT_STREQ(mutex.Name(), L"vemo-test-closed-mutex");
  mutex.Close();
  mutex.Close();
  EXPECT_FALSE(mutex.IsValid());
  EXPECT_EQ(mutex.Name(), nullptr);
  EXPECT_FALSE(mutex.Lock(0));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(mutex.Unlock());
  ASSERT_TRUE(mutex.Create(false, nullptr));
  EXPECT_EQ(mutex.Name(), nullptr);
  EXPECT_TRUE(mutex.Lock(0));
  EXPECT_TRUE(mutex.Unlock());
}

TEST(CNMutexLock, HoldsForItsScopeOnly) {
  CNMutex mutex;
  {
    CNMutexLock hold(mutex);
    EXPECT_FALSE(LocksElsewhere(mutex));
  }
  EXPECT_TRUE(LocksElsewhere(mutex));
}

// A holder that never locked must not release the lock an outer scope of the same thread holds.
TEST(CNMutexLock, ReleasesOnlyWhatItLocked) {
  CNMutex mutex;
  CNMutexLock outer(mutex);
  {
    CNMutexLock idle(mutex, false);
    EXPECT_FALSE(idle.Unlock());
    EXPECT_EQ(platform::LastError(), ERROR_NOT_OWNER);
  }
  EXPECT_FALSE(LocksElsewhere(mutex));
  {
    CNMutexLock twice(mutex);
    ASSERT_TRUE(twice.Lock(0));
  }
  EXPECT_FALSE(LocksElsewhere(mutex)) << "the outer holder still holds it";
}

}  // namespace
