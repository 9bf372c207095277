#include "foundation/pointer_set.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_set>
#include <vector>

namespace {

TEST(PointerSet, AgreesWithAStandardSetThroughAddsAndRemoves) {
  // Objects of one array: the aligned, close addresses the set is made for, in runs that collide.
  std::vector<double> objects(5000);
  std::unordered_set<const void*> expected;
  CNPointerSet set;
  std::mt19937 random(7);
  for (int step = 0; step < 60000; ++step) {
    const void* p = &objects[random() % objects.size()];
    if (random() % 3 != 0) {
      ASSERT_TRUE(set.Add(p));
      expected.insert(p);
    } else {
      set.Remove(p);
      expected.erase(p);
    }
    ASSERT_EQ(set.GetCount(), expected.size());
    if (step % 1000 == 0) {
      for (const double& object : objects) {
        ASSERT_EQ(set.Contains(&object), expected.count(&object) == 1) << step;
      }
    }
  }
  for (const void* p : std::vector<const void*>(expected.begin(), expected.end())) set.Remove(p);
  EXPECT_TRUE(set.IsEmpty());
  EXPECT_EQ(set.MemoryUsage(), 0u);  // the last removal frees the table
}

TEST(PointerSet, NullIsNeverAMemberAndAddingTwiceCountsOnce) {
  CNPointerSet set;
  int a = 0;
  EXPECT_FALSE(set.Contains(nullptr));
  EXPECT_FALSE(set.Contains(&a));
  set.Remove(&a);
  ASSERT_TRUE(set.Add(&a));
  ASSERT_TRUE(set.Add(&a));
  EXPECT_EQ(set.GetCount(), 1u);
  EXPECT_TRUE(set.Add(nullptr));
  EXPECT_FALSE(set.Contains(nullptr));
  set.RemoveAll();
  EXPECT_FALSE(set.Contains(&a));
}

}  // namespace
