// The two menus item by item, the shared actions behind them, and the status-bar prompt of the
// item under the pointer.
#include <gtest/gtest.h>

#include <QAction>
#include <QStringList>

#include "commands_window.h"
#include "document/command_ids.h"
#include "ui/command_table.h"
#include "ui/framework/qt_text.h"

namespace {

// One line per item: its text and command id, "---" for a separator.
QStringList Items(const QMenu& menu) {
  QStringList items;
  for (const QAction* action : menu.actions()) {
    if (action->isSeparator()) {
      items << QStringLiteral("---");
    } else if (action->isVisible()) {
      items << QStringLiteral("%1 [%2]").arg(action->text()).arg(action->data().toUInt());
    }
  }
  return items;
}

QStringList Titles(const QMenuBar& bar) {
  QStringList titles;
  for (const QAction* action : bar.actions()) titles << action->text();
  return titles;
}

const QString kSep = QStringLiteral("---");

TEST(CommandsMenus, MenuWithoutDocumentListsFileViewAndHelp) {
  CommandsWindow w(false);
  ASSERT_EQ(Titles(*w.window.menuBar()), (QStringList{"&File", "&View", "&Help"}));
  EXPECT_EQ(Items(*w.TopMenu(0)), (QStringList{"&New\tCtrl+N [57600]", "&Open...\tCtrl+O [57601]",
                                               kSep, "P&rint Setup... [57606]", kSep,
                                               "Recent File [57616]", kSep, "E&xit [57665]"}));
  EXPECT_EQ(Items(*w.TopMenu(1)), (QStringList{"&Toolbar [59392]", "&Status Bar [59393]"}));
  EXPECT_EQ(Items(*w.TopMenu(2)),
            (QStringList{"&About Vemo... [57664]", kSep, "&Browse to Web page [32790]"}));
  EXPECT_EQ(w.menus.file, w.TopMenu(0));
  EXPECT_EQ(w.menus.window, nullptr);
}

TEST(CommandsMenus, DocumentMenuListsFileEditViewWindowAndHelp) {
  CommandsWindow w(true);
  ASSERT_EQ(Titles(*w.window.menuBar()),
            (QStringList{"&File", "&Edit", "&View", "&Window", "&Help"}));
  EXPECT_EQ(Items(*w.TopMenu(0)), (QStringList{"&New\tCtrl+N [57600]",
                                               "&Open...\tCtrl+O [57601]",
                                               "&Close\tCtrl+F4 [57602]",
                                               "&Save\tCtrl+S [57603]",
                                               "Save Copy &As...\tCtrl+F12 [57611]",
                                               kSep,
                                               "&Print...\tCtrl+P [57607]",
                                               "Print Pre&view [57609]",
                                               "Prin&t Setup... [57606]",
                                               kSep,
                                               "R&escan New\tCtrl+R [32788]",
                                               "&Rescan All\tCtrl+Shift+R [32771]",
                                               kSep,
                                               "&Freeze scan... [32793]",
                                               kSep,
                                               "Recent File [57616]",
                                               kSep,
                                               "Save+Close when &Done [32792]",
                                               kSep,
                                               "E&xit\tAlt+F4 [57665]"}));
  EXPECT_EQ(Items(*w.TopMenu(1)),
            (QStringList{"&Undo\tCtrl+Z [57643]", kSep, "Cu&t\tCtrl+X [57635]",
                         "&Copy\tCtrl+C [57634]", "&Paste\tCtrl+V [57637]"}));
  EXPECT_EQ(Items(*w.TopMenu(2)),
            (QStringList{"&Toolbar [59392]", "&Progress Bar [32787]", "&Status Bar [32785]", kSep,
                         "S&ame files [32775]", "&Changed files [32777]", "&New files [32778]",
                         "&Missing files [32779]", "&Empty folders [32780]", "E&rrors [32784]",
                         kSep, "&Follow scan [32791]", kSep, "&Gridlines [32783]"}));
  EXPECT_EQ(Items(*w.TopMenu(3)), (QStringList{"&New Window [57648]", "&Cascade [57650]",
                                               "&Tile [57651]", "&Arrange Icons [57649]"}));
  EXPECT_EQ(Items(*w.TopMenu(4)),
            (QStringList{"&About Vemo... [57664]", kSep, "&Browse to Web page [32790]"}));
  EXPECT_EQ(w.menus.file, w.TopMenu(0));
  EXPECT_EQ(w.menus.window, w.TopMenu(3));
}

TEST(CommandsMenus, EveryShortcutAMenuShowsIsAKeyOfItsAction) {
  CommandsWindow w(true);
  for (int m = 0; m < 5; ++m) {
    for (const QAction* action : w.TopMenu(m)->actions()) {
      const qsizetype tab = action->text().indexOf(QChar('\t'));
      if (tab < 0) continue;
      const QKeySequence shown(action->text().mid(tab + 1), QKeySequence::PortableText);
      // The windows' own keys: the main window's close and the document window's close.
      if (shown == QKeySequence(QStringLiteral("Alt+F4")) ||
          shown == QKeySequence(QStringLiteral("Ctrl+F4")))
        continue;
      EXPECT_TRUE(action->shortcuts().contains(shown)) << action->text().toStdString();
    }
  }
}

TEST(CommandsMenus, ItemsShareOneActionPerCommandAcrossBothMenus) {
  CommandsWindow w(true);
  QAction* setup = w.manager.Action(ID_FILE_PRINT_SETUP);
  EXPECT_TRUE(w.TopMenu(0)->actions().contains(setup));
  EXPECT_TRUE(w.tool_bar->actions().contains(w.manager.Action(ID_FILE_SAVE)));
  EXPECT_TRUE(w.TopMenu(0)->actions().contains(w.manager.Action(ID_FILE_SAVE)));

  // Switching menus gives the shared action each menu's text, keeps the handler's state, and a
  // trigger still runs its command once.
  w.router.Handle(ID_FILE_PRINT_SETUP);
  w.router.Handle(ID_APP_EXIT);
  w.Rebuild(false);
  w.Rebuild(true);
  w.Rebuild(false);
  w.manager.UpdateAll();
  EXPECT_EQ(setup->text(), QStringLiteral("P&rint Setup..."));
  EXPECT_EQ(w.manager.Action(ID_APP_EXIT)->text(), QStringLiteral("E&xit"));
  EXPECT_TRUE(setup->isEnabled());
  setup->trigger();
  EXPECT_EQ(w.router.ran, std::vector<UINT>{ID_FILE_PRINT_SETUP});
  w.Rebuild(true);
  w.manager.UpdateAll();
  EXPECT_EQ(setup->text(), QStringLiteral("Prin&t Setup..."));
  EXPECT_EQ(w.manager.Action(ID_APP_EXIT)->text(), QStringLiteral("E&xit\tAlt+F4"));
  // The old menus are gone, not hidden.
  EXPECT_EQ(w.window.menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly).size(),
            5);
}

TEST(CommandsMenus, ActionsCarryPromptToolTipAndToggleFromTheTable) {
  CommandsWindow w(true);
  for (const VemoCommandInfo& command : VemoCommandTable()) {
    const QAction* action = w.manager.Action(command.id);
    ASSERT_NE(action, nullptr) << command.id;
    EXPECT_EQ(action->statusTip() + QChar('\n') + action->toolTip(), ToQString(command.message));
    EXPECT_EQ(action->isCheckable(), command.checkable) << command.id;
  }
  const QAction* same = w.manager.Action(ID_VIEW_SAME);
  EXPECT_EQ(same->statusTip(), QStringLiteral("Show same files"));
  EXPECT_EQ(same->toolTip(), QStringLiteral("Show same"));
  // Both status bar commands read alike; only their ids differ.
  EXPECT_EQ(w.manager.Action(ID_VIEW_STATUS_BAR)->text(),
            w.manager.Action(ID_VIEW_MAIN_STATUS_BAR)->text());
  EXPECT_NE(w.manager.Action(ID_VIEW_STATUS_BAR), w.manager.Action(ID_VIEW_MAIN_STATUS_BAR));
}

TEST(CommandsMenus, RecentFilesTakeThePlaceHolderPosition) {
  CommandsWindow w(false);
  w.recent.Add(L"/data/tree/check.sum");
  w.Rebuild(true);
  const QStringList items = Items(*w.menus.file);
  const qsizetype at = items.indexOf(QStringLiteral("&Freeze scan... [32793]"));
  ASSERT_GE(at, 0);
  EXPECT_TRUE(items.at(at + 2).startsWith(QStringLiteral("&1 /data/tree/check.sum")))
      << items.at(at + 2).toStdString();
  EXPECT_FALSE(items.contains(QStringLiteral("Recent File [57616]")));
}

TEST(CommandsMenus, HoveredItemShowsItsPromptInTheStatusBar) {
  CommandsWindow w(true);
  w.router.Handle(ID_RESCAN_NEW);
  w.router.Handle(ID_FILE_NEW);
  w.manager.UpdateAll();
  ASSERT_TRUE(w.Activate());
  // Opened from the menu bar, as a click on "File" does.
  QMenu* file = w.TopMenu(0);
  w.window.menuBar()->setActiveAction(file->menuAction());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
  const auto hover = [&](UINT id) {
    QTest::mouseMove(file, file->actionGeometry(w.manager.Action(id)).center());
    const QString prompt = ToQString(CommandPrompt(*FindVemoCommand(id)));
    (void)QTest::qWaitFor([&] { return w.window.statusBar()->currentMessage() == prompt; }, 2000);
    return w.window.statusBar()->currentMessage();
  };
  EXPECT_EQ(hover(ID_RESCAN_NEW), QStringLiteral("Rescan any new document data"));
  EXPECT_EQ(hover(ID_FILE_NEW), QStringLiteral("Create a new document"));
  file->hide();
}

}  // namespace
