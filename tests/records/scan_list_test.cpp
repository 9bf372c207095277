// The list a walk publishes: its items kept compactly and made into full records on request.
#include "records/scan_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/file_attributes.h"
#include "records/file_state_fixture.h"

namespace {

using records_test::At;
using records_test::File;
using records_test::kDriveCd;

const wchar_t* const kBase = L"/data/tree/";

// Each record must equal the one a scan record built on its own gives, in the order added, and
// the list's blocks must hand them out in order beyond the first block.
TEST(ScanList, RecordsEqualScanRecordsInTheOrderAdded) {
  for (const KeyCase key_case : {KeyCase::kExact, KeyCase::kFold}) {
    CVemoScanList list(kBase, kDriveCd, key_case);
    std::uint32_t top = 0;
    std::uint32_t sub = 0;
    ASSERT_TRUE(list.AddDirectory(SharedText(), &top));
    ASSERT_TRUE(list.AddDirectory(SharedText(L"Sub \u00e9/"), &sub));
    constexpr int kItems = 10'000;  // more than one block
    for (int i = 0; i < kItems; ++i) {
      FileState state = File(L"f" + std::to_wstring(i) + L"\u00c4", i, At(i, 4'000'000));
      ASSERT_TRUE(list.Add(i % 3 == 0 ? top : sub, state));
    }
    FileState dir = File(L"Sub \u00e9", 0, At(1));
    dir.attributes = FILE_ATTRIBUTE_DIRECTORY;
    dir.nChildCount = 42;
    ASSERT_TRUE(list.Add(top, dir));
    ASSERT_EQ(list.GetCount(), kItems + 1u);
    EXPECT_EQ(list.Record(kItems).m_state.nChildCount, 42u);  // a look removes nothing

    for (int i = 0; i <= kItems; ++i) {
      SCOPED_TRACE(i);
      const CVemoScanEntry record = list.RemoveHead();
      const bool is_dir = i == kItems;
      const CVemoScanEntry expected(
          is_dir ? dir : File(L"f" + std::to_wstring(i) + L"\u00c4", i, At(i, 4'000'000)), kBase,
          is_dir || i % 3 == 0 ? SharedText() : SharedText(L"Sub \u00e9/"), kDriveCd, key_case);
      EXPECT_EQ(record.m_state.name, expected.m_state.name);
      EXPECT_EQ(record.m_state.size, expected.m_state.size);
      EXPECT_EQ(record.m_state.time, expected.m_state.time);  // whole seconds
      EXPECT_EQ(record.m_state.attributes, expected.m_state.attributes);
      EXPECT_EQ(record.m_strRelDir, expected.m_strRelDir);
      EXPECT_EQ(record.m_strBaseDir.str(), kBase);
      EXPECT_EQ(record.m_nDriveType, kDriveCd);
      EXPECT_EQ(record.m_keyCase, key_case);
      EXPECT_STREQ(record.m_pszKey, expected.m_pszKey);
      // A directory keeps the count of files the walk found in it.
      EXPECT_EQ(record.m_state.nChildCount, is_dir ? 42u : 0u);
      if (HasFailure()) break;
    }
    EXPECT_TRUE(list.IsEmpty());
  }
}

TEST(ScanList, FailureLeavesOnlyTheErrorRecord) {
  CVemoScanList list(kBase, kDriveCd, KeyCase::kExact);
  std::uint32_t top = 0;
  ASSERT_TRUE(list.AddDirectory(SharedText(), &top));
  ASSERT_TRUE(list.Add(top, File(L"a")));
  ASSERT_TRUE(list.Add(top, File(L"b")));
  list.Fail(5, SharedText(L"locked/"));
  ASSERT_EQ(list.GetCount(), 1u);
  const CVemoScanEntry record = list.RemoveHead();
  EXPECT_EQ(record.m_dwError, 5u);
  EXPECT_EQ(record.m_strRelDir.str(), L"locked/");
  EXPECT_EQ(record.m_strBaseDir.str(), kBase);
  EXPECT_EQ(record.m_nDriveType, kDriveCd);
  EXPECT_EQ(record.m_pszKey, nullptr);
  EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
