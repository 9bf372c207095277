#include "foundation/ptr_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void* Tag(std::uintptr_t n) { return reinterpret_cast<void*>(n); }

TEST(PtrArrayTest, SetSizeGrowsExactlyWithNullSlotsAndShrinksWithoutFreeing) {
  CNPtrArray array;
  ASSERT_TRUE(array.SetSize(3));
  EXPECT_EQ(array.GetCapacity(), 3u);
  EXPECT_EQ(std::vector<void*>(array.begin(), array.end()), std::vector<void*>(3, nullptr));
  array[0] = Tag(1);
  array[1] = Tag(2);
  ASSERT_TRUE(array.SetSize(1));
  EXPECT_EQ(array.GetSize(), 1u);
  EXPECT_EQ(array.GetCapacity(), 3u);
  EXPECT_EQ(array[0], Tag(1));
  ASSERT_TRUE(array.SetSize(2, 7));  // regrowth inside the capacity clears the reused slot
  EXPECT_EQ(array[1], nullptr);
  EXPECT_EQ(array.GetGrowBy(), 7);
  ASSERT_TRUE(array.SetSize(2, -1));  // a negative step keeps the stored one
  EXPECT_EQ(array.GetGrowBy(), 7);
}

TEST(PtrArrayTest, AddGrowsByTheStepOrByHalfWhenTheStepIsZero) {
  struct Case {
    int grow_by;
    std::vector<std::size_t> capacities;  // after each of the first Adds
  };
  const Case cases[] = {
      {3, {3, 3, 3, 6, 6, 6, 9}},
      {0, {1, 2, 3, 4, 6, 6, 9}},
      {-5, {1, 2, 3, 4, 6, 6, 9}},  // negative taken as 0
  };
  for (const Case& c : cases) {
    CNPtrArray array(false, c.grow_by);
    for (std::size_t i = 0; i < c.capacities.size(); ++i) {
      ASSERT_TRUE(array.Add(Tag(i + 1)));
      EXPECT_EQ(array.GetCapacity(), c.capacities[i]) << "grow by " << c.grow_by << ", add " << i;
    }
    for (std::size_t i = 0; i < array.GetSize(); ++i) EXPECT_EQ(array[i], Tag(i + 1));
  }
}

class RecordingArray : public CNPtrArray {
 public:
  using CNPtrArray::CNPtrArray;
  void DestroyElement(void* element) override { destroyed.push_back(element); }
  std::vector<void*> destroyed;
};

TEST(PtrArrayTest, RemoveAllDestroysNonNullElementsAndFreesTheStorage) {
  RecordingArray array;
  ASSERT_TRUE(array.Add(Tag(1)));
  ASSERT_TRUE(array.Add(nullptr));
  ASSERT_TRUE(array.Add(Tag(3)));
  array.RemoveAll(true);
  EXPECT_EQ(array.destroyed, (std::vector<void*>{Tag(1), Tag(3)}));
  EXPECT_EQ(array.GetSize(), 0u);
  EXPECT_EQ(array.GetCapacity(), 0u);
}

TEST(PtrArrayTest, VariantDestructorsDestroyOwnedElements) {
  struct Counted {
    explicit Counted(int* counter) : deaths(counter) {}
    virtual ~Counted() { ++*deaths; }
    int* deaths;
  };
  int deaths = 0;
  {
    CNObjectArray<Counted> objects;
    ASSERT_TRUE(objects.Add(new Counted(&deaths)));
    ASSERT_TRUE(objects.Add(nullptr));
    CNOwningArray plain;
    ASSERT_TRUE(plain.Add(std::malloc(4)));
  }
  EXPECT_EQ(deaths, 1);
}

}  // namespace
