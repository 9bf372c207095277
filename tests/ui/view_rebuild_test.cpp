// Rebuilding a list view's rows: in slices of the event loop, with the old rows shown until the
// new ones are ready; nothing rebuilt when every entry shows again; the selection and the current
// row kept on their entries across rebuilds and across a replacement of the entries.
#include <QApplication>
#include <QItemSelectionModel>
#include <algorithm>
#include <chrono>

#include "document/command_ids.h"
#include "ui/view_fixture.h"

namespace vemo_test {
namespace {

class ViewRebuildTest : public ViewFixture {
 protected:
  // The rows a whole rebuild gives under the view's flags now.
  std::vector<std::wstring> WholeRebuild(const CVemoView& view) const {
    CVemoEntryRows rows;
    rows.Rebuild(*doc_, view.GetShowFlags());
    std::vector<std::wstring> paths;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      paths.push_back(rows[i]->m_strRelDir.str() + rows[i]->GetCurrentState().name);
    }
    return paths;
  }
  static bool FinishRebuild(const CVemoView& view) {
    return WaitUntil([&] {
      QApplication::processEvents();
      return !view.IsRebuildingRows();
    });
  }
  static void Select(CVemoView& view, const std::vector<std::wstring>& paths) {
    QItemSelection selection;
    for (const std::wstring& path : paths) {
      const int row = RowOfPath(view, path);
      ASSERT_GE(row, 0);
      selection.select(view.model()->index(row, 0), view.model()->index(row, kColumnCount - 1));
    }
    view.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
  static std::vector<std::wstring> SelectedPaths(const CVemoView& view) {
    const auto paths = RowPaths(view);
    QModelIndexList rows = view.selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    std::vector<std::wstring> selected;
    for (const QModelIndex& index : rows) selected.push_back(paths.at(index.row()));
    return selected;
  }
  static std::wstring CurrentPath(const CVemoView& view) {
    const QModelIndex current = view.currentIndex();
    return current.isValid() ? RowPaths(view).at(current.row()) : L"";
  }
};

TEST_F(ViewRebuildTest, ARebuildInSlicesShowsTheOldRowsUntilTheNewOnesAreReady) {
  MakeTreeOfEveryCategory();
  NewDoc();
  CVemoView& view = AddView();
  Open();
  const std::vector<std::wstring> all = RowPaths(view);
  ASSERT_EQ(all.size(), doc_->GetEntries().GetCount());
  view.SetRebuildSlice(std::chrono::microseconds::zero());
  for (int i = 0; i < kColumnCount; ++i) view.setColumnWidth(i, 5);

  // A filter toggle: the old rows until the last slice, then the new ones, fitted.
  ASSERT_TRUE(view.OnCommand(ID_VIEW_SAME));
  EXPECT_TRUE(view.IsRebuildingRows());
  EXPECT_EQ(RowPaths(view), all);
  ASSERT_TRUE(FinishRebuild(view));
  EXPECT_EQ(RowPaths(view), WholeRebuild(view));
  EXPECT_EQ(RowOfPath(view, L"same.txt"), -1);
  for (int i = 0; i < kColumnCount; ++i) {
    EXPECT_GT(view.columnWidth(i), 5) << i;
    EXPECT_EQ(doc_->GetColumnWidth(i), view.columnWidth(i)) << i;
  }

  // Entries about to go (RCLR) drop the rows and the rebuild in progress; the next RFSH starts
  // afresh.
  ASSERT_TRUE(view.OnCommand(ID_VIEW_SAME));
  ASSERT_TRUE(view.IsRebuildingRows());
  view.OnUpdate(nullptr, RCLR, nullptr, -1);
  EXPECT_FALSE(view.IsRebuildingRows());
  EXPECT_EQ(view.RowModel().rowCount(), 0);
  QApplication::processEvents();
  EXPECT_EQ(view.RowModel().rowCount(), 0);
  view.OnUpdate(nullptr, RFSH, nullptr, -1);
  ASSERT_TRUE(FinishRebuild(view));
  EXPECT_EQ(RowPaths(view), all);

  // A cycle: every entry shows while it runs; an RFSH over the same entries then has nothing
  // to rebuild; at Idle the filters apply again.
  ASSERT_TRUE(view.OnCommand(ID_VIEW_CHANGED));
  ASSERT_TRUE(FinishRebuild(view));
  doc_->StartRescan(RescanMode::kNew);
  ASSERT_TRUE(FinishRebuild(view));
  EXPECT_EQ(RowPaths(view), WholeRebuild(view));
  EXPECT_EQ(view.RowModel().rowCount(), static_cast<int>(doc_->GetEntries().GetCount()));
  view.OnUpdate(nullptr, RFSH, nullptr, -1);
  EXPECT_FALSE(view.IsRebuildingRows());
  ASSERT_TRUE(RunUntilIdle(*doc_));
  ASSERT_TRUE(FinishRebuild(view));
  EXPECT_EQ(RowPaths(view), WholeRebuild(view));
  EXPECT_EQ(RowOfPath(view, L"changed.txt"), -1);
}

TEST_F(ViewRebuildTest, SelectionAndCurrentRowStayOnTheirEntriesAcrossRebuilds) {
  MakeTreeOfEveryCategory();
  NewDoc();
  CVemoView& view = AddView();
  Open();
  Select(view, {L"changed.txt", L"same.txt", L"full/same2.txt"});
  view.selectionModel()->setCurrentIndex(view.model()->index(RowOfPath(view, L"fresh.txt"), 2),
                                         QItemSelectionModel::NoUpdate);

  // Rows before and between them go: the same entries stay selected and current.
  ASSERT_TRUE(view.OnCommand(ID_VIEW_MISSING));
  ASSERT_EQ(RowOfPath(view, L"gone.txt"), -1);
  EXPECT_EQ(SelectedPaths(view),
            (std::vector<std::wstring>{L"changed.txt", L"same.txt", L"full/same2.txt"}));
  EXPECT_EQ(CurrentPath(view), L"fresh.txt");
  EXPECT_EQ(view.currentIndex().column(), 2);

  // A selected entry no longer shown leaves the selection, and comes back unselected.
  ASSERT_TRUE(view.OnCommand(ID_VIEW_CHANGED));
  EXPECT_EQ(SelectedPaths(view), (std::vector<std::wstring>{L"same.txt", L"full/same2.txt"}));
  ASSERT_TRUE(view.OnCommand(ID_VIEW_CHANGED));
  ASSERT_GE(RowOfPath(view, L"changed.txt"), 0);
  EXPECT_EQ(SelectedPaths(view), (std::vector<std::wstring>{L"same.txt", L"full/same2.txt"}));

  // A save replaces the entries' states (RCLR, RFSH) and a cycle follows, whose walk's end
  // replaces them again: the rows are found again by their keys.
  ASSERT_TRUE(doc_->DoFileSave());
  ASSERT_TRUE(RunUntilIdle(*doc_));
  ASSERT_TRUE(FinishRebuild(view));
  EXPECT_GE(host_.CountHints(RCLR), 2u);
  EXPECT_EQ(SelectedPaths(view), (std::vector<std::wstring>{L"same.txt", L"full/same2.txt"}));
  EXPECT_EQ(CurrentPath(view), L"fresh.txt");

  // Nothing selected and no current row stays so.
  view.selectionModel()->clear();
  view.OnUpdate(nullptr, RFSH, nullptr, -1);
  EXPECT_TRUE(SelectedPaths(view).empty());
  EXPECT_EQ(CurrentPath(view), L"");
}

}  // namespace
}  // namespace vemo_test
