// The program's actions, its two menus and its tool bar, all made from the command table: each
// command has one QAction, which its menu item, its tool-bar button and its shortcuts share, so
// one state update shows alike in every place (a check mark in the menu is a pressed button).
#pragma once

class CNCommandManager;
class CNRecentFileList;
class QMenu;
class QMenuBar;
class QObject;
class QToolBar;

// Makes every command's action once (text, shortcuts, prompt, tool tip, picture, toggle) as a
// child of parent and registers it with manager under its command id.
void CreateVemoActions(CNCommandManager& manager, QObject* parent);

// The menus that the shell fills further: the File menu (the recent files, already attached) and
// the Window menu (the open windows; null in the menu without a document).
struct VemoMenus {
  QMenu* file = nullptr;
  QMenu* window = nullptr;
};

// Replaces what bar shows with the menu without a document (File, View, Help) or, with
// document_menu, the document menu (File, Edit, View, Window, Help). The menus it made before are
// deleted once control returns to the event loop, so a command chosen from one may rebuild them.
VemoMenus BuildVemoMenu(QMenuBar& bar, bool document_menu, CNCommandManager& manager,
                        CNRecentFileList& recent);

// Fills bar with the tool-bar buttons and separators, pictures at 16 pixels.
void BuildVemoToolBar(QToolBar& bar, CNCommandManager& manager);
