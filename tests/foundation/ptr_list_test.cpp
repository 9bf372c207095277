#include "foundation/ptr_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void* Tag(std::uintptr_t n) { return reinterpret_cast<void*>(n); }

std::vector<void*> Elements(CNPtrList& list) { return {list.begin(), list.end()}; }

TEST(PtrListTest, AddRemoveHeadAndRemoveNodeKeepTheOrder) {
  CNPtrList list;
  EXPECT_EQ(list.RemoveHead(), nullptr);
  ASSERT_NE(list.AddTail(Tag(1)), list.End());
  CNPtrList::Node middle = list.AddTail(Tag(2));
  ASSERT_NE(list.AddTail(Tag(3)), list.End());
  list.RemoveNode(middle);
  EXPECT_EQ(Elements(list), (std::vector<void*>{Tag(1), Tag(3)}));
  EXPECT_EQ(list.RemoveHead(), Tag(1));
  EXPECT_EQ(list.GetHead(), Tag(3));
  EXPECT_EQ(list.GetCount(), 1u);
}

// Records, for every destroyed element, how many nodes the list still had at that moment.
class RecordingList : public CNPtrList {
 public:
  using CNPtrList::CNPtrList;
  ~RecordingList() override { RemoveAll(Owns()); }
  void DestroyElement(void* element) override {
    destroyed.push_back(element);
    counts_seen.push_back(GetCount());
  }
  std::vector<void*> destroyed;
  std::vector<std::size_t> counts_seen;
};

TEST(PtrListTest, RemoveAllDestroysFromTheHeadAfterUnlinkingEachNode) {
  RecordingList list(false);
  for (int i = 1; i <= 3; ++i) ASSERT_NE(list.AddTail(Tag(i)), list.End());
  list.RemoveAll(true);
  EXPECT_EQ(list.destroyed, (std::vector<void*>{Tag(1), Tag(2), Tag(3)}));
  EXPECT_EQ(list.counts_seen, (std::vector<std::size_t>{2, 1, 0}));
  ASSERT_NE(list.AddTail(Tag(4)), list.End());
  list.RemoveAll(false);
  EXPECT_EQ(list.destroyed.size(), 3u);
}

struct Counted {
  explicit Counted(int* counter) : deaths(counter) {}
  virtual ~Counted() { ++*deaths; }
  int* deaths;
};
struct DerivedCounted : Counted {
  using Counted::Counted;
  std::vector<int> payload = std::vector<int>(8);  // leaks under ASan if ~Counted alone ran
};

TEST(PtrListTest, VariantDestructorsDestroyOwnedElementsWithTheirOwnRule) {
  int deaths = 0;
  Counted borrowed(&deaths);
  {
    CNObjectList<Counted> owning;
    ASSERT_NE(owning.AddTail(new DerivedCounted(&deaths)), owning.End());
    ASSERT_NE(owning.AddTail(new Counted(&deaths)), owning.End());
    CNObjectList<Counted> borrowing(false);
    ASSERT_NE(borrowing.AddTail(&borrowed), borrowing.End());
    CNOwningList plain;  // frees with free(); ASan reports a leak otherwise
    ASSERT_NE(plain.AddTail(std::malloc(8)), plain.End());
  }
  EXPECT_EQ(deaths, 2);
}

}  // namespace
