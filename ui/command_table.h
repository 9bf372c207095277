// The program's command vocabulary as data: for every command its menu text, status-bar prompt and
// tool tip, keys, tool-bar picture and whether it is a toggle. The actions, the menus and the tool
// bar are all made from this table, so each command reads the same wherever it appears.
#pragma once
#include <span>
#include <string_view>

#include "platform/win_types.h"

struct VemoCommandInfo {
  UINT id;
  // The action's text: "&" before the access key, "\t" before the shortcut text shown in the
  // menu. A menu may show its own text for the same command (see vemo_menus.cpp).
  std::wstring_view text;
  // "prompt\ntool tip": the prompt goes to the status bar, the tool tip over the button.
  std::wstring_view message;
  // The keys that carry the command out, in QKeySequence's portable form separated by "; ", the
  // first one shown in the menu when the text names none.
  const char* keys;
  // The tool-bar picture, ":/toolbar/<picture>.svg"; empty for commands not on the tool bar.
  const char* picture;
  // A toggle: a check mark in the menu, a pressed button on the tool bar.
  bool checkable;
};

// Every command that has an action, in no particular order. The recent-file entries are not here:
// the recent-file list makes their actions.
[[nodiscard]] std::span<const VemoCommandInfo> VemoCommandTable();
// Null for an id that is not in the table.
[[nodiscard]] const VemoCommandInfo* FindVemoCommand(UINT id);

// The part of the message before "\n" (all of it when there is no "\n").
[[nodiscard]] std::wstring_view CommandPrompt(const VemoCommandInfo& command);
// The part after "\n"; empty when there is none.
[[nodiscard]] std::wstring_view CommandToolTip(const VemoCommandInfo& command);

// The recent-file list's place holder in the File menu, and the prompt of its entries.
inline constexpr std::wstring_view kRecentFileText = L"Recent File";
inline constexpr std::wstring_view kRecentFilePrompt = L"Open this document";
