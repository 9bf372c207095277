#include "document/entries/entry_columns.h"

#include <gtest/gtest.h>

#include "document/entries/compare_rules.h"
#include "platform/error_codes.h"
#include "records_fixture.h"
#include "time_zone_scope.h"

namespace {

using namespace records_test;

const FileState kListed = File(L"f.txt", 100, At(0), kArchive, 1, 2);

struct NoteCase {
  const char* what;
  FileState found;
  bool tzShift = true, twoSeconds = true, cdAttr = true;
  DWORD drive = kDriveFixed;
  KeyCase mode = KeyCase::kExact;
  FileState stored = kListed;
  // Expected:
  DWORD diff = 0;  // EF_COMPARE_MASK bits
  const wchar_t* note = L"Contents unchanged";
  int sizeImage = 1, dateImage = 1, attrImage = 1, crcImage = 1, noteImage = 1;
};

// Listed/found state pairs through a whole verification pass, with the difference bits, the note
// and the images that result.
TEST(EntryColumns, NotesOfListedAndFoundStates) {
  const NoteCase cases[] = {
      {.what = "unchanged", .found = kListed},
      {.what = "contents",
       .found = File(L"f.txt", 100, At(0), kArchive, 1, 3),
       .diff = EF_CRC_CHANGED,
       .note = L"Contents changed",
       .crcImage = 2,
       .noteImage = 2},
      {.what = "larger",
       .found = File(L"f.txt", 120, At(0), kArchive, 5, 6),
       .diff = EF_SIZE_LARGER | EF_CRC_CHANGED,
       .note = L"Contents changed",
       .sizeImage = 3,
       .crcImage = 2,
       .noteImage = 2},
      {.what = "smaller, same checksums",
       .found = File(L"f.txt", 99, At(0), kArchive, 1, 2),
       .diff = EF_SIZE_SMALLER,
       .note = L"Contents changed",
       .sizeImage = 4,
       .noteImage = 2},
      {.what = "newer",
       .found = File(L"f.txt", 100, At(727), kArchive, 5, 6),
       .diff = EF_TIME_NEWER | EF_CRC_CHANGED,
       .note = L"Contents changed, Newer time stamp (+00:12:07)",
       .dateImage = 3,
       .crcImage = 2,
       .noteImage = 2},
      {.what = "hour shift tolerated",
       .found = File(L"f.txt", 100, At(3600), kArchive, 1, 2),
       .diff = EF_TOL_TZSHIFT,
       .dateImage = 9},
      {.what = "hour shift reported",
       .found = File(L"f.txt", 100, At(3600), kArchive, 1, 2),
       .tzShift = false,
       .diff = EF_TIME_NEWER,
       .note = L"Contents unchanged, Newer time stamp (+01:00:00)",
       .dateImage = 3,
       .noteImage = 2},
      {.what = "a day is no time-zone shift",
       .found = File(L"f.txt", 100, At(-86400), kArchive, 1, 2),
       .diff = EF_TIME_OLDER,
       .note = L"Contents unchanged, Older(!) time stamp (-1d 00:00:00)",
       .dateImage = 4,
       .noteImage = 2},
      {.what = "one second tolerated",
       .found = File(L"f.txt", 100, At(0), kArchive, 1, 2),
       .stored = File(L"f.txt", 100, At(1), kArchive, 1, 2),
       .diff = EF_TOL_2SECONDS,
       .dateImage = 9},
      {.what = "one second reported",
       .found = File(L"f.txt", 100, At(0), kArchive, 1, 2),
       .twoSeconds = false,
       .stored = File(L"f.txt", 100, At(1), kArchive, 1, 2),
       .diff = EF_TIME_OLDER,
       .note = L"Contents unchanged, Older(!) time stamp (-00:00:01)",
       .dateImage = 4,
       .noteImage = 2},
      {.what = "two seconds",
       .found = File(L"f.txt", 100, At(2), kArchive, 1, 2),
       .diff = EF_TIME_NEWER,
       .note = L"Contents unchanged, Newer time stamp (+00:00:02)",
       .dateImage = 3,
       .noteImage = 2},
      {.what = "archive only, any drive",
       .found = File(L"f.txt", 100, At(0), 0, 1, 2),
       .cdAttr = false,
       .diff = EF_TOL_ATTR,
       .attrImage = 9},
      {.what = "read-only on a disk",
       .found = File(L"f.txt", 100, At(0), kArchive | 1, 1, 2),
       .diff = EF_ATTR_CHANGED,
       .note = L"Contents unchanged, Attr changed (r-----------)",
       .attrImage = 2,
       .noteImage = 2},
      {.what = "read-only on a CD",
       .found = File(L"f.txt", 100, At(0), kArchive | 1, 1, 2),
       .drive = kDriveCd,
       .diff = EF_TOL_ATTR,
       .attrImage = 9},
      {.what = "read-only on a CD, not tolerated",
       .found = File(L"f.txt", 100, At(0), kArchive | 1, 1, 2),
       .cdAttr = false,
       .drive = kDriveCd,
       .diff = EF_ATTR_CHANGED,
       .note = L"Contents unchanged, Attr changed (r-----------)",
       .attrImage = 2,
       .noteImage = 2},
      {.what = "letter case of a folding volume",
       .found = File(L"F.TXT", 100, At(0), kArchive, 1, 2),
       .mode = KeyCase::kFold,
       .diff = EF_BASENAME_CASE | EF_EXT_CASE,
       .note = L"Contents unchanged, Name (case) changed",
       .noteImage = 2},
      {.what = "all parts",
       .found = File(L"f.Txt", 100, At(-60), kArchive | 2, 1, 2),
       .mode = KeyCase::kFold,
       .diff = EF_TIME_OLDER | EF_ATTR_CHANGED | EF_EXT_CASE,
       .note = L"Contents unchanged, Older(!) time stamp (-00:01:00), Attr changed "
               L"(-h----------), Name (case) changed",
       .dateImage = 4,
       .attrImage = 2,
       .noteImage = 2},
  };
  for (const NoteCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Tolerances tolerances(c.tzShift, c.twoSeconds, c.cdAttr);
    const auto e = Verified(c.stored, c.found, c.drive, c.mode);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_dwFlags & EF_COMPARE_MASK, c.diff);
    EXPECT_EQ(e->GetColumnText(kColumnNote), c.note);
    EXPECT_EQ(e->GetColumnImage(kColumnSize), c.sizeImage);
    EXPECT_EQ(e->GetColumnImage(kColumnDate), c.dateImage);
    EXPECT_EQ(e->GetColumnImage(kColumnAttr), c.attrImage);
    EXPECT_EQ(e->GetColumnImage(kColumnCrc), c.crcImage);
    EXPECT_EQ(e->GetColumnImage(kColumnNote), c.noteImage);
    EXPECT_EQ(e->GetColumnState(kColumnNote), kCategoryNormal);
    EXPECT_EQ(e->GetColumnState(kColumnCrc), (c.diff & EF_CRC_CHANGED) ? 2 : 1);
    EXPECT_EQ(e->GetColumnState(kColumnSize), (c.diff & 0x0C) ? 2 : 1);
    EXPECT_EQ(e->GetColumnState(kColumnName), (c.diff & EF_BASENAME_CASE) ? 2 : 1);
  }
}

TEST(EntryColumns, ToleranceChangesShowAtTheNextRecompare) {
  const auto e = Verified(kListed, File(L"f.txt", 100, At(3600), kArchive, 1, 2));
  {
    const Tolerances off(false, true, true);
    EXPECT_EQ(e->GetColumnImage(kColumnDate), 9);  // texts come from the stored flags
    e->Recompare();
    EXPECT_EQ(e->GetColumnImage(kColumnDate), 3);
  }
  e->Recompare();
  EXPECT_EQ(e->GetColumnImage(kColumnDate), 9);
}

TEST(EntryColumns, FileColumns) {
  const auto e = Verified(File(L"archive.tar.gz", 1234567), File(L"archive.tar.gz", 1234567));
  EXPECT_EQ(e->GetColumnText(kColumnName), L"archive.tar");
  EXPECT_EQ(e->GetColumnText(kColumnExt), L"gz");
  EXPECT_EQ(e->GetColumnText(kColumnSize), L"1,234,567");
  EXPECT_EQ(e->GetColumnText(kColumnAttr), L"----a-------");
  EXPECT_EQ(e->GetColumnText(kColumnCrc), L"0x00001111/0x00002222");
  EXPECT_EQ(e->GetColumnText(7), L"");
  EXPECT_EQ(e->GetColumnText(-1), L"");
  EXPECT_EQ(e->GetColumnImage(kColumnName), kImageFile);
  EXPECT_EQ(e->GetColumnImage(kColumnExt), kImageNone);
  EXPECT_EQ(e->GetColumnImage(7), kImageNone);
  EXPECT_EQ(e->GetColumnState(7), kCategoryNone);

  struct Split {
    const wchar_t *name, *base, *ext;
  } const splits[] = {
      {L"README", L"README", L""}, {L"notes.", L"notes", L""}, {L".bashrc", L"", L"bashrc"}};
  for (const Split& s : splits) {
    const auto f = Listed(File(s.name));
    EXPECT_EQ(f->GetColumnText(kColumnName), s.base);
    EXPECT_EQ(f->GetColumnText(kColumnExt), s.ext);
  }
}

TEST(EntryColumns, DateIsShownInLocalTime) {
  const TimeZoneScope zone(kCentralEurope);
  const auto e = Listed(File(L"f", 1, At(0, 9'999'999)));  // 2024-03-14 10:00:00.9999999 UTC
  EXPECT_EQ(e->GetColumnText(kColumnDate), L"2024-03-14 11:00:00");
  // A listing without a time stamp shows none, not 1601-01-01.
  EXPECT_EQ(Listed(File(L"f", 1, CNTimeStamp()))->GetColumnText(kColumnDate), L"");
}

TEST(EntryColumns, ProgressNewAndNotFound) {
  // Queued for checksumming: expected checksums shown, note tells the size comparison so far.
  auto pending = Listed(kListed);
  bool needs = false;
  ASSERT_TRUE(pending->ApplyScanRecord(Scanned(File(L"f.txt", 100, At(5))), needs));
  pending->SetFlags(EF_CRC_PENDING, EF_CRC_PENDING);
  EXPECT_EQ(pending->GetColumnText(kColumnCrc), L"0x00000001/0x00000002");
  EXPECT_EQ(pending->GetColumnText(kColumnNote),
            L"In process... size unchanged, Newer time stamp (+00:00:05)");
  EXPECT_EQ(pending->GetColumnImage(kColumnNote), kImageInProcess);
  EXPECT_EQ(pending->GetColumnState(kColumnCrc), kCategoryInProcess);
  EXPECT_EQ(pending->GetColumnState(kColumnDate), kCategoryChanged);

  auto grown = Listed(File(L"g", 1, At(0), kArchive, kNoCrc, kNoCrc));
  ASSERT_TRUE(grown->ApplyScanRecord(Scanned(File(L"g", 2)), needs));
  grown->SetFlags(EF_CRC_PENDING, EF_CRC_PENDING);
  EXPECT_EQ(grown->GetColumnText(kColumnCrc), L"To be calculated...");
  EXPECT_EQ(grown->GetColumnText(kColumnNote), L"In process... size changed");

  auto awaiting = Listed(kListed);
  awaiting->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN);
  EXPECT_EQ(awaiting->GetColumnText(kColumnNote), L"in process...");
  EXPECT_EQ(awaiting->GetColumnImage(kColumnSize), kImageAwaitingScan);
  EXPECT_EQ(awaiting->GetColumnImage(kColumnCrc), kImageInProcess);
  EXPECT_EQ(awaiting->GetColumnState(kColumnName), kCategoryInProcess);

  CVemoEntry fresh(Scanned(File(L"n.txt")));
  EXPECT_EQ(fresh.GetColumnText(kColumnNote), L"New file");
  EXPECT_EQ(fresh.GetColumnImage(kColumnSize), kImageNew);
  EXPECT_EQ(fresh.GetColumnState(kColumnName), kCategoryNew);
  fresh.SetFlags(EF_CRC_PENDING, EF_CRC_PENDING);
  EXPECT_EQ(fresh.GetColumnText(kColumnNote), L"New file, in process...");
  EXPECT_EQ(fresh.GetColumnText(kColumnCrc), L"To be calculated...");
  EXPECT_EQ(fresh.GetColumnImage(kColumnNote), kImageInProcess);
  fresh.ApplyCrcResult(0, 0xABC, 0xDEF);
  EXPECT_EQ(fresh.GetColumnText(kColumnCrc), L"0x00000ABC/0x00000DEF");

  auto gone = Listed(kListed);
  EXPECT_EQ(gone->GetColumnText(kColumnNote), L"File not found");
  EXPECT_EQ(gone->GetColumnText(kColumnName), L"f");  // the listed state is shown
  for (int column : {2, 3, 4, 5, 6}) EXPECT_EQ(gone->GetColumnImage(column), kImageNotFound);
  EXPECT_EQ(gone->GetColumnState(kColumnCrc), kCategoryNotFound);

  CVemoEntry unknown(Scanned(File(L"u", 0, At(0), 0, kNoCrc, kNoCrc)));
  EXPECT_EQ(unknown.GetColumnText(kColumnCrc), L"n/a");
}

TEST(EntryColumns, ReadErrorShowsTheSystemMessage) {
  const auto e = Verified(kListed, kListed, kDriveFixed, KeyCase::kExact, ERROR_ACCESS_DENIED);
  EXPECT_EQ(e->GetColumnText(kColumnNote), L"Access is denied.");
  EXPECT_EQ(e->GetColumnText(kColumnCrc), L"Error (5)");
  for (int column : {kColumnCrc, kColumnNote}) {
    EXPECT_EQ(e->GetColumnImage(column), kImageError);
    EXPECT_EQ(e->GetColumnState(column), kCategoryError);
  }
  // A code without a system text still names the code.
  const auto odd = Verified(kListed, kListed, kDriveFixed, KeyCase::kExact, 99999);
  EXPECT_EQ(odd->GetColumnText(kColumnNote), L"Error 99999: Unknown system error");
}

TEST(EntryColumns, Directories) {
  const DWORD dir = FILE_ATTRIBUTE_DIRECTORY;
  auto listed = Listed(File(L"photos", 0, At(0), dir));
  EXPECT_EQ(listed->GetColumnText(kColumnName), L"[sub/photos]");
  EXPECT_EQ(listed->GetColumnText(kColumnNote), L"Directory not found");
  EXPECT_EQ(listed->GetColumnImage(kColumnName), kImageFolder);
  listed->AddChild();
  EXPECT_EQ(listed->GetColumnImage(kColumnName), kImageFolderWithEntries);

  listed->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN);
  EXPECT_EQ(listed->GetColumnText(kColumnNote), L"in process...");
  bool needs = true;
  ASSERT_TRUE(listed->ApplyScanRecord(Scanned(File(L"photos", 0, At(99), dir)), needs));
  EXPECT_FALSE(needs);
  for (int column : {1, 2, 3, 4, 5, 6}) {
    EXPECT_EQ(listed->GetColumnText(column), L"") << column;
    EXPECT_EQ(listed->GetColumnImage(column), kImageNone) << column;
  }
  EXPECT_EQ(listed->GetColumnState(kColumnDate), kCategoryNormal);  // directories never "changed"

  CVemoEntry fresh(Scanned(File(L"new", 0, At(0), dir), L""));
  EXPECT_EQ(fresh.GetColumnText(kColumnName), L"[new]");
  EXPECT_EQ(fresh.GetColumnText(kColumnNote), L"New directory");
  EXPECT_EQ(fresh.GetColumnImage(kColumnNote), kImageNew);
}

}  // namespace
