// The command manager and the recent-file list: routing decides enabled, check mark and text of
// one shared action; the recent list survives the registry and shows itself in a menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <map>
#include <new>

#include "support/temp_config_home.h"
#include "ui/framework/command_manager.h"
#include "ui/framework/recent_file_list.h"

namespace {

class TableRouter : public CNCommandRouter {
 public:
  std::map<UINT, CCmdState> states;
  std::vector<UINT> ran;
  bool RouteCommand(UINT id) override {
    if (!states.count(id)) return false;
    ran.push_back(id);
    states[id].checked = !states[id].checked;
    return true;
  }
  bool RouteUpdateCommand(UINT id, CCmdState& state) override {
    const auto it = states.find(id);
    if (it == states.end()) return false;
    state = it->second;
    return true;
  }
};

TEST(ShellCommandManagerTest, StateComesFromTheHandlerAndUnhandledIsDisabled) {
  CNCommandManager manager;
  TableRouter router;
  manager.SetRouter(&router);
  QAction handled(QStringLiteral("&Gridlines"));
  handled.setCheckable(true);
  QAction unhandled(QStringLiteral("Cu&t"));
  manager.Register(1, &handled);
  manager.Register(2, &unhandled);
  router.states[1] = CCmdState{true, true, std::wstring(L"Other")};

  manager.UpdateAll();
  EXPECT_TRUE(handled.isEnabled());
  EXPECT_TRUE(handled.isChecked());
  EXPECT_EQ(handled.text(), QStringLiteral("Other"));
  EXPECT_FALSE(unhandled.isEnabled());

  // An empty text restores the action's own; triggering toggles through the handler only.
  router.states[1].text.reset();
  handled.trigger();  // Qt unchecks, the handler unchecks as well
  EXPECT_EQ(router.ran, std::vector<UINT>{1});
  EXPECT_FALSE(handled.isChecked());
  EXPECT_EQ(handled.text(), QStringLiteral("&Gridlines"));

  // A command that became disabled since the last update does not run.
  router.states[1].enabled = false;
  EXPECT_FALSE(manager.Execute(1));
  EXPECT_EQ(router.ran.size(), 1u);
  EXPECT_FALSE(handled.isEnabled());
  EXPECT_FALSE(manager.Execute(2));
  EXPECT_EQ(manager.Action(3), nullptr);

  // The same action registered again under another text still runs its command once.
  router.states[1].enabled = true;
  handled.setText(QStringLiteral("&Grid"));
  manager.Register(1, &handled);
  manager.UpdateAll();
  EXPECT_EQ(handled.text(), QStringLiteral("&Grid"));
  handled.trigger();
  EXPECT_EQ(router.ran.size(), 2u);
}

class ThrowingRouter : public CNCommandRouter {
 public:
  bool RouteCommand(UINT /*id*/) override { throw std::bad_alloc(); }
  bool RouteUpdateCommand(UINT /*id*/, CCmdState& state) override {
    state.enabled = true;
    return true;
  }
};

TEST(ShellCommandManagerTest, ACommandThatRunsOutOfMemoryEndsWithTheMessageNotTheProgram) {
  CNCommandManager manager;
  ThrowingRouter router;
  manager.SetRouter(&router);
  QAction action(QStringLiteral("&New"));
  manager.Register(1, &action);
  QString shown;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->accept();
    }
  });
  EXPECT_FALSE(manager.Execute(1));
  EXPECT_EQ(shown,
            QStringLiteral("Not enough memory resources are available to process this command."));
}

TEST(ShellRecentFileListTest, KeepsTenNewestFirstInTheRegistryAndInTheMenu) {
  TempConfigHome home;
  const std::wstring key = L"HKCU\\Software\\Tovak\\Vemo\\";
  {
    CNRecentFileList list(key);
    for (int i = 0; i < 12; ++i) list.Add(L"/data/tree" + std::to_wstring(i) + L"/check.sum");
    list.Add(L"/data/tree5/check.sum");  // moves to the front
    ASSERT_EQ(list.Count(), 10);
    EXPECT_EQ(list.Path(0), L"/data/tree5/check.sum");
    EXPECT_EQ(list.Path(1), L"/data/tree11/check.sum");
    ASSERT_TRUE(list.Save());
  }
  EXPECT_NE(home.ReadStore().find("[HKEY_CURRENT_USER\\Software\\Tovak\\Vemo\\Recent File List]"),
            std::string::npos);

  CNRecentFileList list(key);
  ASSERT_TRUE(list.Load());
  ASSERT_EQ(list.Count(), 10);
  EXPECT_EQ(list.Path(0), L"/data/tree5/check.sum");

  QMenu menu;
  QAction* before = menu.addAction(QStringLiteral("&Open..."));
  QAction* placeholder = menu.addAction(QStringLiteral("Recent File"));
  placeholder->setEnabled(false);
  QAction* after = menu.addAction(QStringLiteral("E&xit"));
  list.AttachPlaceholder(&menu, placeholder);
  auto visible_texts = [&menu] {
    QStringList texts;
    for (QAction* a : menu.actions()) {
      if (a->isVisible()) texts << a->text();
    }
    return texts;
  };
  QStringList texts = visible_texts();
  ASSERT_EQ(texts.size(), 12);
  EXPECT_EQ(texts[0], before->text());
  EXPECT_EQ(texts[1], QStringLiteral("&1 /data/tree5/check.sum"));
  EXPECT_EQ(texts[10], QStringLiteral("1&0 /data/tree2/check.sum"));
  EXPECT_EQ(texts[11], after->text());

  int chosen = -1;
  QObject::connect(&list, &CNRecentFileList::OpenRequested, [&chosen](int i) { chosen = i; });
  menu.actions()[2]->trigger();
  EXPECT_EQ(chosen, 1);

  for (int i = list.Count() - 1; i >= 0; --i) list.Remove(i);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(visible_texts(),
            (QStringList{before->text(), QStringLiteral("Recent File"), after->text()}));
  ASSERT_TRUE(list.Save());
  CNRecentFileList reloaded(key);
  reloaded.Load();
  EXPECT_EQ(reloaded.Count(), 0);

  // Ampersands in a path are doubled so they do not become access keys.
  reloaded.Add(L"/a&b/check.sum");
  EXPECT_EQ(reloaded.MenuText(0), QStringLiteral("&1 /a&&b/check.sum"));
}

}  // namespace
