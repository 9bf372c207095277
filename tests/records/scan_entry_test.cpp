// The records the scanner hands to the document: a scan record of a found item or of a failed
// walk, and the file state it carries.
#include "records/scan_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "records/file_state.h"

namespace {

constexpr DWORD kDriveFixed = 3;
constexpr DWORD kDriveCd = 5;
constexpr DWORD kArchive = 0x20;
const wchar_t* const kBase = L"/data/tree/";

// 2024-03-14 10:00:00 UTC plus `seconds`.
CNTimeStamp At(long long seconds, ULONGLONG fraction = 0) {
  constexpr long long kEpoch = 1710410400LL + 11644473600LL;  // Unix time + 1601..1970 offset
  return CNTimeStamp(static_cast<ULONGLONG>(kEpoch + seconds) * 10'000'000ULL + fraction);
}

FileState File(std::wstring name, ULONGLONG size = 100, CNTimeStamp time = At(0),
               DWORD attributes = kArchive, DWORD crc1 = 0x1111, DWORD crc2 = 0x2222) {
  FileState s;
  s.name = std::move(name);
  s.size = size;
  s.time = time;
  s.attributes = attributes;
  s.dwCrc1 = crc1;
  s.dwCrc2 = crc2;
  return s;
}

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
               "\x01"
               "data\x01tree\x01sub\x01\x01"
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
