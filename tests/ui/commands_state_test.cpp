// One state update shows alike in the menu and on the tool bar: enabled, disabled, checked.
#include <gtest/gtest.h>

#include <QAction>

#include "commands_window.h"
#include "document/command_ids.h"

namespace {

// What the tool-bar positions hold, separators as 0.
std::vector<UINT> ToolBarIds(const QToolBar& bar) {
  std::vector<UINT> ids;
  for (const QAction* action : bar.actions())
    ids.push_back(action->isSeparator() ? 0 : action->data().toUInt());
  return ids;
}

TEST(CommandsState, ToolBarHasTwentyNinePositionsWithPictures) {
  CommandsWindow w(true);
  const std::vector<UINT> expected = {ID_FILE_NEW,
                                      ID_FILE_OPEN,
                                      ID_FILE_SAVE,
                                      ID_FILE_SAVE_COPY_AS,
                                      0,
                                      ID_FILE_SAVE_CLOSE_WHEN_DONE,
                                      0,
                                      ID_RESCAN_ALL,
                                      ID_RESCAN_NEW,
                                      0,
                                      ID_VIEW_SAME,
                                      ID_VIEW_CHANGED,
                                      ID_VIEW_NEW,
                                      ID_VIEW_MISSING,
                                      ID_VIEW_ERRORS,
                                      ID_VIEW_EMPTY_FOLDERS,
                                      0,
                                      ID_VIEW_GRIDLINES,
                                      ID_VIEW_FOLLOW_SCAN,
                                      ID_FILE_FREEZE,
                                      0,
                                      ID_EDIT_CUT,
                                      ID_EDIT_COPY,
                                      ID_EDIT_PASTE,
                                      0,
                                      ID_FILE_PRINT,
                                      0,
                                      ID_APP_ABOUT,
                                      ID_HELP_BROWSE_WEB};
  EXPECT_EQ(ToolBarIds(*w.tool_bar), expected);
  EXPECT_EQ(w.tool_bar->iconSize(), QSize(16, 16));
  for (const QAction* action : w.tool_bar->actions()) {
    if (action->isSeparator()) continue;
    EXPECT_FALSE(action->icon().isNull()) << action->data().toUInt();
    EXPECT_FALSE(action->toolTip().isEmpty());
  }
  EXPECT_EQ(w.Button(ID_RESCAN_ALL)->toolTip(), QStringLiteral("Rescan All"));
}

TEST(CommandsState, EnabledAndCheckedAlikeInTheMenuAndOnTheToolBar) {
  CommandsWindow w(true);
  // A document window as the view and document answer: filters set or not, freeze off.
  w.router.Handle(ID_FILE_SAVE, false);
  w.router.Handle(ID_RESCAN_NEW, true);
  w.router.Handle(ID_VIEW_SAME, true, true);
  w.router.Handle(ID_VIEW_NEW, true, false);
  w.router.Handle(ID_VIEW_GRIDLINES, true, true);
  w.router.Handle(ID_FILE_FREEZE, true, false);
  w.manager.UpdateAll();

  QMenu* view = w.TopMenu(2);
  for (UINT id : {ID_VIEW_SAME, ID_VIEW_GRIDLINES}) {
    QAction* action = w.manager.Action(id);
    EXPECT_TRUE(view->actions().contains(action));
    EXPECT_TRUE(action->isChecked()) << id;
    EXPECT_TRUE(w.Button(id)->isChecked()) << id;
    EXPECT_TRUE(w.Button(id)->isDown() || w.Button(id)->isChecked());
  }
  EXPECT_FALSE(w.Button(ID_VIEW_NEW)->isChecked());
  EXPECT_FALSE(w.manager.Action(ID_VIEW_NEW)->isChecked());
  EXPECT_TRUE(w.Button(ID_RESCAN_NEW)->isEnabled());
  EXPECT_FALSE(w.Button(ID_FILE_SAVE)->isEnabled());
  EXPECT_FALSE(w.manager.Action(ID_FILE_SAVE)->isEnabled());

  // The handler's state changes: both places follow from the same update.
  w.router.Handle(ID_VIEW_SAME, true, false);
  w.router.Handle(ID_FILE_FREEZE, true, true);
  w.manager.UpdateAll();
  EXPECT_FALSE(w.Button(ID_VIEW_SAME)->isChecked());
  EXPECT_FALSE(w.manager.Action(ID_VIEW_SAME)->isChecked());
  EXPECT_TRUE(w.Button(ID_FILE_FREEZE)->isChecked());
  EXPECT_TRUE(w.manager.Action(ID_FILE_FREEZE)->isChecked());

  // Clicking a toggle whose handler keeps it set leaves it set in both places.
  w.Button(ID_VIEW_GRIDLINES)->click();
  EXPECT_EQ(w.router.ran, std::vector<UINT>{ID_VIEW_GRIDLINES});
  EXPECT_TRUE(w.Button(ID_VIEW_GRIDLINES)->isChecked());
  EXPECT_TRUE(w.manager.Action(ID_VIEW_GRIDLINES)->isChecked());
}

TEST(CommandsState, CommandsNobodyHandlesStayDisabledEverywhere) {
  CommandsWindow w(true);
  // Every command but those without a handler in the program.
  const UINT never[] = {ID_EDIT_UNDO,  ID_EDIT_CUT,  ID_EDIT_COPY,
                        ID_EDIT_PASTE, ID_NEXT_PANE, ID_PREV_PANE};
  for (UINT id : w.manager.Ids()) {
    if (std::find(std::begin(never), std::end(never), id) == std::end(never)) w.router.Handle(id);
  }
  w.manager.UpdateAll();
  for (UINT id : never) {
    EXPECT_FALSE(w.manager.Action(id)->isEnabled()) << id;
    if (QToolButton* button = w.Button(id)) {
      EXPECT_FALSE(button->isEnabled()) << id;
    }
  }
  for (const QAction* action : w.TopMenu(1)->actions())
    EXPECT_TRUE(action->isSeparator() || !action->isEnabled());
  EXPECT_TRUE(w.Button(ID_FILE_NEW)->isEnabled());
  // Their keys do nothing.
  ASSERT_TRUE(w.Activate());
  QTest::keyClick(&w.window, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&w.window, Qt::Key_F6);
  QTest::keyClick(&w.window, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_TRUE(w.router.ran.empty());
}

TEST(CommandsState, WithoutDocumentOnlyTheApplicationsCommandsAreReachable) {
  CommandsWindow w(false);
  // The application and main window answer these; no view or document exists.
  for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_PRINT_SETUP, ID_APP_EXIT, ID_APP_ABOUT,
                  ID_HELP_BROWSE_WEB, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR})
    w.router.Handle(id);
  w.manager.UpdateAll();
  for (UINT id : {ID_RESCAN_NEW, ID_RESCAN_ALL, ID_VIEW_SAME, ID_VIEW_ERRORS, ID_FILE_FREEZE}) {
    for (int m = 0; m < 3; ++m)
      EXPECT_FALSE(w.TopMenu(m)->actions().contains(w.manager.Action(id)));
    EXPECT_FALSE(w.Button(id)->isEnabled()) << id;
  }
  ASSERT_TRUE(w.Activate());
  QTest::keyClick(&w.window, Qt::Key_F5);
  QTest::keyClick(&w.window, Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_TRUE(w.router.ran.empty());
  QTest::keyClick(&w.window, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(w.router.ran, std::vector<UINT>{ID_FILE_NEW});
}

}  // namespace
