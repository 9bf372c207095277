// Whole cycles of a document over real temporary trees: create, verify, update, the statuses of the
// comparison rules, freezing, save-and-close, failed walks.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "document/doc_fixture.h"
#include "foundation/process_values.h"
#include "foundation/system_error.h"
#include "platform/tick.h"

namespace vemo_test {
namespace {

class DocCycleTest : public DocFixture {};

TEST_F(DocCycleTest, CreatesVerifiesAndUpdatesAList) {
  File("a.txt", "alpha");
  tree_.Dir("sub");
  File("sub/b.txt", "beta beta");

  // A new list: every item is new, the document is modified and its text lists them.
  CVemoDoc& created = OpenAndRun();
  EXPECT_EQ(created.GetEntries().GetCount(), 3u);
  EXPECT_EQ(Note(L"a.txt"), L"New file");
  EXPECT_EQ(Note(L"sub/b.txt"), L"New file");
  EXPECT_EQ(Note(L"sub"), L"New directory");
  EXPECT_TRUE(created.IsModified());
  EXPECT_EQ(created.GetModifiedText(), L"MOD!");
  EXPECT_EQ(created.GetPhaseText(), L"Idle");
  EXPECT_EQ(created.GetCountText(), L"Idle");

  // Saved into the base directory: committed, and a Rescan New cycle reads no file again.
  fs_.ResetCounts();
  ASSERT_TRUE(created.DoFileSave());
  EXPECT_EQ(created.GetState(), DocState::kScanning);
  EXPECT_EQ(created.GetRescanMode(), RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(created));
  EXPECT_EQ(fs_.Count(FsCall::kOpenForRead), 0);
  EXPECT_FALSE(created.IsModified());
  EXPECT_EQ(Note(L"a.txt"), L"Contents unchanged");
  const std::string saved = ReadBytes(DocPath());
  EXPECT_NE(saved.find("a.txt"), std::string::npos);
  EXPECT_NE(saved.find("sub\\\\\",b.txt"), std::string::npos);
  EXPECT_EQ(BufferBytes(created.GetFileBuffer()).find("check.sum"), std::string::npos);

  // Opening it again verifies every file (Rescan All after loading); nothing changed.
  host_.hints.clear();
  host_.beeps = 0;
  std::vector<DocState> phases;
  CVemoDoc& verified = NewDoc();
  ASSERT_TRUE(verified.OnOpenDocument(Wide(DocPath())));
  fs_.ResetCounts();
  while (verified.GetState() != DocState::kIdle) {
    if (phases.empty() || phases.back() != verified.GetState())
      phases.push_back(verified.GetState());
    RunIdleOnce(verified);
  }
  EXPECT_EQ(phases.front(), DocState::kLoading);
  EXPECT_EQ(fs_.Count(FsCall::kOpenForRead), 2);
  EXPECT_EQ(verified.GetEntries().GetCount(), 3u);
  EXPECT_EQ(Note(L"sub/b.txt"), L"Contents unchanged");
  EXPECT_FALSE(verified.IsModified());
  EXPECT_EQ(verified.GetModifiedText(), L"SAME");
  EXPECT_EQ(host_.beeps, 1);  // the user looks elsewhere
  EXPECT_GE(host_.CountHints(RFSH), 4u);
  // The listed directory counts the entries inside it.
  EXPECT_EQ(Find(L"sub")->m_stored.nChildCount, 1u);
}

TEST_F(DocCycleTest, AChangedToleranceRecomparesEveryEntry) {
  File("a.txt", "alpha");
  CreateAndSaveList();
  File("a.txt", "alpha", kTreeTime + 3600);  // a summer-time shift: one whole hour
  CVemoDoc& doc = OpenAndRun();
  const std::wstring tolerated = Note(L"a.txt");
  EXPECT_FALSE(doc.IsModified());

  TolTZShift.store(0);
  host_.hints.clear();
  ASSERT_TRUE(doc.RecompareEntries());
  EXPECT_NE(Note(L"a.txt"), tolerated);
  EXPECT_NE(Note(L"a.txt").find(L"Newer"), std::wstring::npos);
  EXPECT_EQ(host_.CountHints(RFSH), 1u);

  // Refused while a cycle runs: the entries are not settled then.
  doc.Rescan(RescanMode::kAll);
  EXPECT_FALSE(doc.RecompareEntries());
  ASSERT_TRUE(RunUntilIdle(doc));
}

TEST_F(DocCycleTest, SaveWithoutFollowUpCommitsAndStaysIdle) {
  File("a.txt", "alpha");
  tree_.Dir("sub");
  File("sub/b.txt", "beta beta");
  CVemoDoc& doc = OpenAndRun();
  const std::string text = BufferBytes(doc.GetFileBuffer());

  // A host that ends after saving: the list is written and committed, and no walk starts.
  doc.SetRescanAfterSave(false);
  ASSERT_TRUE(doc.DoFileSave());
  EXPECT_EQ(doc.GetState(), DocState::kIdle);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(ReadBytes(DocPath()), text);
  const CVemoEntry* a = Find(L"a.txt");
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->m_dwFlags & EF_LISTED);
  EXPECT_TRUE(a->m_stored.HasChecksums());
  EXPECT_EQ(a->m_stored.dwCrc1, a->m_current.dwCrc1);

  // The committed entries serve a Rescan New cycle started later: no file is read again.
  fs_.ResetCounts();
  doc.StartRescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_EQ(fs_.Count(FsCall::kOpenForRead), 0);
  EXPECT_EQ(Note(L"sub/b.txt"), L"Contents unchanged");
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocCycleTest, ShowsEveryStatusOfTheComparisonRules) {
  fs_.fold_case = true;  // a volume that folds letter case, like vfat
  File("same.txt", "same");
  File("changed.txt", "1234");
  File("newer.txt", "newer");
  File("older.txt", "older");
  File("attr.txt", "attr");
  File("Case.txt", "case");
  File("gone.txt", "gone");
  File("error.txt", "error");
  CreateAndSaveList();
  EXPECT_EQ(doc_->GetKeyCase(), KeyCase::kFold);

  File("changed.txt", "5678");  // same size and time, other contents
  tree_.SetTime("newer.txt", kTreeTime + 100);
  tree_.SetTime("older.txt", kTreeTime - 100);
  ASSERT_EQ(chmod(tree_.Path("attr.txt").c_str(), 0444), 0);
  std::filesystem::rename(tree_.Path("Case.txt"), tree_.Path("CASE.txt"));
  std::filesystem::remove(tree_.Path("gone.txt"));
  File("fresh.txt", "fresh");
  FailOpening("/error.txt");

  doc_->Rescan(RescanMode::kAll);
  ASSERT_TRUE(RunUntilIdle(*doc_));
  EXPECT_EQ(Note(L"same.txt"), L"Contents unchanged");
  EXPECT_EQ(Note(L"changed.txt"), L"Contents changed");
  EXPECT_EQ(Note(L"newer.txt"), L"Contents unchanged, Newer time stamp (+00:01:40)");
  EXPECT_EQ(Note(L"older.txt"), L"Contents unchanged, Older(!) time stamp (-00:01:40)");
  EXPECT_EQ(Note(L"attr.txt"), L"Contents unchanged, Attr changed (r-----------)");
  EXPECT_EQ(Note(L"CASE.txt"), L"Contents unchanged, Name (case) changed");
  EXPECT_EQ(Note(L"gone.txt"), L"File not found");
  EXPECT_EQ(Note(L"fresh.txt"), L"New file");
  EXPECT_EQ(Note(L"error.txt"), FormatSystemError(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(doc_->IsModified());

  // Saved: the missing file leaves the list, the others are listed as found.
  fs_.ClearFaults();
  ASSERT_TRUE(doc_->DoFileSave());
  ASSERT_TRUE(RunUntilIdle(*doc_));
  EXPECT_EQ(Find(L"gone.txt"), nullptr);
  EXPECT_EQ(Note(L"CASE.txt"), L"Contents unchanged");
  EXPECT_EQ(Note(L"fresh.txt"), L"Contents unchanged");
}

TEST_F(DocCycleTest, SaveKeepsListedStateOfAFileThatCouldNotBeRead) {
  File("kept.txt", "kept contents");
  File("other.txt", "other");
  CreateAndSaveList();
  const CVemoEntry* listed = Find(L"kept.txt");
  ASSERT_NE(listed, nullptr);
  const FileState before = listed->m_stored;
  ASSERT_TRUE(before.HasChecksums());

  // The file changed size and time, but a read error hides its contents; a file never listed
  // cannot be read either.
  File("kept.txt", "kept contents, longer", kTreeTime + 60);
  File("fresh.txt", "fresh");
  FailOpening(".txt");
  CVemoDoc& doc = OpenAndRun();
  EXPECT_EQ(Note(L"kept.txt"), FormatSystemError(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(doc.DoFileSave());
  ASSERT_TRUE(RunUntilIdle(doc));

  // Across the commit, and in the file read back, the old listed state stands.
  const CVemoEntry* committed = Find(L"kept.txt");
  ASSERT_NE(committed, nullptr);
  EXPECT_EQ(committed->m_stored.dwCrc1, before.dwCrc1);
  EXPECT_EQ(committed->m_stored.dwCrc2, before.dwCrc2);
  EXPECT_EQ(committed->m_stored.size, before.size);
  fs_.ClearFaults();
  CVemoDoc& reopened = NewDoc();
  ASSERT_TRUE(reopened.OnOpenDocument(Wide(DocPath())));
  while (reopened.GetState() == DocState::kLoading) RunIdleOnce(reopened);
  const CVemoEntry* reloaded = Find(L"kept.txt");
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(reloaded->m_stored.dwCrc1, before.dwCrc1);
  EXPECT_EQ(reloaded->m_stored.dwCrc2, before.dwCrc2);
  EXPECT_EQ(reloaded->m_stored.size, before.size);
  EXPECT_EQ(reloaded->m_stored.time, before.time);
  // The file never listed is written as found, without checksums.
  const CVemoEntry* fresh = Find(L"fresh.txt");
  ASSERT_NE(fresh, nullptr);
  EXPECT_FALSE(fresh->m_stored.HasChecksums());
  EXPECT_EQ(fresh->m_stored.size, 5u);
  ASSERT_TRUE(RunUntilIdle(reopened));
  // Read again, it shows how it differs from what was listed before the read error.
  EXPECT_EQ(Note(L"kept.txt"), L"Contents changed, Newer time stamp (+00:01:00)");
}

TEST_F(DocCycleTest, CaseSensitiveVolumeKeepsNamesOfOtherCaseApart) {
  File("Readme.txt", "one");
  CreateAndSaveList();
  EXPECT_EQ(doc_->GetKeyCase(), KeyCase::kExact);
  std::filesystem::rename(tree_.Path("Readme.txt"), tree_.Path("README.txt"));
  doc_->Rescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(*doc_));
  EXPECT_EQ(Note(L"Readme.txt"), L"File not found");
  EXPECT_EQ(Note(L"README.txt"), L"New file");
}

TEST_F(DocCycleTest, FileThatCameAndWentLeavesWithoutChangingTheDocument) {
  File("kept.txt", "kept");
  CreateAndSaveList();
  File("brief.txt", "brief");
  // Rescan without reloading (the list file gone), so the new entry lives on in memory.
  std::filesystem::remove(DocPath());
  doc_->Rescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(*doc_));
  ASSERT_NE(Find(L"brief.txt"), nullptr);
  doc_->SetModifiedFlag(false);
  std::filesystem::remove(tree_.Path("brief.txt"));
  doc_->Rescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(*doc_));
  EXPECT_EQ(Find(L"brief.txt"), nullptr);
  EXPECT_FALSE(doc_->IsModified());
}

TEST_F(DocCycleTest, FailedWalkNeverDropsListedEntries) {
  File("one.txt", "1");
  File("two.txt", "22");
  CreateAndSaveList();
  const std::string list = ReadBytes(DocPath());

  // The walk fails: one message naming the base directory, every entry not found — but the
  // document is not modified, and Save+Close closes without saving.
  fs_.Fail({.call = FsCall::kOpenListing, .error = ERROR_ACCESS_DENIED});
  host_.messages.clear();
  CVemoDoc& doc = NewDoc();
  doc.ToggleSaveAndCloseWhenDone();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, L"Error (5): Access is denied.\r" + Wide(tree_.root()));
  EXPECT_EQ(host_.messages[0].style & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(Note(L"one.txt"), L"File not found");
  EXPECT_TRUE(doc.IsCycleIncomplete());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(host_.frame_closes, 1);
  EXPECT_EQ(ReadBytes(DocPath()), list);

  // An explicit save writes the last complete list and keeps the entries.
  ASSERT_TRUE(doc.DoFileSave());
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_EQ(ReadBytes(DocPath()), list);
  EXPECT_EQ(doc.GetEntries().GetCount(), 2u);

  // The walk works again: the entries are found unchanged.
  fs_.ClearFaults();
  doc.Rescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_EQ(Note(L"two.txt"), L"Contents unchanged");
  EXPECT_FALSE(doc.IsCycleIncomplete());
}

TEST_F(DocCycleTest, FailedWalkOfAModifiedDocumentIsNotSavedAutomatically) {
  File("one.txt", "1");
  CVemoDoc& doc = CreateAndSaveList();
  File("new.txt", "new");
  std::filesystem::remove(DocPath());  // no reload: the rescan keeps the entries in memory
  doc.Rescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_TRUE(doc.IsModified());
  const std::string complete = BufferBytes(doc.GetFileBuffer());

  fs_.Fail({.call = FsCall::kOpenListing, .error = ERROR_PATH_NOT_FOUND});
  doc.ToggleSaveAndCloseWhenDone();
  doc.Rescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_FALSE(std::filesystem::exists(DocPath()));  // not saved
  EXPECT_EQ(host_.frame_closes, 0);                  // and left open
  EXPECT_EQ(BufferBytes(doc.GetFileBuffer()), complete);

  // The close prompt offers to save; Yes writes the last complete list, with both files.
  host_.answers = {IDYES};
  EXPECT_TRUE(doc.SaveModified());
  const std::string saved = ReadBytes(DocPath());
  EXPECT_NE(saved.find("one.txt"), std::string::npos);
  EXPECT_NE(saved.find("new.txt"), std::string::npos);
  EXPECT_NE(Find(L"one.txt"), nullptr);
}

TEST_F(DocCycleTest, SaveAndCloseWhenDone) {
  File("a.txt", "a");
  // Modified at the end of the first cycle: saved, then the Rescan New cycle finds nothing new
  // and the document closes, and with it the main window when no document is left.
  CVemoDoc& doc = NewDoc();
  doc.ToggleSaveAndCloseWhenDone();
  EXPECT_TRUE(doc.IsCommandChecked(ID_FILE_SAVE_CLOSE_WHEN_DONE));
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_TRUE(std::filesystem::exists(DocPath()));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(host_.frame_closes, 1);
  EXPECT_EQ(host_.close_on_no_document, 1);
  EXPECT_EQ(host_.beeps, 0);
}

TEST_F(DocCycleTest, AFileListedWithoutChecksumsIsReadAgainByRescanNew) {
  // A file that could not be read for the list (or changed while it was read) is listed without
  // checksums; a Rescan New must read it rather than take the missing checksums as unchanged.
  File("a.txt", "a");
  File("b.busy", "b");
  FailOpening(".busy");
  CVemoDoc& created = OpenAndRun();
  created.SetRescanAfterSave(false);
  ASSERT_TRUE(created.DoFileSave());
  EXPECT_NE(
      ReadBytes(DocPath()).find("FFFFFFFF,FFFFFFFF,\"2023-11-14 22:13:20\",------------,,b.busy"),
      std::string::npos)
      << ReadBytes(DocPath());

  fs_.ClearFaults();
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  while (doc.GetState() == DocState::kLoading) RunIdleOnce(doc);
  doc.StartRescan(RescanMode::kNew);
  fs_.ResetCounts();
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_EQ(fs_.Count(FsCall::kOpenForRead), 1);
  ASSERT_NE(Find(L"b.busy"), nullptr);
  EXPECT_NE(Find(L"b.busy")->m_current.dwCrc1, kNoCrc);
  EXPECT_EQ(Note(L"a.txt"), L"Contents unchanged");
}

TEST_F(DocCycleTest, FreezeHoldsTheCycleAndBlinks) {
  File("a.txt", "a");
  FreezeScans = 1;
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  EXPECT_TRUE(HoldsFor(
      [&] {
        RunIdleOnce(doc);
        return doc.GetState() == DocState::kScanning;
      },
      std::chrono::milliseconds(100)));
  ASSERT_GE(ActiveWorkerCount.load(), 1u);
  // Blinks once a second: shown in odd half-seconds of the tick count.
  for (int tries = 0; tries < 10; ++tries) {
    const DWORD before = platform::TickCount() / 500;
    const std::wstring text = doc.GetRateText();
    if (platform::TickCount() / 500 != before) continue;
    EXPECT_EQ(text, before % 2 == 1 ? L"** FREEZE **" : L"");
    break;
  }
  EXPECT_TRUE(doc.IsCommandChecked(ID_FILE_FREEZE));
  doc.OnCommand(ID_FILE_FREEZE);
  EXPECT_EQ(FreezeScans.load(), 0u);
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_EQ(Note(L"a.txt"), L"New file");
}

TEST_F(DocCycleTest, PollingFollowsTheIdleCounts) {
  File("a.txt", "a");
  CVemoDoc& doc = OpenAndRun();
  EXPECT_TRUE(doc.PollWork(0));
  EXPECT_TRUE(doc.PollWork(99));
  EXPECT_FALSE(doc.PollWork(102));
  // The last phase change (to Idle) fits the columns 0..10 on the eleven polls that follow.
  for (int i = 0; i < 12; ++i) RunIdleOnce(doc);
  const std::vector<int>& fitted = host_.fitted_columns;
  ASSERT_GE(fitted.size(), 11u);
  EXPECT_EQ(std::vector<int>(fitted.end() - 11, fitted.end()),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  host_.fitted_columns.clear();
  EXPECT_EQ(RunIdleOnce(doc), 100);  // nothing more wanted: the loop stops at count 100
  EXPECT_TRUE(host_.fitted_columns.empty());
}

TEST_F(DocCycleTest, StatusTextsDuringTheCycle) {
  File("big.bin", std::string(1 << 20, 'x'));
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  EXPECT_EQ(doc.GetState(), DocState::kScanning);
  EXPECT_EQ(doc.GetCountText(), L"0 files in 0 directories");
  const std::wstring phase = doc.GetPhaseText();
  EXPECT_TRUE(phase == L"Initializing directory scan..." || phase.starts_with(L"Scannning /"))
      << phase;
  bool saw_checksumming = false;
  while (doc.GetState() != DocState::kIdle) {
    if (doc.GetState() == DocState::kChecksumming) {
      saw_checksumming = true;
      const std::wstring count = doc.GetCountText();
      EXPECT_TRUE(count == L"CRCs done" || count.ends_with(L" of 1,024 KB")) << count;
      EXPECT_LE(doc.GetProgressStep(), 15);
    } else {
      EXPECT_EQ(doc.GetProgressStep(), -1);
    }
    RunIdleOnce(doc);
  }
  EXPECT_TRUE(saw_checksumming);
  EXPECT_EQ(doc.GetElapsedText(), L"");
  EXPECT_EQ(doc.GetRateText(), L"");
}

}  // namespace
}  // namespace vemo_test
