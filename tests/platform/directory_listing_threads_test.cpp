// A large directory's lstat calls are shared with a helper thread; the listing must still give
// every item once, in readdir's order, each with its own lstat.
#include <dirent.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error_codes.h"
#include "platform/file_system.h"
#include "platform/last_error.h"
#include "support/temp_tree.h"

namespace {

// Every large batch is shared with a helper, whatever the machine's load.
class SharedListing : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetListingHelpers(platform::ListingHelpers::kAlways); }
  void TearDown() override { platform::SetListingHelpers(platform::ListingHelpers::kWhenIdle); }
};

using platform::DirectoryItem;
using platform::FileSystem;
using platform::ItemKind;

std::vector<std::string> ReaddirOrder(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return names;
  while (const dirent* entry = readdir(d)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(d);
  return names;
}

// Item i is a file of i % 97 bytes, every 50th a directory: a stat given to the wrong name shows.
TEST_F(SharedListing, LargeDirectoryGivesEveryItemOnceInOrderWithItsOwnState) {
  vemo_test::TempTree tree;
  constexpr int kItems = 9000;  // more than two batches
  for (int i = 0; i < kItems; ++i) {
    const std::string name = "item" + std::to_string(i);
    if (i % 50 == 0) {
      tree.Dir(name);
    } else {
      tree.File(name, std::string(static_cast<std::size_t>(i % 97), 'x'));
    }
  }
  const std::vector<std::string> expected = ReaddirOrder(tree.root());
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(kItems));

  // Shared, then alone: the same items either way.
  for (const platform::ListingHelpers helpers :
       {platform::ListingHelpers::kAlways, platform::ListingHelpers::kNever,
        platform::ListingHelpers::kAlways}) {
    platform::SetListingHelpers(helpers);
    auto listing = FileSystem::Default()->OpenListing(tree.root());
    ASSERT_NE(listing, nullptr);
    DirectoryItem item;
    std::size_t index = 0;
    while (listing->Next(&item)) {
      ASSERT_LT(index, expected.size());
      ASSERT_EQ(item.name, expected[index]);
      const int i = std::stoi(item.name.substr(4));
      if (i % 50 == 0) {
        EXPECT_EQ(item.kind, ItemKind::kDirectory) << item.name;
        EXPECT_EQ(item.size, 0u) << item.name;
      } else {
        EXPECT_EQ(item.kind, ItemKind::kFile) << item.name;
        EXPECT_EQ(item.size, static_cast<ULONGLONG>(i % 97)) << item.name;
      }
      ++index;
    }
    EXPECT_EQ(platform::LastError(), ERROR_NO_MORE_FILES);
    EXPECT_EQ(index, expected.size());
    EXPECT_TRUE(listing->Close());
  }
}

// A walk that stops early drops its listing while the helper is still at work.
TEST_F(SharedListing, ListingDroppedPartWayThroughStopsItsHelper) {
  vemo_test::TempTree tree;
  for (int i = 0; i < 3000; ++i) tree.File("f" + std::to_string(i), "");
  for (const int taken : {1, 40, 2999}) {
    auto listing = FileSystem::Default()->OpenListing(tree.root());
    ASSERT_NE(listing, nullptr);
    DirectoryItem item;
    for (int k = 0; k < taken; ++k) ASSERT_TRUE(listing->Next(&item));
    if (taken == 40) {
      EXPECT_TRUE(listing->Close());
      EXPECT_FALSE(listing->Next(&item));
      EXPECT_EQ(platform::LastError(), ERROR_INVALID_HANDLE);
    }
  }
}

}  // namespace
