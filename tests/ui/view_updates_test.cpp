// What the document's hints do to a list view: a redraw repaints one row or, for an entry not
// shown, the whole list; following the checksum scan in one view and not in another; fitting
// columns; and rows whose entries the document deleted behind the view's back draw as nothing.
#include <QApplication>
#include <QHeaderView>
#include <QPaintEvent>
#include <QRegion>
#include <QScrollBar>

#include "document/command_ids.h"
#include "ui/view_fixture.h"

namespace vemo_test {
namespace {

class ViewUpdatesTest : public ViewFixture {};

// Collects the areas a widget is asked to paint.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
  QRegion painted;
};

TEST_F(ViewUpdatesTest, RedrawRepaintsTheEntrysRowOrTheWholeListWhenItIsNotShown) {
  MakeTreeOfEveryCategory();
  ShowFlags.store(63 & ~SF_SAME);
  NewDoc();
  CVemoView& view = AddView();
  Open();
  const int row = RowOfPath(view, L"changed.txt");
  ASSERT_GE(row, 0);
  ASSERT_EQ(RowOfPath(view, L"same.txt"), -1);
  QApplication::processEvents();

  PaintRecorder recorder(view.viewport());
  host_.UpdateAllViews(*doc_, RDRW, Find(L"changed.txt"), -1);
  QApplication::processEvents();
  const QRect row_rect(0, view.rowViewportPosition(row), view.viewport()->width(),
                       view.rowHeight(row));
  EXPECT_EQ(recorder.painted.boundingRect(), row_rect);

  recorder.painted = QRegion();
  host_.UpdateAllViews(*doc_, RDRW, Find(L"same.txt"), -1);
  QApplication::processEvents();
  EXPECT_EQ(recorder.painted.boundingRect(), view.viewport()->rect());
}

TEST_F(ViewUpdatesTest, FollowsTheScanOnlyInTheViewThatAskedForIt) {
  for (int i = 0; i < 300; ++i) File("f" + std::to_string(1000 + i) + ".txt", std::to_string(i));
  SaveList();
  NewDoc();
  CVemoView& before = AddView(600, 150);
  CVemoView& following = AddView(600, 150);
  ASSERT_TRUE(following.OnCommand(ID_VIEW_FOLLOW_SCAN));
  CVemoView& later = AddView(600, 150);
  EXPECT_FALSE(before.IsFollowing());
  EXPECT_TRUE(later.IsFollowing());

  // Between two runs of the event loop, the last row redrawn is the one each following view
  // brings into view.
  const CVemoEntry* last = nullptr;
  int redraws = 0;
  host_.after_hint = [&](DWORD hint, const CVemoEntry* entry) {
    if (hint == RDRW && entry != nullptr) ++redraws, last = entry;
    if (hint == RCLR) last = nullptr;
  };
  auto fully_visible = [](const CVemoView& view, const CVemoEntry* entry) {
    const auto row = view.RowModel().RowOf(entry);
    if (row < 0) return false;
    const int y = view.rowViewportPosition(static_cast<int>(row));
    return y >= 0 && y + view.rowHeight(static_cast<int>(row)) <= view.viewport()->height();
  };
  int checked = 0;
  ASSERT_TRUE(doc_->OnOpenDocument(Wide(DocPath())));
  while (doc_->GetState() != DocState::kIdle) {
    RunIdleOnce(*doc_);
    QApplication::processEvents();
    if (last == nullptr) continue;
    ++checked;
    EXPECT_TRUE(fully_visible(following, last));
    EXPECT_TRUE(fully_visible(later, last));
    EXPECT_EQ(before.verticalScrollBar()->value(), 0);
    last = nullptr;
  }
  host_.after_hint = nullptr;
  EXPECT_EQ(redraws, 300);
  EXPECT_GT(checked, 0);
  EXPECT_GT(following.verticalScrollBar()->value(), 0);
}

TEST_F(ViewUpdatesTest, FitsOneColumnOrNoneAndStoresAllWidths) {
  File("a rather long file name to fit.txt", "a");
  NewDoc();
  CVemoView& view = AddView();
  Open();
  for (int i = 0; i < kColumnCount; ++i) view.setColumnWidth(i, 5);

  host_.UpdateAllViews(*doc_, ACOL, nullptr, 0);
  EXPECT_GT(view.columnWidth(0), 100);
  for (int i = 1; i < kColumnCount; ++i) EXPECT_EQ(view.columnWidth(i), 5) << i;
  for (int i = 0; i < kColumnCount; ++i) EXPECT_EQ(doc_->GetColumnWidth(i), view.columnWidth(i));

  // A column index from 7 upward fits nothing but still stores the widths.
  view.setColumnWidth(3, 17);
  host_.UpdateAllViews(*doc_, ACOL, nullptr, 9);
  EXPECT_EQ(view.columnWidth(3), 17);
  EXPECT_EQ(doc_->GetColumnWidth(3), 17);
}

TEST_F(ViewUpdatesTest, InitialWidthsComeFromTheDocument) {
  NewDoc();
  doc_->SetColumnWidth(1, 77);
  CVemoView& view = AddView();
  EXPECT_EQ(view.columnWidth(1), 77);
  // -2 fits the title.
  EXPECT_GE(view.columnWidth(0), view.horizontalHeader()->sectionSizeHint(0));
}

TEST_F(ViewUpdatesTest, RowsOfEntriesDeletedBehindTheViewsBackShowNothing) {
  MakeTreeOfEveryCategory();
  NewDoc();
  CVemoView& view = AddView();
  Open();
  const int rows = view.RowModel().rowCount();
  ASSERT_GE(RowOfPath(view, L"gone.txt"), 0);

  // A host that loses the "entries going" hint: the commit after the save deletes the entries not
  // found while the view still has rows for them; at the refresh that follows they are blank.
  host_.drop_entries_going = true;
  int blank = -1;
  host_.before_hint = [&](DWORD hint, const CVemoEntry*) {
    if (hint != RFSH || blank >= 0) return;
    blank = 0;
    ASSERT_EQ(view.RowModel().rowCount(), rows);
    for (int row = 0; row < rows; ++row) {
      const QModelIndex index = view.model()->index(row, 0);
      if (view.RowModel().EntryAt(row) != nullptr) continue;
      ++blank;
      for (const int role : {Qt::DisplayRole, Qt::DecorationRole, Qt::ForegroundRole,
                             Qt::BackgroundRole, Qt::TextAlignmentRole}) {
        EXPECT_FALSE(view.model()->data(index, role).isValid()) << role;
      }
    }
    (void)view.grab();
  };
  ASSERT_TRUE(doc_->DoFileSave());
  ASSERT_TRUE(RunUntilIdle(*doc_));
  host_.before_hint = nullptr;
  EXPECT_EQ(blank, 3);  // gone.txt, gonedir, gonedir/lost.txt
  EXPECT_EQ(RowOfPath(view, L"gone.txt"), -1);
  // Beyond the rows, nothing either.
  EXPECT_FALSE(view.model()->data(view.model()->index(rows + 5, 0), Qt::DisplayRole).isValid());
}

}  // namespace
}  // namespace vemo_test
