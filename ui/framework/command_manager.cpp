#include "ui/framework/command_manager.h"

#include <QAction>

#include "ui/framework/memory_guard.h"
#include "ui/framework/qt_text.h"

CNCommandManager::CNCommandManager(QObject* parent) : QObject(parent) {}

void CNCommandManager::Register(UINT id, QAction* action) {
  if (action == nullptr) return;
  if (!entries_.contains(id)) order_.push_back(id);
  Entry& entry = entries_[id];
  // Registering again (a menu that shows another text for the same command) replaces the old
  // connection, so a trigger still runs the command once.
  if (entry.action != nullptr) entry.action->disconnect(this);
  action->disconnect(this);
  entry.action = action;
  entry.original_text = action->text();
  // Child windows of the MDI area hold the focus; the shortcuts must reach them all the same.
  action->setShortcutContext(Qt::ApplicationShortcut);
  connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
}

QAction* CNCommandManager::Action(UINT id) const {
  const auto it = entries_.find(id);
  return it == entries_.end() ? nullptr : it->action.data();
}

std::vector<UINT> CNCommandManager::Ids() const {
  std::vector<UINT> ids;
  for (UINT id : order_) {
    if (Action(id) != nullptr) ids.push_back(id);
  }
  return ids;
}

CCmdState CNCommandManager::QueryState(UINT id) const {
  CCmdState state;
  if (router_ == nullptr || !router_->RouteUpdateCommand(id, state)) return CCmdState{};
  return state;
}

bool CNCommandManager::Execute(UINT id) {
  bool ran = false;
  if (router_ != nullptr && QueryState(id).enabled) {
    ran = RunGuardingMemory([&] { return router_->RouteCommand(id); }, false);
  }
  // A checkable action flips itself when triggered; the handler's state is what counts. The
  // command may have closed windows or even the manager's router, so look the entry up afresh.
  const auto it = entries_.find(id);
  if (it != entries_.end() && it->action != nullptr) Apply(*it, QueryState(id));
  return ran;
}

void CNCommandManager::UpdateAll() {
  for (UINT id : order_) {
    const auto it = entries_.find(id);
    if (it == entries_.end() || it->action == nullptr) continue;
    Apply(*it, QueryState(id));
  }
}

void CNCommandManager::Apply(Entry& entry, const CCmdState& state) {
  QAction* action = entry.action.data();
  if (action->isEnabled() != state.enabled) action->setEnabled(state.enabled);
  if (action->isCheckable() && action->isChecked() != state.checked) {
    action->setChecked(state.checked);
  }
  const QString text = state.text ? ToQString(*state.text) : entry.original_text;
  if (action->text() != text) action->setText(text);
}
