#include "platform/mutex.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/timeout.h"

namespace {

using LockResult = platform::Mutex::LockResult;

TEST(Mutex, TakeOverFromADeadOwnerIsReportedAsAbandoned) {
  auto mutex = platform::CreateMutex(false, nullptr).object;
  ASSERT_NE(mutex, nullptr);
  std::thread owner([&] { ASSERT_EQ(mutex->Lock(INFINITE), LockResult::kAcquired); });
  owner.join();
  EXPECT_EQ(mutex->Lock(INFINITE), LockResult::kAbandoned);
  EXPECT_TRUE(mutex->Unlock());
  EXPECT_EQ(mutex->Lock(0), LockResult::kAcquired) << "consistent again";
  EXPECT_TRUE(mutex->Unlock());
}

// The owner's thread links a robust mutex into its own list; freeing it while locked would leave
// that list pointing at freed memory.
TEST(Mutex, LockedMutexOutlivesItsLastHandle) {
  auto mutex = platform::CreateMutex(true, nullptr).object;
  ASSERT_NE(mutex, nullptr);
  platform::Mutex* raw = mutex.get();
  std::weak_ptr<platform::Mutex> watch = mutex;
  mutex.reset();
  EXPECT_FALSE(watch.expired());
  EXPECT_TRUE(raw->Unlock());
  EXPECT_TRUE(watch.expired());
}

}  // namespace
