#include "foundation/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(StringListTest, AppendsAtTheTailAndRemovesHeadsAndNodes) {
  CNStringList list;
  EXPECT_EQ(list.RemoveHead(), L"");
  ASSERT_NE(list.AddTail(L"one"), list.End());
  CNStringList::Node two = list.AddTail(L"two");
  ASSERT_NE(list.AddTail(L"three"), list.End());
  list.RemoveNode(two);
  EXPECT_EQ(std::vector<std::wstring>(list.begin(), list.end()),
            (std::vector<std::wstring>{L"one", L"three"}));
  EXPECT_EQ(list.RemoveHead(), L"one");
  EXPECT_EQ(list.GetCount(), 1u);
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
