// The rows of a list view over documents of real trees: the category filter, the empty-folder walk,
// every entry while a cycle runs, and the entry-to-row lookup.
#include "document/entry_rows.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "document/doc_fixture.h"
#include "foundation/process_values.h"

namespace vemo_test {
namespace {

std::vector<std::wstring> RowPaths(const CVemoEntryRows& rows) {
  std::vector<std::wstring> paths;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    paths.push_back(rows[i]->m_strRelDir.str() + rows[i]->GetCurrentState().name);
  }
  return paths;
}

// A verified tree with an entry of every category: unchanged, changed, new, not found and read
// error files; a folder with files, one without entries, a new one, and one whose only file is
// gone.
class EntryRowsTest : public DocFixture {
 protected:
  CVemoDoc& VerifiedTree() {
    File("broken.err", "broken");
    File("changed.txt", "1234");
    File("gone.txt", "gone");
    File("same.txt", "same");
    tree_.Dir("empty");
    tree_.Dir("full");
    File("full/bad.err", "bad");
    File("full/same2.txt", "same2");
    tree_.Dir("onlygone");
    File("onlygone/x.txt", "x");
    CreateAndSaveList();

    File("changed.txt", "5678");
    std::filesystem::remove(tree_.Path("gone.txt"));
    std::filesystem::remove(tree_.Path("onlygone/x.txt"));
    File("fresh.txt", "fresh");
    tree_.Dir("newdir");
    File("newdir/n.txt", "n");
    FailOpening(".err");
    return OpenAndRun();
  }
};

struct FilterCase {
  DWORD show_flags;
  std::vector<std::wstring> rows;
};

TEST_F(EntryRowsTest, FiltersByCategoryAndDropsFoldersWithoutShownFiles) {
  CVemoDoc& doc = VerifiedTree();
  ASSERT_EQ(doc.GetState(), DocState::kIdle);
  ASSERT_EQ(Note(L"broken.err"), Note(L"full/bad.err"));
  ASSERT_NE(Find(L"broken.err")->m_dwError, 0u);

  // Key order: the base directory's files, then each folder followed by its files.
  const std::vector<std::wstring> all = {
      L"broken.err",   L"changed.txt", L"fresh.txt",     L"gone.txt",       L"same.txt",
      L"empty",        L"full",        L"full/bad.err",  L"full/same2.txt", L"newdir",
      L"newdir/n.txt", L"onlygone",    L"onlygone/x.txt"};
  const FilterCase cases[] = {
      {63, all},
      {0, {}},
      {SF_SAME, {L"same.txt", L"full", L"full/same2.txt"}},
      // Without SF_ERRORS a file that could not be read is judged by its comparison: its contents
      // are not known to be the listed ones.
      {SF_CHANGED, {L"broken.err", L"changed.txt", L"full", L"full/bad.err"}},
      {SF_NEW, {L"fresh.txt", L"newdir", L"newdir/n.txt"}},
      {SF_MISSING, {L"gone.txt", L"onlygone", L"onlygone/x.txt"}},
      // Errors with every other bit clear: the files with an error and the folders right before
      // one of them.
      {SF_ERRORS, {L"broken.err", L"full", L"full/bad.err"}},
      // Every folder, with or without entries, and nothing else.
      {SF_EMPTY_FOLDERS, {L"empty", L"full", L"newdir", L"onlygone"}},
      {SF_SAME | SF_EMPTY_FOLDERS,
       {L"same.txt", L"empty", L"full", L"full/same2.txt", L"newdir", L"onlygone"}},
      {63 & ~SF_EMPTY_FOLDERS,
       {L"broken.err", L"changed.txt", L"fresh.txt", L"gone.txt", L"same.txt", L"full",
        L"full/bad.err", L"full/same2.txt", L"newdir", L"newdir/n.txt", L"onlygone",
        L"onlygone/x.txt"}},
  };
  CVemoEntryRows rows;
  for (const FilterCase& c : cases) {
    rows.Rebuild(doc, c.show_flags);
    EXPECT_EQ(RowPaths(rows), c.rows) << "show flags " << c.show_flags;
  }
}

TEST_F(EntryRowsTest, ShowsEveryEntryWhileACycleRuns) {
  File("same.txt", "same");
  tree_.Dir("empty");
  CVemoDoc& doc = CreateAndSaveList();
  doc.StartRescan(RescanMode::kNew);
  ASSERT_NE(doc.GetState(), DocState::kIdle);
  CVemoEntryRows rows;
  rows.Rebuild(doc, 0);
  EXPECT_EQ(rows.size(), doc.GetEntries().GetCount());
  EXPECT_EQ(RowPaths(rows), (std::vector<std::wstring>{L"same.txt", L"empty"}));

  // Idle again, the filters apply.
  ASSERT_TRUE(RunUntilIdle(doc));
  rows.Rebuild(doc, 0);
  EXPECT_TRUE(rows.empty());
}

// Cut into the smallest slices, a rebuild gives what a whole one gives, and the rows stay the old
// ones until the new are taken. Over the rows of every entry (a cycle's) with the same entries, it
// filters those rows; when every entry shows again there is nothing to rebuild.
TEST_F(EntryRowsTest, RebuildInSlicesGivesTheRowsOfAWholeRebuild) {
  CVemoDoc& doc = VerifiedTree();
  auto sliced = [&doc](CVemoEntryRows& rows, DWORD show_flags) {
    const std::vector<std::wstring> before = RowPaths(rows);
    if (!rows.BeginRebuild(doc, show_flags)) return false;
    CVemoPollBudget none(std::chrono::microseconds::zero());
    while (!rows.ContinueRebuild(none)) EXPECT_EQ(RowPaths(rows), before);
    rows.TakeRebuilt();
    EXPECT_FALSE(rows.IsRebuilding());
    return true;
  };
  auto whole = [&doc](DWORD show_flags) {
    CVemoEntryRows rows;
    rows.Rebuild(doc, show_flags);
    return RowPaths(rows);
  };
  const DWORD flag_sets[] = {63, 63 & ~SF_EMPTY_FOLDERS, SF_ERRORS, SF_SAME | SF_MISSING, 0};
  CVemoEntryRows rows;
  for (const DWORD flags : flag_sets) {
    ASSERT_TRUE(sliced(rows, flags));
    EXPECT_EQ(RowPaths(rows), whole(flags)) << "show flags " << flags;
  }

  for (const DWORD flags : flag_sets) {
    doc.StartRescan(RescanMode::kNew);
    // Past the walk's end: the entries stay the same ones until Idle.
    ASSERT_TRUE(WaitUntil([&] {
      RunIdleOnce(doc);
      return doc.GetState() == DocState::kChecksumming || doc.GetState() == DocState::kFormatting;
    }));
    ASSERT_TRUE(sliced(rows, flags));
    EXPECT_EQ(rows.size(), doc.GetEntries().GetCount());
    EXPECT_FALSE(rows.BeginRebuild(doc, flags));
    ASSERT_TRUE(RunUntilIdle(doc));
    ASSERT_TRUE(sliced(rows, flags));
    EXPECT_EQ(RowPaths(rows), whole(flags)) << "show flags " << flags;
  }
}

TEST_F(EntryRowsTest, FindsTheRowOfEachShownEntryAndNoneForOthers) {
  CVemoDoc& doc = VerifiedTree();
  CVemoEntryRows rows;
  rows.Rebuild(doc, SF_NEW | SF_MISSING);
  ASSERT_FALSE(rows.empty());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows.RowOf(rows[i]), static_cast<std::ptrdiff_t>(i));
  }
  EXPECT_EQ(rows.RowOf(Find(L"same.txt")), -1);
  EXPECT_EQ(rows.RowOf(Find(L"full")), -1);
  EXPECT_EQ(rows.RowOf(nullptr), -1);

  rows.Clear();
  EXPECT_EQ(rows.RowOf(Find(L"fresh.txt")), -1);
}

}  // namespace
}  // namespace vemo_test
