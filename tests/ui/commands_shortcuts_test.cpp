// Every key of the accelerator table, and every shortcut the menus show, reaches its command,
// wherever the focus is inside the window.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>

#include "commands_window.h"
#include "document/command_ids.h"

namespace {

struct KeyCase {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  UINT id;
};

const KeyCase kKeys[] = {
    {Qt::Key_N, Qt::ControlModifier, ID_FILE_NEW},
    {Qt::Key_O, Qt::ControlModifier, ID_FILE_OPEN},
    {Qt::Key_S, Qt::ControlModifier, ID_FILE_SAVE},
    {Qt::Key_F2, Qt::NoModifier, ID_FILE_SAVE},
    {Qt::Key_F12, Qt::NoModifier, ID_FILE_SAVE_COPY_AS},
    {Qt::Key_F12, Qt::ControlModifier, ID_FILE_SAVE_COPY_AS},
    {Qt::Key_P, Qt::ControlModifier, ID_FILE_PRINT},
    {Qt::Key_R, Qt::ControlModifier, ID_RESCAN_NEW},
    {Qt::Key_F5, Qt::NoModifier, ID_RESCAN_NEW},
    {Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier, ID_RESCAN_ALL},
    {Qt::Key_F5, Qt::ShiftModifier, ID_RESCAN_ALL},
    {Qt::Key_Z, Qt::ControlModifier, ID_EDIT_UNDO},
    {Qt::Key_Backspace, Qt::AltModifier, ID_EDIT_UNDO},
    {Qt::Key_Delete, Qt::ShiftModifier, ID_EDIT_CUT},
    {Qt::Key_Insert, Qt::ControlModifier, ID_EDIT_COPY},
    {Qt::Key_V, Qt::ControlModifier, ID_EDIT_PASTE},
    {Qt::Key_Insert, Qt::ShiftModifier, ID_EDIT_PASTE},
    {Qt::Key_F6, Qt::NoModifier, ID_NEXT_PANE},
    {Qt::Key_F6, Qt::ShiftModifier, ID_PREV_PANE},
    // Shown in the document menu beyond the accelerator table.
    {Qt::Key_X, Qt::ControlModifier, ID_EDIT_CUT},
    {Qt::Key_C, Qt::ControlModifier, ID_EDIT_COPY},
};

class CommandsShortcuts : public ::testing::Test {
 protected:
  CommandsShortcuts() : w(true) {
    // A document window in an MDI area holds the focus with its list, as in the program. Every
    // command has a handler here, even those the program leaves without one, to show that each key
    // arrives.
    auto* area = new QMdiArea;
    w.window.setCentralWidget(area);
    child = area->addSubWindow(new QTableView);
    child->show();
    for (UINT id : w.manager.Ids()) w.router.Handle(id);
    w.manager.UpdateAll();
  }
  CommandsWindow w;
  QMdiSubWindow* child = nullptr;
};

TEST_F(CommandsShortcuts, EachKeyReachesItsCommandFromTheDocumentWindow) {
  ASSERT_TRUE(w.Activate());
  QWidget* focus = child->widget();
  focus->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return focus->hasFocus(); }, 2000));
  for (const KeyCase& c : kKeys) {
    w.router.ran.clear();
    QTest::keyClick(focus, c.key, c.modifiers);
    EXPECT_EQ(w.router.ran, std::vector<UINT>{c.id})
        << QKeySequence(c.key | c.modifiers).toString().toStdString();
  }
  EXPECT_TRUE(child->isVisible());

  // Ctrl+F4, which the File menu shows beside Close, closes the active document window.
  w.router.ran.clear();
  QTest::keyClick(focus, Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(QTest::qWaitFor([this] { return !child->isVisible(); }, 2000));
  EXPECT_TRUE(w.router.ran.empty());
}

TEST_F(CommandsShortcuts, MenuAccessKeysOpenTheMenus) {
  ASSERT_TRUE(w.Activate());
  QTest::keyClick(&w.window, Qt::Key_V, Qt::AltModifier);
  QMenu* view = w.TopMenu(2);
  EXPECT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }, 2000));
  // Within the menu the item's access key runs it.
  QTest::keyClick(view, Qt::Key_G);
  EXPECT_EQ(w.router.ran, std::vector<UINT>{ID_VIEW_GRIDLINES});
  view->hide();
}

}  // namespace
