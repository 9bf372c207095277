// A main window with the program's actions, menus, tool bar and status bar, whose commands go to a
// table of handlers that records what ran: the menus and keys are tested without the application.
#pragma once
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <map>
#include <vector>

#include "ui/framework/command_manager.h"
#include "ui/framework/command_router.h"
#include "ui/framework/recent_file_list.h"
#include "ui/vemo_menus.h"

class RecordingRouter : public CNCommandRouter {
 public:
  // The commands some target handles, with the state it gives them.
  std::map<UINT, CCmdState> handled;
  std::vector<UINT> ran;

  void Handle(UINT id, bool enabled = true, bool checked = false) {
    handled[id] = CCmdState{enabled, checked, std::nullopt};
  }
  bool RouteCommand(UINT id) override {
    if (!handled.count(id)) return false;
    ran.push_back(id);
    return true;
  }
  bool RouteUpdateCommand(UINT id, CCmdState& state) override {
    const auto it = handled.find(id);
    if (it == handled.end()) return false;
    state = it->second;
    return true;
  }
};

class CommandsWindow {
 public:
  explicit CommandsWindow(bool document_menu) {
    manager.SetRouter(&router);
    CreateVemoActions(manager, &window);
    menus = BuildVemoMenu(*window.menuBar(), document_menu, manager, recent);
    tool_bar = window.addToolBar(QStringLiteral("Toolbar"));
    BuildVemoToolBar(*tool_bar, manager);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(640, 400);
  }

  void Rebuild(bool document_menu) {
    menus = BuildVemoMenu(*window.menuBar(), document_menu, manager, recent);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Shows the window and makes it the active one, so that shortcuts reach it.
  bool Activate() {
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
  }

  QMenu* TopMenu(int i) const { return window.menuBar()->actions().at(i)->menu(); }

  QToolButton* Button(UINT id) const {
    return qobject_cast<QToolButton*>(tool_bar->widgetForAction(manager.Action(id)));
  }

  RecordingRouter router;
  CNCommandManager manager;
  CNRecentFileList recent{L"HKCU\\Software\\Tovak\\Vemo"};
  QMainWindow window;
  QToolBar* tool_bar = nullptr;
  VemoMenus menus;
};
