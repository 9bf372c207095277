#include "document/entries/entry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "records_fixture.h"

namespace {

using namespace records_test;

TEST(Entry, NewEntryFromScanRecordCopiesStateAndKey) {
  const CVemoScanEntry scan = Scanned(File(L"n.bin", 9));
  const CVemoEntry e(scan);
  EXPECT_EQ(e.m_dwFlags, EF_FOUND);
  EXPECT_TRUE(IsNew(e.m_dwFlags));
  EXPECT_EQ(e.m_current.name, L"n.bin");
  EXPECT_EQ(e.m_stored.size, kNoSize);
  ASSERT_NE(e.m_pszKey, scan.m_pszKey);  // its own copy
  EXPECT_STREQ(e.m_pszKey, scan.m_pszKey);
  EXPECT_EQ(e.GetEntryPath(), L"/data/tree/sub/n.bin");
  EXPECT_STREQ(e.GetRuntimeClassName(), "CVemoEntry");
}

TEST(Entry, ListedAndScannedOfOneItemShareTheKey) {
  const auto listed = Listed(File(L"Readme.txt"), L"sub/", KeyCase::kFold);
  const CVemoScanEntry scan = Scanned(File(L"README.TXT"), L"SUB/", kDriveFixed, KeyCase::kFold);
  EXPECT_STREQ(listed->m_pszKey, scan.m_pszKey);
  const auto exact = Listed(File(L"Readme.txt"));
  EXPECT_STRNE(exact->m_pszKey, Scanned(File(L"README.TXT")).m_pszKey);
}

TEST(Entry, SetAndTestFlags) {
  auto e = Listed(File(L"f"));
  EXPECT_TRUE(e->SetFlags(EF_AWAITING_SCAN | EF_CRC_PENDING, EF_AWAITING_SCAN));
  EXPECT_FALSE(e->SetFlags(EF_AWAITING_SCAN, ~DWORD{0}));
  EXPECT_EQ(e->m_dwFlags, EF_LISTED | EF_AWAITING_SCAN);
  EXPECT_TRUE(e->TestFlags(EF_LISTED | EF_CRC_PENDING, EF_LISTED));
  EXPECT_FALSE(e->TestFlags(EF_NOT_FOUND_MASK, EF_NOT_FOUND_VALUE));
}

TEST(Entry, ApplyScanRecordRejectsOtherDirectories) {
  auto e = Listed(File(L"f"));
  const DWORD before = e->m_dwFlags;
  bool needs = false;
  EXPECT_FALSE(e->ApplyScanRecord(Scanned(File(L"f"), L"other/"), needs));
  EXPECT_FALSE(e->ApplyScanRecord(Scanned(File(L"f"), L"SUB/"), needs));  // exact names
  EXPECT_EQ(e->m_dwFlags, before);
  EXPECT_EQ(e->m_current.name, L"");
  auto folded = Listed(File(L"f"), L"sub/", KeyCase::kFold);
  EXPECT_TRUE(folded->ApplyScanRecord(Scanned(File(L"f"), L"SUB/", 3, KeyCase::kFold), needs));
}

TEST(Entry, VerificationPassMovesTheFlags) {
  auto e = Listed(File(L"f.txt", 100));
  e->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN);
  bool needs = false;
  ASSERT_TRUE(e->ApplyScanRecord(Scanned(File(L"f.txt", 120)), needs));
  EXPECT_TRUE(needs);
  EXPECT_TRUE(IsComparable(e->m_dwFlags));
  EXPECT_FALSE(e->m_dwFlags & EF_AWAITING_SCAN);
  EXPECT_TRUE(e->m_dwFlags & EF_SIZE_LARGER);
  EXPECT_TRUE(e->m_dwFlags & EF_CRC_CHANGED);  // still being computed
  e->SetFlags(EF_CRC_PENDING, EF_CRC_PENDING);
  EXPECT_TRUE(IsQueuedForChecksum(e->m_dwFlags));

  EXPECT_TRUE(e->ApplyCrcResult(0, 0x1111, 0x2222));
  EXPECT_FALSE(e->ApplyCrcResult(0, 0x1111, 0x2222));  // the same result again changes nothing
  EXPECT_FALSE(e->m_dwFlags & EF_CRC_PENDING);
  EXPECT_FALSE(e->m_dwFlags & EF_CRC_CHANGED);
  EXPECT_TRUE(e->ApplyCrcResult(5, kNoCrc, kNoCrc));
  EXPECT_EQ(e->m_dwError, 5u);

  // A file that could not be read is saved and kept with its listed state.
  EXPECT_EQ(&e->GetSavedState(), &e->m_stored);
  EXPECT_TRUE(e->AcceptCurrent());
  EXPECT_EQ(e->m_stored.size, 100u);
  EXPECT_EQ(e->m_stored.dwCrc1, 0x1111u);

  // Read: saving makes the found state the listed one; no difference survives it.
  EXPECT_TRUE(e->ApplyCrcResult(0, 0x1111, 0x2222));
  EXPECT_EQ(&e->GetSavedState(), &e->m_current);
  EXPECT_TRUE(e->AcceptCurrent());
  EXPECT_EQ(e->m_stored.size, 120u);
  EXPECT_EQ(e->m_dwFlags & EF_COMPARE_MASK, 0u);

  // Never listed, a file that could not be read is saved as found.
  CVemoEntry fresh(Scanned(File(L"new.txt", 7)));
  fresh.m_dwError = 5;
  EXPECT_EQ(&fresh.GetSavedState(), &fresh.m_current);
  EXPECT_TRUE(fresh.AcceptCurrent());
  EXPECT_EQ(fresh.m_stored.size, 7u);
}

TEST(Entry, UnchangedFileMayKeepItsListedChecksums) {
  auto e = Listed(File(L"f"));
  e->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN);
  bool needs = true;
  ASSERT_TRUE(e->ApplyScanRecord(Scanned(File(L"f")), needs));
  EXPECT_FALSE(needs);
  e->AssumeCrcUnchanged();
  EXPECT_EQ(e->m_current.dwCrc1, 0x1111u);
  EXPECT_EQ(e->m_dwFlags & EF_COMPARE_MASK, 0u);
}

TEST(Entry, SecondReportKeepsComputedChecksums) {
  CVemoEntry e(Scanned(File(L"f")));
  e.ApplyCrcResult(0, 0xAAAA, 0xBBBB);
  bool needs = true;
  ASSERT_TRUE(e.ApplyScanRecord(Scanned(File(L"f")), needs));
  EXPECT_FALSE(needs);  // compared with the current state, which has its checksums
  EXPECT_EQ(e.m_current.dwCrc1, 0xAAAAu);
  EXPECT_EQ(e.m_current.dwCrc2, 0xBBBBu);
}

TEST(Entry, FinishScanKeepsListedAndDropsVanishedNewEntries) {
  auto listed = Listed(File(L"gone"));
  listed->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN);
  EXPECT_TRUE(listed->FinishScan());
  EXPECT_TRUE(IsNotFound(listed->m_dwFlags));
  EXPECT_EQ(listed->GetColumnText(6), L"File not found");

  CVemoEntry onlyFound(Scanned(File(L"brief")));
  onlyFound.m_dwError = 5;
  onlyFound.SetFlags(EF_AWAITING_SCAN | EF_CRC_PENDING, EF_AWAITING_SCAN | EF_CRC_PENDING);
  EXPECT_FALSE(onlyFound.FinishScan());
  EXPECT_EQ(onlyFound.m_dwFlags, 0u);
  EXPECT_EQ(onlyFound.m_dwError, 0u);
  EXPECT_EQ(onlyFound.m_current.size, kNoSize);
  EXPECT_FALSE(onlyFound.AcceptCurrent());

  // Seen in this pass: nothing to finish.
  CVemoEntry seen(Scanned(File(L"here")));
  EXPECT_TRUE(seen.FinishScan());
  EXPECT_EQ(seen.m_dwFlags, EF_FOUND);
}

TEST(Entry, ChildrenOfBothStatesCount) {
  auto dir = Listed(File(L"d", 0, At(0), 0x10));
  EXPECT_FALSE(dir->HasChildren());
  dir->AddChild();
  EXPECT_TRUE(dir->HasChildren());
  EXPECT_EQ(dir->m_stored.nChildCount, 1u);
}

}  // namespace
