// The list view's commands: the filters with their check marks, the stored settings, auto-sizing
// on a filter change, the rescans, printing refused, and what a header click and Copy leave alone.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>

#include "document/command_ids.h"
#include "ui/view_fixture.h"

namespace vemo_test {
namespace {

class ViewCommandsTest : public ViewFixture {};

CCmdState State(CNCmdTarget& target, UINT id) {
  CCmdState state;
  EXPECT_TRUE(target.UpdateCommand(id, state)) << id;
  return state;
}

TEST_F(ViewCommandsTest, FilterToggleRebuildsStoresFlagsAndFitsEveryColumn) {
  MakeTreeOfEveryCategory();
  NewDoc();
  CVemoView& view = AddView();
  Open();
  ASSERT_EQ(doc_->GetState(), DocState::kIdle);
  EXPECT_EQ(view.RowModel().rowCount(), static_cast<int>(doc_->GetEntries().GetCount()));
  for (int i = 0; i < kColumnCount; ++i) doc_->SetColumnWidth(i, 5);
  for (int i = 0; i < kColumnCount; ++i) view.setColumnWidth(i, 5);

  const struct {
    UINT id;
    DWORD bit;
  } filters[] = {{ID_VIEW_SAME, SF_SAME},     {ID_VIEW_CHANGED, SF_CHANGED},
                 {ID_VIEW_NEW, SF_NEW},       {ID_VIEW_MISSING, SF_MISSING},
                 {ID_VIEW_ERRORS, SF_ERRORS}, {ID_VIEW_EMPTY_FOLDERS, SF_EMPTY_FOLDERS}};
  for (const auto& filter : filters) {
    EXPECT_TRUE(State(view, filter.id).checked);
    EXPECT_TRUE(State(view, filter.id).enabled);
  }

  // Only new entries: the new file and the new folder with its file.
  for (const auto& filter : filters) {
    if (filter.id != ID_VIEW_NEW) {
      ASSERT_TRUE(view.OnCommand(filter.id));
    }
  }
  EXPECT_EQ(ShowFlags.load(), SF_NEW);
  EXPECT_EQ(view.GetShowFlags(), SF_NEW);
  EXPECT_FALSE(State(view, ID_VIEW_SAME).checked);
  EXPECT_TRUE(State(view, ID_VIEW_NEW).checked);
  EXPECT_EQ(RowPaths(view), (std::vector<std::wstring>{L"fresh.txt", L"newdir", L"newdir/n.txt"}));

  // Every column was fitted to contents and title, and its width stored in the document.
  for (int i = 0; i < kColumnCount; ++i) {
    EXPECT_GT(view.columnWidth(i), 5) << i;
    EXPECT_EQ(doc_->GetColumnWidth(i), view.columnWidth(i)) << i;
  }

  // Errors alone: the unreadable file, and no folder (none is followed by one).
  ASSERT_TRUE(view.OnCommand(ID_VIEW_NEW));
  ASSERT_TRUE(view.OnCommand(ID_VIEW_ERRORS));
  EXPECT_EQ(RowPaths(view), (std::vector<std::wstring>{L"broken.err"}));

  // A view opened later starts from the stored flags; the first keeps its own.
  CVemoView& later = AddView();
  EXPECT_EQ(later.GetShowFlags(), SF_ERRORS);
  ASSERT_TRUE(later.OnCommand(ID_VIEW_EMPTY_FOLDERS));
  EXPECT_EQ(view.GetShowFlags(), SF_ERRORS);
  EXPECT_EQ(ShowFlags.load(), SF_ERRORS | SF_EMPTY_FOLDERS);
}

TEST_F(ViewCommandsTest, ShowsEveryEntryUntilTheDocumentIsIdle) {
  File("same.txt", "same");
  tree_.Dir("empty");
  ShowFlags.store(0);
  NewDoc();
  CVemoView& view = AddView();
  Open();
  EXPECT_EQ(view.RowModel().rowCount(), 0);
  // Frozen, the walk of a rescan stays in its first phase.
  FreezeScans.store(1);
  doc_->StartRescan(RescanMode::kNew);
  ASSERT_EQ(doc_->GetState(), DocState::kScanning);
  EXPECT_EQ(RowPaths(view), (std::vector<std::wstring>{L"same.txt", L"empty"}));
  // Rescans wait for the cycle to end.
  EXPECT_FALSE(State(view, ID_RESCAN_ALL).enabled);
  EXPECT_FALSE(State(view, ID_RESCAN_NEW).enabled);
  EXPECT_TRUE(view.OnCommand(ID_RESCAN_NEW));
  EXPECT_NE(doc_->GetState(), DocState::kIdle);

  FreezeScans.store(0);
  ASSERT_TRUE(RunUntilIdle(*doc_));
  EXPECT_EQ(view.RowModel().rowCount(), 0);
  EXPECT_TRUE(State(view, ID_RESCAN_ALL).enabled);
  ASSERT_TRUE(view.OnCommand(ID_RESCAN_ALL));
  EXPECT_NE(doc_->GetState(), DocState::kIdle);
  ASSERT_TRUE(RunUntilIdle(*doc_));
}

TEST_F(ViewCommandsTest, GridLinesFollowAndTheDocumentsTogglesAreStored) {
  File("a.txt", "a");
  NewDoc();
  CVemoView& view = AddView();
  Open();
  EXPECT_TRUE(view.showGrid());
  EXPECT_TRUE(State(view, ID_VIEW_GRIDLINES).checked);
  ASSERT_TRUE(view.OnCommand(ID_VIEW_GRIDLINES));
  EXPECT_FALSE(view.showGrid());
  EXPECT_FALSE(State(view, ID_VIEW_GRIDLINES).checked);
  EXPECT_EQ(Gridlines.load(), 0u);
  EXPECT_FALSE(AddView().showGrid());

  EXPECT_FALSE(State(view, ID_VIEW_FOLLOW_SCAN).checked);
  ASSERT_TRUE(view.OnCommand(ID_VIEW_FOLLOW_SCAN));
  EXPECT_TRUE(State(view, ID_VIEW_FOLLOW_SCAN).checked);
  EXPECT_EQ(FollowScan.load(), 1u);

  ASSERT_TRUE(view.OnCommand(ID_FILE_FREEZE));
  EXPECT_EQ(FreezeScans.load(), 1u);
  EXPECT_TRUE(State(view, ID_FILE_FREEZE).checked);
  ASSERT_TRUE(view.OnCommand(ID_FILE_FREEZE));
  EXPECT_EQ(FreezeScans.load(), 0u);
  ASSERT_TRUE(view.OnCommand(ID_FILE_SAVE_CLOSE_WHEN_DONE));
  EXPECT_TRUE(doc_->GetSaveAndCloseWhenDone());
  EXPECT_TRUE(State(view, ID_FILE_SAVE_CLOSE_WHEN_DONE).checked);

  // Commands of other owners are left to them; Copy has no handler anywhere.
  CCmdState state;
  EXPECT_FALSE(view.UpdateCommand(ID_EDIT_COPY, state));
  EXPECT_FALSE(view.UpdateCommand(ID_FILE_SAVE, state));
  EXPECT_FALSE(view.OnCommand(ID_APP_ABOUT));
}

TEST_F(ViewCommandsTest, PrintingOfAnyKindIsRefused) {
  NewDoc();
  CVemoView& view = AddView();
  for (const UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW}) {
    EXPECT_TRUE(State(view, id).enabled);
    host_.messages.clear();
    ASSERT_TRUE(view.OnCommand(id));
    ASSERT_EQ(host_.messages.size(), 1u) << id;
    EXPECT_EQ(host_.messages[0].text, L"Sorry, printing is not supported at this time.");
    EXPECT_EQ(host_.messages[0].caption, L"Print Unavailable");
    EXPECT_EQ(host_.messages[0].style, MB_OK | MB_ICONERROR);
  }
}

TEST_F(ViewCommandsTest, HeaderClickAndCopyChangeNothing) {
  File("b.txt", "b");
  File("a.txt", "a");
  tree_.Dir("sub");
  File("sub/c.txt", "c");
  NewDoc();
  CVemoView& view = AddView();
  Open();
  const auto rows = RowPaths(view);
  std::vector<int> widths;
  for (int i = 0; i < kColumnCount; ++i) widths.push_back(view.columnWidth(i));

  QHeaderView* header = view.horizontalHeader();
  for (int column = 0; column < kColumnCount; ++column) {
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent click(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
      QApplication::sendEvent(header->viewport(), &click);
    }
  }
  QApplication::processEvents();
  EXPECT_EQ(RowPaths(view), rows);
  for (int i = 0; i < kColumnCount; ++i) EXPECT_EQ(view.columnWidth(i), widths[i]) << i;
  EXPECT_FALSE(view.selectionModel()->hasSelection());
  EXPECT_FALSE(view.isSortingEnabled());

  // Keyboard selection works as in any table; Copy puts nothing on the clipboard.
  view.setFocus();
  view.setCurrentIndex(view.model()->index(0, 0));
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier);
  QApplication::sendEvent(&view, &down);
  EXPECT_EQ(view.selectionModel()->selectedRows().size(), 2);
  // Typing a name moves nothing: the rows are not in name order.
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(&view, &letter);
  EXPECT_EQ(view.currentIndex().row(), 1);
  QApplication::clipboard()->setText(QStringLiteral("before"));
  QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
  QApplication::sendEvent(&view, &copy);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST_F(ViewCommandsTest, InitialUpdateMaximisesTheChildFrame) {
  NewDoc();
  QMdiArea area;
  area.resize(800, 600);
  auto* frame = new QMainWindow;
  auto* view = new CVemoView(*doc_, frame);
  frame->setCentralWidget(view);
  QMdiSubWindow* child = area.addSubWindow(frame);
  area.show();
  child->show();
  EXPECT_FALSE(child->isMaximized());
  view->OnInitialUpdate();
  EXPECT_TRUE(child->isMaximized());
  EXPECT_TRUE(view->IsInitialised());
  EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
  EXPECT_EQ(view->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Note"));
  EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
            static_cast<int>(Qt::AlignRight | Qt::AlignVCenter));
}

}  // namespace
}  // namespace vemo_test
