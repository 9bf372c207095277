// CCmdState: what a command looks like right now, set by the one handler that owns the command and
// shown alike by its menu item and its tool-bar button.
#pragma once
#include <optional>
#include <string>

struct CCmdState {
  bool enabled = false;
  // A check mark in the menu, a pressed button on the tool bar.
  bool checked = false;
  // A new menu text; empty keeps the text the command was made with.
  std::optional<std::wstring> text;
};
