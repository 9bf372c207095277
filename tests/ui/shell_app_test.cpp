// The desktop program's shell on real windows and real documents: start-up and settings, several
// documents, the verification cycle reaching the panes, command routing, the progress icon,
// close-on-no-document, the session's end and the web page command.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

#include "document/app_settings.h"
#include "document/command_ids.h"
#include "platform/file_name_text.h"
#include "shell_support.h"
#include "support/temp_tree.h"
#include "support/working_directory.h"
#include "ui/framework/command_manager.h"
#include "ui/framework/mdi_child_frame.h"
#include "ui/framework/placeholder_view.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/recent_file_list.h"
#include "ui/vemo_child_frame.h"
#include "ui/vemo_main_frame.h"

namespace {

using shell_test::AppFixture;
using shell_test::WaitUntil;
using vemo_test::TempTree;

QStringList PaneTexts(CNMDIChildFrame* frame) {
  QStringList texts;
  auto* vemo_frame = dynamic_cast<CVemoChildFrame*>(frame);
  for (int i = 0; i < CVemoChildFrame::kPaneCount; ++i) texts << vemo_frame->Pane(i)->text();
  return texts;
}

void MakeTree(const TempTree& tree) {
  tree.Dir("sub");
  tree.File("a.txt", "abc");
  tree.File("sub/b.txt", "hello");
}

// A list of tree saved by a first run, so later runs verify it.
void SaveList(CVemoApp& app, const TempTree& tree) {
  CVemoDoc* doc = app.OpenDocumentFile(platform::FileNameToWide(tree.Path("check.sum")));
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(WaitUntil([doc] { return doc->GetState() == DocState::kIdle; }));
  ASSERT_TRUE(doc->OnSaveDocument(doc->GetPathName()));
  ASSERT_TRUE(WaitUntil([doc] { return doc->GetState() == DocState::kIdle; }));
  app.CloseDocument(*doc);
}

using ShellStartTest = AppFixture;

TEST_F(ShellStartTest, FirstRunOpensANewListOfTheCurrentFolderAndWritesNoSettings) {
  TempTree tree;
  MakeTree(tree);
  vemo_test::WorkingDirectory cwd(tree.root());
  ASSERT_TRUE(Start({}));
  ASSERT_EQ(app_->Documents().size(), 1u);
  CVemoDoc* doc = app_->Documents()[0];
  EXPECT_EQ(doc->GetPathName(), platform::FileNameToWide(tree.Path("check.sum")));
  CNMDIChildFrame* frame = app_->FramesOf(*doc).at(0);
  // Before the first idle pass the panes show the string table's texts.
  EXPECT_EQ(PaneTexts(frame), (QStringList{"CRC Idle", "Idle", "?", "?", "?", "????"}));
  EXPECT_TRUE(app_->VemoMainFrame()->IsTimerRunning());
  EXPECT_EQ(Gridlines.load(), 1u);
  EXPECT_EQ(WebPage, kDefaultWebPage);

  ASSERT_TRUE(WaitIdle(doc));
  ASSERT_TRUE(WaitUntil([frame] { return PaneTexts(frame)[0] == "Idle"; }));
  EXPECT_EQ(PaneTexts(frame), (QStringList{"Idle", "Idle", "", "", "", "MOD!"}));
  EXPECT_TRUE(messages_.empty()) << messages_.front().toStdString();

  const std::string store = home_.ReadStore();
  EXPECT_NE(store.find("[HKEY_CLASSES_ROOT\\.crx]\n@=\"Vemo.Document\""), std::string::npos)
      << store;
  Stop();
  EXPECT_EQ(home_.ReadStore().find("Settings"), std::string::npos);
}

TEST_F(ShellStartTest, StoredSettingsLoadAndOnlyAChangeWritesThemBack) {
  home_.WriteStore(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Tovak\\Vemo\\Settings]\n"
      "\"Gridlines\"=\"0\"\n"
      "\"ShowFlags\"=dword:00000007\n"
      "\"FollowScan\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"WebPage\"=\"https://example.invalid/vemo\"\n");
  TempTree tree;
  MakeTree(tree);
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  EXPECT_EQ(Gridlines.load(), 1u);   // a string is not a number
  EXPECT_EQ(FollowScan.load(), 0u);  // nor are eight bytes
  EXPECT_EQ(ShowFlags.load(), 7u);
  EXPECT_EQ(WebPage, L"https://example.invalid/vemo");
  const std::string before = home_.ReadStore();
  app_->CloseAllDocuments();
  app_->ExitInstance(0);
  const std::string unchanged = home_.ReadStore();
  // Only the recent-file list was added.
  EXPECT_EQ(unchanged.find("\"Tol2Seconds\""), std::string::npos);
  EXPECT_NE(unchanged.find("Recent File List"), std::string::npos);
  app_.reset();

  // One change writes it and every kept value that was missing, with its current value.
  shell_test::ResetProcessValues();
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  ShowFlags = 5;
  app_->CloseAllDocuments();
  app_->ExitInstance(0);
  const std::string written = home_.ReadStore();
  EXPECT_NE(written.find("\"ShowFlags\"=dword:00000005"), std::string::npos) << written;
  EXPECT_NE(written.find("\"Tol2Seconds\"=dword:00000001"), std::string::npos) << written;
  EXPECT_NE(written.find("\"WebPage\"=\"https://example.invalid/vemo\""), std::string::npos);
  app_.reset();
}

TEST_F(ShellStartTest, AFileThatCannotBeOpenedEndsTheStartAndExitStillSaves) {
  TempTree tree;
  ASSERT_FALSE(Start({QString::fromStdString(tree.Path("missing.txt"))}));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].contains(QStringLiteral("The system cannot find the file specified.")))
      << messages_[0].toStdString();
  EXPECT_TRUE(app_->Documents().empty());
}

using ShellDocumentsTest = AppFixture;

TEST_F(ShellDocumentsTest, SeveralListsVerifyToTheirPanesAndEnterTheRecentFiles) {
  TempTree one;
  TempTree two;
  MakeTree(one);
  MakeTree(two);
  Make();
  ASSERT_TRUE(Start({QString::fromStdString(one.Path("check.sum")),
                     QString::fromStdString(two.Path("check.sum"))}));
  SaveList(*app_, one);
  SaveList(*app_, two);
  EXPECT_TRUE(app_->Documents().empty());
  one.File("a.txt", "abd");  // same size, other contents

  CVemoDoc* first = app_->OpenDocumentFile(platform::FileNameToWide(one.Path("check.sum")));
  CVemoDoc* second = app_->OpenDocumentFile(platform::FileNameToWide(two.Path("check.sum")));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  // Opening an open list again activates its window.
  EXPECT_EQ(app_->OpenDocumentFile(platform::FileNameToWide(one.Path("check.sum"))), first);
  EXPECT_EQ(app_->Documents().size(), 2u);
  EXPECT_EQ(app_->FramesOf(*first).size() + app_->FramesOf(*second).size(), 2u);
  // The Open dialog starts in the active list's folder.
  QString open_start;
  app_->DialogHooks().file = [&](const QString&, const QString& start, bool) {
    open_start = start;
    return std::optional<QString>();
  };
  app_->OnFileOpen();
  EXPECT_EQ(open_start, QString::fromStdString(one.Path("")));
  ASSERT_TRUE(WaitIdle(first));
  ASSERT_TRUE(WaitIdle(second));
  CNMDIChildFrame* frame_one = app_->FramesOf(*first).at(0);
  CNMDIChildFrame* frame_two = app_->FramesOf(*second).at(0);
  ASSERT_TRUE(WaitUntil(
      [&] { return PaneTexts(frame_one)[0] == "Idle" && PaneTexts(frame_two)[0] == "Idle"; }));
  EXPECT_EQ(PaneTexts(frame_one)[5], "MOD!");
  EXPECT_EQ(PaneTexts(frame_two)[5], "SAME");
  EXPECT_EQ(frame_one->windowTitle(), QString::fromStdString(one.Path("check.sum")));
  EXPECT_EQ(app_->RecentFiles().Path(0), platform::FileNameToWide(two.Path("check.sum")));
  EXPECT_EQ(app_->RecentFiles().Path(1), platform::FileNameToWide(one.Path("check.sum")));
  EXPECT_TRUE(app_->VemoMainFrame()->ShowsDocumentMenu());
  // The Window menu lists both windows, the active one checked.
  CVemoMainFrame* main = app_->VemoMainFrame();
  ASSERT_NE(main->WindowMenu(), nullptr);
  main->FillWindowMenu();
  const QList<QAction*> items = main->WindowMenu()->actions();
  ASSERT_GE(items.size(), 2);
  EXPECT_TRUE(items[items.size() - 2]->text().startsWith(QStringLiteral("&1 /")));
  EXPECT_TRUE(items.back()->text().startsWith(QStringLiteral("&2 /")));
  EXPECT_EQ(items[items.size() - 2]->isChecked() + items.back()->isChecked(), 1);

  // A second window on one document; its captions number the windows.
  CNMDIChildFrame* again = app_->CreateNewWindow(*first);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(frame_one->windowTitle().endsWith(QStringLiteral(":1")));
  EXPECT_TRUE(again->windowTitle().endsWith(QStringLiteral(":2")));
  again->close();
  EXPECT_EQ(app_->Documents().size(), 2u);

  // Closing the modified list's last window offers to save; Cancel keeps it open.
  answer_ = [](const QString&, UINT) { return IDCANCEL; };
  frame_one->close();
  EXPECT_EQ(app_->Documents().size(), 2u);
  EXPECT_TRUE(messages_.back().startsWith(QStringLiteral("Please select: Save new data to")));
  answer_ = [](const QString&, UINT) { return IDNO; };
  frame_one->close();
  EXPECT_EQ(app_->Documents().size(), 1u);
}

using ShellCommandsTest = AppFixture;

// A view that claims Save, to show that the view is asked before its document.
class ClaimingView : public CNPlaceholderView {
 public:
  using CNPlaceholderView::CNPlaceholderView;
  bool UpdateCommand(UINT id, CCmdState& state) override {
    if (id != ID_FILE_SAVE) return false;
    state.enabled = true;
    state.text = L"Save from the view";
    return true;
  }
};

TEST_F(ShellCommandsTest, RoutingAsksViewDocumentFramesAndApplicationInOrder) {
  TempTree tree;
  MakeTree(tree);
  Make().SetViewFactory(
      [](CVemoDoc& doc, QWidget* parent) -> CNView* { return new ClaimingView(doc, parent); });
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  CNCommandManager& commands = app_->Commands();
  CVemoDoc* doc = app_->Documents().at(0);
  ASSERT_TRUE(WaitIdle(doc));

  EXPECT_EQ(commands.QueryState(ID_FILE_SAVE).text, std::wstring(L"Save from the view"));
  EXPECT_TRUE(commands.QueryState(ID_RESCAN_ALL).enabled);  // the document's
  EXPECT_TRUE(commands.QueryState(ID_FILE_CLOSE).enabled);
  EXPECT_FALSE(commands.QueryState(ID_EDIT_COPY).enabled);  // nobody's
  EXPECT_FALSE(commands.QueryState(ID_EDIT_UNDO).enabled);
  EXPECT_TRUE(commands.QueryState(ID_APP_ABOUT).enabled);  // the application's

  // The progress bar toggle acts on the active window only, the status bar toggle on the main one.
  CVemoMainFrame* main = app_->VemoMainFrame();
  auto* frame = dynamic_cast<CVemoChildFrame*>(app_->FramesOf(*doc).at(0));
  EXPECT_TRUE(commands.QueryState(ID_VIEW_PROGRESS_BAR).checked);
  EXPECT_TRUE(commands.Execute(ID_VIEW_PROGRESS_BAR));
  EXPECT_TRUE(frame->ProgressBar()->isHidden());
  EXPECT_FALSE(main->statusBar()->isHidden());
  EXPECT_FALSE(commands.QueryState(ID_VIEW_PROGRESS_BAR).checked);
  EXPECT_TRUE(commands.Execute(ID_VIEW_MAIN_STATUS_BAR));
  EXPECT_TRUE(main->statusBar()->isHidden());
  EXPECT_TRUE(frame->ProgressBar()->isHidden());
  commands.Execute(ID_VIEW_MAIN_STATUS_BAR);
  commands.Execute(ID_VIEW_TOOLBAR);
  EXPECT_TRUE(main->MainToolBar()->isHidden());

  // The action shows the same state after the idle pass.
  ASSERT_TRUE(WaitUntil([&] { return !commands.Action(ID_EDIT_COPY)->isEnabled(); }));
  ASSERT_NE(commands.Action(ID_FILE_SAVE), nullptr);
  ASSERT_TRUE(WaitUntil([&] {
    return commands.Action(ID_FILE_SAVE)->text() == QStringLiteral("Save from the view");
  }));

  // File Close through the document's place in the order (not saving the new list).
  answer_ = [](const QString&, UINT) { return IDNO; };
  EXPECT_TRUE(commands.Execute(ID_FILE_CLOSE));
  EXPECT_TRUE(app_->Documents().empty());
  EXPECT_FALSE(main->ShowsDocumentMenu());
  EXPECT_FALSE(commands.QueryState(ID_RESCAN_ALL).enabled);
  EXPECT_FALSE(commands.QueryState(ID_VIEW_PROGRESS_BAR).enabled);
  EXPECT_TRUE(commands.QueryState(ID_FILE_NEW).enabled);
}

TEST_F(ShellCommandsTest, ProgressIconChangesOnlyWithTheStep) {
  TempTree tree;
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  CVemoMainFrame* main = app_->VemoMainFrame();
  EXPECT_EQ(main->UpdateProgressIcon(6), 1);
  EXPECT_EQ(main->UpdateProgressIcon(6), 0);
  EXPECT_EQ(main->LastStep(), 6);
  EXPECT_EQ(main->UpdateProgressIcon(15), 1);
  EXPECT_EQ(main->UpdateProgressIcon(-1), 1);
  EXPECT_EQ(main->UpdateProgressIcon(-1), 0);
  // An idle document shows no step.
  ASSERT_TRUE(WaitIdle(app_->Documents().at(0)));
  EXPECT_EQ(main->ActiveProgressStep(), -1);
}

TEST_F(ShellCommandsTest, WebPageThatCannotOpenSaysSoInItsBox) {
  TempTree tree;
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  WebPage.clear();
  app_->Commands().Execute(ID_HELP_BROWSE_WEB);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], QStringLiteral("Vemo Help Browse Error: Could not open default browser "
                                         "for\n\nError (2): The system cannot find the file "
                                         "specified."));
}

using ShellCloseTest = AppFixture;

TEST_F(ShellCloseTest, CloseOnNoDocumentClosesOnlyAnEmptyProgram) {
  TempTree tree;
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  CVemoMainFrame* main = app_->VemoMainFrame();
  ASSERT_TRUE(main->isVisible());
  app_->PostCloseOnNoDocument();
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(main->isVisible());
  app_->CloseAllDocuments();
  app_->PostCloseOnNoDocument();
  EXPECT_TRUE(WaitUntil([main] { return !main->isVisible(); }));
}

TEST_F(ShellCloseTest, SaveAndCloseWhenDoneEndsTheProgramAfterItsLastDocument) {
  TempTree tree;
  MakeTree(tree);
  Make();
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  CVemoDoc* doc = app_->Documents().at(0);
  ASSERT_TRUE(WaitIdle(doc));
  doc->ToggleSaveAndCloseWhenDone();
  doc->Rescan(RescanMode::kAll);  // a new list: saved at the end, then closed with the program
  CVemoMainFrame* main = app_->VemoMainFrame();
  ASSERT_TRUE(WaitUntil([&] { return app_->Documents().empty() && !main->isVisible(); }));
  EXPECT_TRUE(std::filesystem::exists(tree.Path("check.sum")));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ShellCloseTest, SessionEndAsksFirstThenClosesWithoutAsking) {
  TempTree tree;
  MakeTree(tree);
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  ASSERT_TRUE(WaitIdle(app_->Documents().at(0)));  // a new list: modified
  answer_ = [](const QString&, UINT) { return IDCANCEL; };
  EXPECT_FALSE(app_->OnSessionEnding(true));
  EXPECT_EQ(app_->Documents().size(), 1u);
  EXPECT_EQ(ShutdownPending.load(), 0u);
  const std::size_t asked = messages_.size();
  EXPECT_TRUE(app_->OnSessionEnding(false));
  EXPECT_EQ(messages_.size(), asked);
  EXPECT_EQ(ShutdownPending.load(), 1u);
  EXPECT_TRUE(app_->Documents().empty());
  EXPECT_FALSE(app_->VemoMainFrame()->isVisible());
}

}  // namespace
