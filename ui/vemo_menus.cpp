#include "ui/vemo_menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <span>

#include "document/command_ids.h"
#include "ui/command_table.h"
#include "ui/framework/command_manager.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/recent_file_list.h"
#include "ui/vemo_icons.h"

namespace {

constexpr UINT kSeparator = 0;

struct MenuItem {
  UINT id;  // kSeparator for a separator line
  // The text this menu shows; null for the command's own.
  const wchar_t* text = nullptr;
};

struct MenuDefinition {
  const wchar_t* title;
  std::span<const MenuItem> items;
};

// The menu shown while no document window is active.
constexpr MenuItem kFileMenu[] = {
    {ID_FILE_NEW}, {ID_FILE_OPEN},      {kSeparator}, {ID_FILE_PRINT_SETUP, L"P&rint Setup..."},
    {kSeparator},  {ID_FILE_MRU_FIRST}, {kSeparator}, {ID_APP_EXIT, L"E&xit"},
};
constexpr MenuItem kViewMenu[] = {{ID_VIEW_TOOLBAR}, {ID_VIEW_STATUS_BAR}};
constexpr MenuItem kHelpMenu[] = {{ID_APP_ABOUT}, {kSeparator}, {ID_HELP_BROWSE_WEB}};
constexpr MenuDefinition kMenu[] = {
    {L"&File", kFileMenu}, {L"&View", kViewMenu}, {L"&Help", kHelpMenu}};

// The document menu. Its status bar command is the main window's own: the child frames' bars
// answer the other one.
constexpr MenuItem kDocFileMenu[] = {
    {ID_FILE_NEW},          {ID_FILE_OPEN},
    {ID_FILE_CLOSE},        {ID_FILE_SAVE},
    {ID_FILE_SAVE_COPY_AS}, {kSeparator},
    {ID_FILE_PRINT},        {ID_FILE_PRINT_PREVIEW},
    {ID_FILE_PRINT_SETUP},  {kSeparator},
    {ID_RESCAN_NEW},        {ID_RESCAN_ALL},
    {kSeparator},           {ID_FILE_FREEZE},
    {kSeparator},           {ID_FILE_MRU_FIRST},
    {kSeparator},           {ID_FILE_SAVE_CLOSE_WHEN_DONE},
    {kSeparator},           {ID_APP_EXIT},
};
constexpr MenuItem kDocEditMenu[] = {
    {ID_EDIT_UNDO}, {kSeparator}, {ID_EDIT_CUT}, {ID_EDIT_COPY}, {ID_EDIT_PASTE}};
constexpr MenuItem kDocViewMenu[] = {
    {ID_VIEW_TOOLBAR}, {ID_VIEW_PROGRESS_BAR}, {ID_VIEW_MAIN_STATUS_BAR},
    {kSeparator},      {ID_VIEW_SAME},         {ID_VIEW_CHANGED},
    {ID_VIEW_NEW},     {ID_VIEW_MISSING},      {ID_VIEW_EMPTY_FOLDERS},
    {ID_VIEW_ERRORS},  {kSeparator},           {ID_VIEW_FOLLOW_SCAN},
    {kSeparator},      {ID_VIEW_GRIDLINES},
};
constexpr MenuItem kDocWindowMenu[] = {
    {ID_WINDOW_NEW}, {ID_WINDOW_CASCADE}, {ID_WINDOW_TILE_HORZ}, {ID_WINDOW_ARRANGE}};
constexpr MenuDefinition kDocMenu[] = {{L"&File", kDocFileMenu},
                                       {L"&Edit", kDocEditMenu},
                                       {L"&View", kDocViewMenu},
                                       {L"&Window", kDocWindowMenu},
                                       {L"&Help", kHelpMenu}};

// Commands that only keys reach: they belong to the window, not to a menu.
constexpr UINT kKeyOnlyCommands[] = {ID_NEXT_PANE, ID_PREV_PANE};

// The tool bar, kSeparator for a gap.
constexpr UINT kToolBar[] = {
    ID_FILE_NEW,         ID_FILE_OPEN,
    ID_FILE_SAVE,        ID_FILE_SAVE_COPY_AS,
    kSeparator,          ID_FILE_SAVE_CLOSE_WHEN_DONE,
    kSeparator,          ID_RESCAN_ALL,
    ID_RESCAN_NEW,       kSeparator,
    ID_VIEW_SAME,        ID_VIEW_CHANGED,
    ID_VIEW_NEW,         ID_VIEW_MISSING,
    ID_VIEW_ERRORS,      ID_VIEW_EMPTY_FOLDERS,
    kSeparator,          ID_VIEW_GRIDLINES,
    ID_VIEW_FOLLOW_SCAN, ID_FILE_FREEZE,
    kSeparator,          ID_EDIT_CUT,
    ID_EDIT_COPY,        ID_EDIT_PASTE,
    kSeparator,          ID_FILE_PRINT,
    kSeparator,          ID_APP_ABOUT,
    ID_HELP_BROWSE_WEB,
};

const char kMadeHere[] = "vemoMenu";

// Gives the shared action the text this menu shows. The manager restores an action's registered
// text after every state update, so the new text is registered anew.
void SetMenuText(CNCommandManager& manager, UINT id, QAction& action, const QString& text) {
  if (action.text() == text) return;
  action.setText(text);
  manager.Register(id, &action);
}

void AddItem(QMenu& menu, const MenuItem& item, CNCommandManager& manager,
             CNRecentFileList& recent) {
  if (item.id == kSeparator) {
    menu.addSeparator();
    return;
  }
  if (item.id == ID_FILE_MRU_FIRST) {
    auto* placeholder = new QAction(ToQString(kRecentFileText), &menu);
    placeholder->setData(ID_FILE_MRU_FIRST);
    placeholder->setStatusTip(ToQString(kRecentFilePrompt));
    placeholder->setEnabled(false);
    menu.addAction(placeholder);
    recent.AttachPlaceholder(&menu, placeholder);
    return;
  }
  QAction* action = manager.Action(item.id);
  if (action == nullptr) return;
  const VemoCommandInfo* command = FindVemoCommand(item.id);
  const std::wstring_view text = item.text ? std::wstring_view(item.text) : command->text;
  SetMenuText(manager, item.id, *action, ToQString(text));
  menu.addAction(action);
}

}  // namespace

void CreateVemoActions(CNCommandManager& manager, QObject* parent) {
  for (const VemoCommandInfo& command : VemoCommandTable()) {
    auto* action = new QAction(ToQString(command.text), parent);
    action->setData(command.id);
    action->setShortcuts(
        QKeySequence::listFromString(QLatin1String(command.keys), QKeySequence::PortableText));
    action->setStatusTip(ToQString(CommandPrompt(command)));
    action->setToolTip(ToQString(CommandToolTip(command)));
    action->setIcon(VemoToolBarIcon(command.picture));
    // The pictures belong to the tool bar; the menus show text and check marks only.
    action->setIconVisibleInMenu(false);
    action->setCheckable(command.checkable);
    action->setEnabled(false);  // until the first state update says otherwise
    manager.Register(command.id, action);
  }
}

VemoMenus BuildVemoMenu(QMenuBar& bar, bool document_menu, CNCommandManager& manager,
                        CNRecentFileList& recent) {
  // Deleted later: the menu being left may be the one whose command asked for this rebuild.
  for (QMenu* old : bar.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (old->property(kMadeHere).toBool()) old->deleteLater();
  }
  bar.clear();

  VemoMenus made;
  const std::span<const MenuDefinition> definitions =
      document_menu ? std::span<const MenuDefinition>(kDocMenu) : kMenu;
  for (const MenuDefinition& definition : definitions) {
    QMenu* menu = bar.addMenu(ToQString(definition.title));
    menu->setProperty(kMadeHere, true);
    for (const MenuItem& item : definition.items) AddItem(*menu, item, manager, recent);
    if (definition.items.data() == kFileMenu || definition.items.data() == kDocFileMenu)
      made.file = menu;
    if (definition.items.data() == kDocWindowMenu) made.window = menu;
  }
  if (QWidget* window = bar.window(); window != &bar) {
    for (UINT id : kKeyOnlyCommands) {
      if (QAction* action = manager.Action(id)) window->addAction(action);
    }
  }
  return made;
}

void BuildVemoToolBar(QToolBar& bar, CNCommandManager& manager) {
  bar.clear();
  bar.setIconSize(QSize(16, 16));
  for (UINT id : kToolBar) {
    if (id == kSeparator) {
      bar.addSeparator();
    } else if (QAction* action = manager.Action(id)) {
      bar.addAction(action);
    }
  }
}
