#include "ui/command_table.h"

#include <algorithm>

#include "document/command_ids.h"

namespace {

constexpr bool kToggle = true;

// The keys are the accelerator table's, plus Ctrl+X and Ctrl+C, which the Edit menu shows. The
// two other shortcuts the menus show are the windows' own: Ctrl+F4 closes the active document
// window (the MDI area's key; a second binding here would make the key ambiguous and dead), which
// closes its document when it is the last window on it, and Alt+F4 closes the main window.
constexpr VemoCommandInfo kCommands[] = {
    // File
    {ID_FILE_NEW, L"&New\tCtrl+N", L"Create a new document\nNew", "Ctrl+N", "file_new", false},
    {ID_FILE_OPEN, L"&Open...\tCtrl+O", L"Open an existing document\nOpen", "Ctrl+O", "file_open",
     false},
    {ID_FILE_CLOSE, L"&Close\tCtrl+F4", L"Close the active document\nClose", "", "", false},
    {ID_FILE_SAVE, L"&Save\tCtrl+S", L"Save the active document\nSave", "Ctrl+S; F2", "file_save",
     false},
    {ID_FILE_SAVE_COPY_AS, L"Save Copy &As...\tCtrl+F12",
     L"Save a copy of the active document into a file with a different name\nSave Copy As",
     "Ctrl+F12; F12", "file_save_copy_as", false},
    {ID_FILE_PRINT_SETUP, L"Prin&t Setup...",
     L"Change the printer and printing options\nPrint Setup", "", "", false},
    {ID_FILE_PRINT, L"&Print...\tCtrl+P", L"Print the active document\nPrint", "Ctrl+P",
     "file_print", false},
    {ID_FILE_PRINT_PREVIEW, L"Print Pre&view", L"Display full pages\nPrint Preview", "", "", false},
    {ID_APP_EXIT, L"E&xit\tAlt+F4", L"Quit the application; prompts to save documents\nExit", "",
     "", false},
    {ID_RESCAN_NEW, L"R&escan New\tCtrl+R", L"Rescan any new document data\nRescan New",
     "Ctrl+R; F5", "rescan_new", false},
    {ID_RESCAN_ALL, L"&Rescan All\tCtrl+Shift+R",
     L"Rescan all the document data unconditionally\nRescan All", "Ctrl+Shift+R; Shift+F5",
     "rescan_all", false},
    {ID_FILE_FREEZE, L"&Freeze scan...", L"Freeze all active scans\nFreeze scans", "",
     "file_freeze", kToggle},
    {ID_FILE_SAVE_CLOSE_WHEN_DONE, L"Save+Close when &Done",
     L"Save and close document when done scanning\nSave and close when done", "",
     "file_save_close_when_done", kToggle},
    // Edit: nothing handles these, so they stay disabled; their keys reach the focused widget.
    {ID_EDIT_UNDO, L"&Undo\tCtrl+Z", L"Undo the last action\nUndo", "Ctrl+Z; Alt+Backspace", "",
     false},
    {ID_EDIT_CUT, L"Cu&t\tCtrl+X", L"Cut the selection and put it on the Clipboard\nCut",
     "Ctrl+X; Shift+Del", "edit_cut", false},
    {ID_EDIT_COPY, L"&Copy\tCtrl+C", L"Copy the selection and put it on the Clipboard\nCopy",
     "Ctrl+C; Ctrl+Ins", "edit_copy", false},
    {ID_EDIT_PASTE, L"&Paste\tCtrl+V", L"Insert Clipboard contents\nPaste", "Ctrl+V; Shift+Ins",
     "edit_paste", false},
    // View
    {ID_VIEW_TOOLBAR, L"&Toolbar", L"Show or hide the toolbar\nToggle ToolBar", "", "", kToggle},
    {ID_VIEW_STATUS_BAR, L"&Status Bar", L"Show or hide the status bar\nToggle StatusBar", "", "",
     kToggle},
    {ID_VIEW_MAIN_STATUS_BAR, L"&Status Bar", L"Show or hide the status bar\nToggle StatusBar", "",
     "", kToggle},
    {ID_VIEW_PROGRESS_BAR, L"&Progress Bar", L"Show or hide the progress bar\nToggle progress bar",
     "", "", kToggle},
    {ID_VIEW_SAME, L"S&ame files", L"Show same files\nShow same", "", "view_same", kToggle},
    {ID_VIEW_CHANGED, L"&Changed files", L"Show changed files\nShow changed", "", "view_changed",
     kToggle},
    {ID_VIEW_NEW, L"&New files", L"Show new files\nShow new", "", "view_new", kToggle},
    {ID_VIEW_MISSING, L"&Missing files", L"Show missing files\nShow missing", "", "view_missing",
     kToggle},
    {ID_VIEW_EMPTY_FOLDERS, L"&Empty folders", L"Show empty folders\nShow empty", "",
     "view_empty_folders", kToggle},
    {ID_VIEW_ERRORS, L"E&rrors", L"Show entries with errors\nShow errors", "", "view_errors",
     kToggle},
    {ID_VIEW_FOLLOW_SCAN, L"&Follow scan", L"Always make last CRC'd item visible\nFollow CRC scan",
     "", "view_follow_scan", kToggle},
    {ID_VIEW_GRIDLINES, L"&Gridlines", L"Show gridlines between list items\nShow gridlines", "",
     "view_gridlines", kToggle},
    // Window
    {ID_WINDOW_NEW, L"&New Window", L"Open another window for the active document\nNew Window", "",
     "", false},
    {ID_WINDOW_CASCADE, L"&Cascade", L"Arrange windows so they overlap\nCascade Windows", "", "",
     false},
    {ID_WINDOW_TILE_HORZ, L"&Tile", L"Arrange windows as non-overlapping tiles\nTile Windows", "",
     "", false},
    {ID_WINDOW_ARRANGE, L"&Arrange Icons",
     L"Arrange icons at the bottom of the window\nArrange Icons", "", "", false},
    {ID_NEXT_PANE, L"", L"Switch to the next window pane\nNext Pane", "F6", "", false},
    {ID_PREV_PANE, L"", L"Switch back to the previous window pane\nPrevious Pane", "Shift+F6", "",
     false},
    // Help
    {ID_APP_ABOUT, L"&About Vemo...",
     L"Display program information, version number and copyright\nAbout", "", "app_about", false},
    {ID_HELP_BROWSE_WEB, L"&Browse to Web page",
     L"Use default browser to access program's web page on the internet\nBrowse website", "",
     "help_browse_web", false},
};

}  // namespace

std::span<const VemoCommandInfo> VemoCommandTable() { return kCommands; }

const VemoCommandInfo* FindVemoCommand(UINT id) {
  const auto* found =
      std::find_if(std::begin(kCommands), std::end(kCommands),
                   [id](const VemoCommandInfo& command) { return command.id == id; });
  return found == std::end(kCommands) ? nullptr : found;
}

std::wstring_view CommandPrompt(const VemoCommandInfo& command) {
  return command.message.substr(0, command.message.find(L'\n'));
}

std::wstring_view CommandToolTip(const VemoCommandInfo& command) {
  const size_t split = command.message.find(L'\n');
  return split == std::wstring_view::npos ? std::wstring_view{} : command.message.substr(split + 1);
}
