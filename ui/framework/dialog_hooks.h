// CNDialogHooks: stand-ins for the modal dialogs (message boxes, the folder dialog, the open and
// save dialogs), so that tests and scripted runs drive the program without a user. An empty hook
// shows the real dialog.
#pragma once
#include <QString>
#include <functional>
#include <optional>

#include "platform/win_types.h"

struct CNDialogHooks {
  // Answers a message box (IDOK, IDYES, IDNO, IDCANCEL); text uses "\n" between lines.
  std::function<int(const QString& text, const QString& caption, UINT style)> message_box;
  // The folder dialog: the chosen folder, or nothing for Cancel.
  std::function<std::optional<QString>(const QString& title, const QString& start)> folder;
  // The open (save false) and save dialogs: the chosen file, or nothing for Cancel.
  std::function<std::optional<QString>(const QString& title, const QString& start, bool save)> file;
};
