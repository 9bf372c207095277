// The commands with the program's own handlers behind them: a list view over a real document as
// the first targets of the routing order. Menu items, tool-bar buttons and keys all act on the
// view and the document, and show their state alike.
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "document/command_ids.h"
#include "ui/framework/command_manager.h"
#include "ui/framework/command_router.h"
#include "ui/framework/recent_file_list.h"
#include "ui/vemo_menus.h"
#include "ui/view_fixture.h"

namespace vemo_test {
namespace {

// The routing order as far as a document window goes: the active view, then its document.
class ViewDocRouter : public CNCommandRouter {
 public:
  explicit ViewDocRouter(CVemoView& view) : view_(view) {}
  bool RouteCommand(UINT id) override {
    return view_.OnCommand(id) || view_.GetDocument().OnCommand(id);
  }
  bool RouteUpdateCommand(UINT id, CCmdState& state) override {
    return view_.UpdateCommand(id, state) || view_.GetDocument().UpdateCommand(id, state);
  }

 private:
  CVemoView& view_;
};

class CommandsViewTest : public ViewFixture {
 protected:
  // The view becomes the main window's central widget; the fixture keeps owning it.
  void Install(CVemoView& view) {
    router_ = std::make_unique<ViewDocRouter>(view);
    manager_.SetRouter(router_.get());
    CreateVemoActions(manager_, &window_);
    BuildVemoMenu(*window_.menuBar(), true, manager_, recent_);
    tool_bar_ = window_.addToolBar(QStringLiteral("Toolbar"));
    BuildVemoToolBar(*tool_bar_, manager_);
    window_.setCentralWidget(&view);
    window_.show();
    QApplication::setActiveWindow(&window_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    view.setFocus();
    manager_.UpdateAll();
  }
  void TearDown() override {
    (void)window_.takeCentralWidget();
    manager_.SetRouter(nullptr);
    ViewFixture::TearDown();
  }
  QAction* Action(UINT id) { return manager_.Action(id); }
  QToolButton* Button(UINT id) {
    return qobject_cast<QToolButton*>(tool_bar_->widgetForAction(Action(id)));
  }
  // Checked (or enabled) alike in the menu and on the tool bar; the common value.
  bool Checked(UINT id) {
    EXPECT_EQ(Action(id)->isChecked(), Button(id)->isChecked()) << id;
    return Action(id)->isChecked();
  }
  bool Enabled(UINT id) {
    if (Button(id) != nullptr) {
      EXPECT_EQ(Action(id)->isEnabled(), Button(id)->isEnabled()) << id;
    }
    return Action(id)->isEnabled();
  }

  std::unique_ptr<ViewDocRouter> router_;
  CNCommandManager manager_;
  CNRecentFileList recent_{L"HKCU\\Software\\Tovak\\Vemo"};
  QMainWindow window_;
  QToolBar* tool_bar_ = nullptr;
};

TEST_F(CommandsViewTest, StateOfAnIdleDocumentShowsAlikeInMenuAndToolBar) {
  MakeTreeOfEveryCategory();
  NewDoc();
  CVemoView& view = AddView();
  Open();
  Install(view);

  for (UINT id : {ID_VIEW_SAME, ID_VIEW_CHANGED, ID_VIEW_NEW, ID_VIEW_MISSING, ID_VIEW_ERRORS,
                  ID_VIEW_EMPTY_FOLDERS, ID_VIEW_GRIDLINES}) {
    EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_TRUE(Checked(id)) << id;
  }
  for (UINT id : {ID_VIEW_FOLLOW_SCAN, ID_FILE_FREEZE, ID_FILE_SAVE_CLOSE_WHEN_DONE}) {
    EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Checked(id)) << id;
  }
  for (UINT id : {ID_FILE_SAVE, ID_FILE_SAVE_COPY_AS, ID_RESCAN_NEW, ID_RESCAN_ALL, ID_FILE_PRINT,
                  ID_FILE_PRINT_PREVIEW})
    EXPECT_TRUE(Enabled(id)) << id;
  for (UINT id :
       {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_NEXT_PANE, ID_PREV_PANE})
    EXPECT_FALSE(Enabled(id)) << id;

  // A click on the tool bar and a choice from the menu change the view and both places.
  Button(ID_VIEW_SAME)->click();
  EXPECT_EQ(view.GetShowFlags(), 63u & ~SF_SAME);
  EXPECT_FALSE(Checked(ID_VIEW_SAME));
  Action(ID_VIEW_GRIDLINES)->trigger();
  EXPECT_FALSE(view.showGrid());
  EXPECT_FALSE(Checked(ID_VIEW_GRIDLINES));
  Action(ID_FILE_FREEZE)->trigger();
  EXPECT_TRUE(Checked(ID_FILE_FREEZE));
  Button(ID_FILE_FREEZE)->click();
  EXPECT_FALSE(Checked(ID_FILE_FREEZE));
}

TEST_F(CommandsViewTest, KeysRescanAndPrintThroughTheViewAndWhileBusyTheyAreDisabled) {
  MakeTreeOfEveryCategory();
  NewDoc();
  CVemoView& view = AddView();
  Open();
  Install(view);

  QTest::keyClick(&view, Qt::Key_F5);
  EXPECT_NE(doc_->GetState(), DocState::kIdle);
  manager_.UpdateAll();
  for (UINT id : {ID_FILE_SAVE, ID_RESCAN_NEW, ID_RESCAN_ALL}) EXPECT_FALSE(Enabled(id)) << id;
  // Shift+F5 while busy is refused (disabled); once idle it rescans everything.
  QTest::keyClick(&view, Qt::Key_F5, Qt::ShiftModifier);
  ASSERT_TRUE(RunUntilIdle(*doc_));
  manager_.UpdateAll();
  EXPECT_TRUE(Enabled(ID_RESCAN_ALL));
  QTest::keyClick(&view, Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_NE(doc_->GetState(), DocState::kIdle);
  ASSERT_TRUE(RunUntilIdle(*doc_));

  QTest::keyClick(&view, Qt::Key_P, Qt::ControlModifier);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].caption, L"Print Unavailable");
}

}  // namespace
}  // namespace vemo_test
