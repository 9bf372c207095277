// CNCommandManager: the registry of the program's actions by command id. Every QAction is made
// once; its menu item and tool-bar button share it, so one state update sets both (a checked
// action shows as a pressed button). Triggering an action routes its command; UpdateAll asks the
// router for every command's state, as the idle loop does after each burst of events.
//
// A command that no target in reach handles is disabled and unchecked. Before a command runs its
// state is asked once more, so a shortcut never runs a command that has just become disabled.
//
// The manager does not own the actions (their QObject parent does) and forgets an action when it
// is destroyed. The router is not owned and must outlive the manager or be reset to null.
// User-interface thread only.
#pragma once
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#include "document/cmd_state.h"
#include "platform/win_types.h"
#include "ui/framework/command_router.h"

class QAction;

class CNCommandManager : public QObject {
  Q_OBJECT

 public:
  explicit CNCommandManager(QObject* parent = nullptr);

  void SetRouter(CNCommandRouter* router) { router_ = router; }
  [[nodiscard]] CNCommandRouter* Router() const { return router_; }

  // Registers action as command id (one action per id; a second registration, of the same action
  // or another, replaces the first). The action's current text is the text a handler's empty text
  // restores. Its shortcut works wherever the focus is inside the application's windows.
  void Register(UINT id, QAction* action);
  // The action of id, or null.
  [[nodiscard]] QAction* Action(UINT id) const;
  // The registered ids in registration order.
  [[nodiscard]] std::vector<UINT> Ids() const;

  // The state the router gives id now (disabled and unchecked when nobody handles it).
  [[nodiscard]] CCmdState QueryState(UINT id) const;
  // Routes id when its state says enabled; true when it ran.
  bool Execute(UINT id);
  // Sets enabled, checked and text of every registered action from its state.
  void UpdateAll();

 private:
  struct Entry {
    QPointer<QAction> action;
    QString original_text;
  };
  void Apply(Entry& entry, const CCmdState& state);

  CNCommandRouter* router_ = nullptr;
  QHash<UINT, Entry> entries_;
  std::vector<UINT> order_;
};
