// The long steps of a cycle (adopting the loaded entries, merging the walk's records, ending the
// walk) cut into slices over many polls: the same entries, notes and text as in one poll, and
// nothing pending left behind by a close or reload in the middle of a slice.
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "document/doc_fixture.h"

namespace vemo_test {
namespace {

constexpr std::chrono::microseconds kTinyBudget{0};

class DocSlicesTest : public DocFixture {
 protected:
  // A tree of several levels, bigger than any slice of the tiny budget (one item).
  void MakeTree() {
    for (int d = 0; d < 6; ++d) {
      const std::string dir = "dir" + std::to_string(d) + "/";
      tree_.Dir(dir);
      if (d % 2 == 0) tree_.Dir(dir + "inner/");
      for (int f = 0; f < 8; ++f) {
        File(dir + "file" + std::to_string(f) + ".txt", std::string(f * 3 + d, 'x'));
        if (d % 2 == 0) File(dir + "inner/deep" + std::to_string(f), "deep " + std::to_string(f));
      }
    }
    File("top.txt", "top");
  }

  // Changes after the list was saved: a file changed, one gone, one new, a directory gone.
  void ChangeTree() {
    File("dir1/file2.txt", "changed contents", kTreeTime + 100);
    std::filesystem::remove(tree_.Path("dir3/file5.txt"));
    File("dir4/new.txt", "new");
    std::filesystem::remove_all(tree_.Path("dir2"));
  }

  // Everything a user sees of the document: every entry's cells, flags and child counts in key
  // order, the modified flag, and the text a save would write (but the lines of the date it was
  // made and of the signature over it).
  std::wstring Outcome(const CVemoDoc& doc) const {
    std::wstring out = doc.IsModified() ? L"modified\n" : L"unmodified\n";
    doc.GetEntries().ForEach([&](const CVemoEntry* e) {
      const CVemoEntry& entry = *e;
      for (int column = 0; column < CVemoDoc::kColumnCount; ++column) {
        out += GetColumnText(entry, column) + L"|";
      }
      out += std::to_wstring(entry.m_dwFlags) + L"|" + std::to_wstring(entry.m_stored.nChildCount) +
             L"|" + std::to_wstring(entry.m_current.nChildCount) + L"\n";
    });
    std::istringstream text(BufferBytes(doc.GetFileBuffer()));
    for (std::string line; std::getline(text, line);) {
      if (line.rfind("% Date", 0) != 0 && line.rfind("~ ", 0) != 0) out += Wide(line) + L"\n";
    }
    return out;
  }

  // Runs the cycle of doc to Idle, one idle round at a time; between rounds a view rebuilds its
  // rows from the document and paints them (as a filter toggled by the user does). Returns the
  // number of rounds spent in each phase.
  std::vector<int> RunWithViewRebuilds(CVemoDoc& doc) {
    std::vector<int> rounds(6, 0);
    for (int guard = 0; doc.GetState() != DocState::kIdle && guard < 1000000; ++guard) {
      ++rounds[static_cast<std::size_t>(doc.GetState()) % 6];
      RunIdleOnce(doc);
      host_.UpdateAllViews(doc, RFSH, nullptr, -1);
      if (doc.GetState() != DocState::kIdle)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return rounds;
  }

  // Opens the saved list of the changed tree and verifies it, with the given budget.
  std::wstring VerifyChangedTree(std::chrono::microseconds budget, std::vector<int>* rounds) {
    CVemoDoc& doc = NewDoc();
    doc.SetPollBudget(budget);
    EXPECT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
    *rounds = RunWithViewRebuilds(doc);
    EXPECT_EQ(doc.GetState(), DocState::kIdle);
    return Outcome(doc);
  }
};

TEST_F(DocSlicesTest, ATinyBudgetGivesTheSameCycle) {
  MakeTree();
  CreateAndSaveList();
  ChangeTree();

  std::vector<int> whole_rounds;
  std::vector<int> sliced_rounds;
  const std::wstring whole = VerifyChangedTree(std::chrono::seconds(60), &whole_rounds);
  const std::wstring sliced = VerifyChangedTree(kTinyBudget, &sliced_rounds);
  EXPECT_EQ(sliced, whole);
  EXPECT_NE(whole.find(L"Contents changed"), std::wstring::npos) << whole;
  // The sliced run adopted the list's 82 entries and merged the walk's 64 records at most two a
  // round (one for each poll of an idle round). Floors, not a comparison with the whole run: the
  // rounds either run spends waiting for the loader's and the walk's threads depend on how busy
  // the machine is.
  const auto loading = static_cast<std::size_t>(DocState::kLoading);
  const auto scanning = static_cast<std::size_t>(DocState::kScanning);
  EXPECT_GE(sliced_rounds[loading], 82 / 2);
  EXPECT_GE(sliced_rounds[scanning], 64 / 2);
}

TEST_F(DocSlicesTest, UnseenEntriesGoAtTheEndOfTheWalkInSlices) {
  MakeTree();
  // A new list (no file yet): every entry is new, and one that is gone at the rescan is dropped.
  std::wstring outcomes[2];
  int i = 0;
  for (const std::chrono::microseconds budget :
       {std::chrono::microseconds(60000000), kTinyBudget}) {
    SCOPED_TRACE(budget.count());
    File("dir5/gone.txt", "soon gone");
    tree_.Dir("dir1/gone/");
    File("dir1/gone/a", "a");
    CVemoDoc& doc = NewDoc();
    doc.SetPollBudget(budget);
    ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
    (void)RunWithViewRebuilds(doc);
    ASSERT_NE(Find(L"dir5/gone.txt"), nullptr);
    std::filesystem::remove(tree_.Path("dir5/gone.txt"));
    std::filesystem::remove_all(tree_.Path("dir1/gone"));
    // The two rounds' directories must not differ by the second their last change fell in.
    tree_.SetTime("dir1", kTreeTime);
    tree_.SetTime("dir5", kTreeTime);
    doc.Rescan(RescanMode::kAll);
    (void)RunWithViewRebuilds(doc);
    EXPECT_EQ(Find(L"dir5/gone.txt"), nullptr);
    EXPECT_EQ(Find(L"dir1/gone/a"), nullptr);
    outcomes[i++] = Outcome(doc);
  }
  EXPECT_EQ(outcomes[1], outcomes[0]);
}

// A close or a reload in the middle of each sliced step frees what the step still held (the
// address sanitizer's leak check and the host's painting at every hint see to the rest).
TEST_F(DocSlicesTest, CloseOrReloadInTheMiddleOfASlice) {
  MakeTree();
  CreateAndSaveList();
  ChangeTree();
  // New files, so that merging the walk's records shows in the count of entries.
  for (int f = 0; f < 30; ++f) File("dir5/zz_new" + std::to_string(f), "new");
  const std::wstring whole = [&] {
    std::vector<int> rounds;
    return VerifyChangedTree(std::chrono::seconds(60), &rounds);
  }();

  for (const DocState phase : {DocState::kLoading, DocState::kScanning}) {
    for (const bool reload : {false, true}) {
      SCOPED_TRACE(static_cast<int>(phase) * 10 + reload);
      CVemoDoc& doc = NewDoc();
      doc.SetPollBudget(kTinyBudget);
      ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
      // Into the phase's slices: its worker has finished and a few items are done.
      int sliced = 0;
      ASSERT_TRUE(WaitUntil([&] {
        const std::size_t before = doc.GetEntries().GetCount();
        const DocState state = doc.GetState();
        RunIdleOnce(doc);
        host_.UpdateAllViews(doc, RFSH, nullptr, -1);
        if (state == phase && doc.GetState() == phase && doc.GetEntries().GetCount() > before) {
          ++sliced;
        }
        return sliced == 10;
      }));
      ASSERT_EQ(doc.GetState(), phase);
      if (reload) {
        ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
        (void)RunWithViewRebuilds(doc);
        EXPECT_EQ(Outcome(doc), whole);
      } else {
        doc.OnCloseDocument();
        EXPECT_EQ(doc.GetEntries().GetCount(), 0u);
      }
    }
  }
}

}  // namespace
}  // namespace vemo_test
