#include "foundation/critical_section.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(CNCriticalSection, NullSectionRunsWithoutLock) {
  EXPECT_FALSE(CNCriticalSection::Lock(nullptr));
  CNCriticalSection::Unlock(nullptr);
  CNCriticalSectionLock hold(nullptr);
}

TEST(CNCriticalSection, ExcludesOtherThreadsAndNestsForItsOwner) {
  CNCriticalSection section;
  EXPECT_TRUE(section.IsValid());
  long counter = 0;  // guarded by section
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 5000; ++i) {
        CNCriticalSectionLock outer(&section);
        ASSERT_TRUE(CNCriticalSection::Lock(&section));
        ++counter;
        CNCriticalSection::Unlock(&section);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 20000);
}

}  // namespace
