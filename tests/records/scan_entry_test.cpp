// The records the scanner hands to the document: a scan record of a found item or of a failed
// walk, and the file state it carries.
#include "records/scan_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "records/file_state.h"
#include "records/file_state_fixture.h"

namespace {

using records_test::At;
using records_test::File;
using records_test::kArchive;
using records_test::kDriveCd;
using records_test::kDriveFixed;

const wchar_t* const kBase = L"/data/tree/";

TEST(ScanEntry, FoundItemDropsFractionsAndChecksumsAndBuildsItsKey) {
  FileState seen = File(L"a.txt", 5, At(0, 9'999'999), kArchive, 7, 8);
  seen.nChildCount = 4;
  const CVemoScanEntry scan(seen, kBase, L"sub/", kDriveCd, KeyCase::kExact);
  EXPECT_EQ(scan.m_state.time, At(0));  // 12:00:00.9999999 is recorded as 12:00:00
  EXPECT_EQ(scan.m_state.nChildCount, 0u);
  EXPECT_FALSE(scan.m_state.HasChecksums());
  EXPECT_EQ(scan.m_nDriveType, kDriveCd);
  EXPECT_EQ(scan.m_dwError, 0u);
  ASSERT_NE(scan.m_pszKey, nullptr);
  EXPECT_STREQ(scan.m_pszKey,
               "sub\x01\x01"
               "a.txt");
  EXPECT_STREQ(scan.GetRuntimeClassName(), "CVemoScanEntry");
}

TEST(ScanEntry, ErrorRecordHasNoKeyAndTheEmptyState) {
  const CVemoScanEntry error(DWORD{5}, kBase, L"", kDriveFixed);
  EXPECT_EQ(error.m_pszKey, nullptr);
  EXPECT_EQ(error.m_dwError, 5u);
  EXPECT_TRUE(error.m_state.name.empty());
  EXPECT_EQ(error.m_state.size, kNoSize);
  EXPECT_EQ(error.m_state.attributes, kNoAttributes);
  EXPECT_EQ(error.m_state.time, CNTimeStamp());
}

TEST(FileStateTest, ChecksumsNeedBothValues) {
  FileState s = File(L"x");
  EXPECT_TRUE(s.HasChecksums());
  s.dwCrc2 = kNoCrc;
  EXPECT_FALSE(s.HasChecksums());
  s = File(L"x", 1, At(0), kArchive, kNoCrc, 1);
  EXPECT_FALSE(s.HasChecksums());
}

}  // namespace
