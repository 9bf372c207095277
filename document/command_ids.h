// Every command identifier of the program: the menus, the tool bar, the accelerators and the
// handlers that carry them out all name their commands from here. The values are the classic
// resource numbers, so that stored settings and the texts that quote them stay meaningful.
#pragma once
#include "platform/win_types.h"

// File
inline constexpr UINT ID_FILE_NEW = 57600;
inline constexpr UINT ID_FILE_OPEN = 57601;
inline constexpr UINT ID_FILE_CLOSE = 57602;
inline constexpr UINT ID_FILE_SAVE = 57603;
inline constexpr UINT ID_FILE_PRINT_SETUP = 57606;
inline constexpr UINT ID_FILE_PRINT = 57607;
inline constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
inline constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr UINT ID_FILE_SAVE_COPY_AS = 57611;
// The recent-file list: ID_FILE_MRU_FIRST + i opens entry i.
inline constexpr UINT ID_FILE_MRU_FIRST = 57616;
inline constexpr UINT ID_FILE_MRU_LAST = 57631;
inline constexpr UINT ID_APP_EXIT = 57665;
inline constexpr UINT ID_RESCAN_ALL = 32771;
inline constexpr UINT ID_RESCAN_NEW = 32788;
inline constexpr UINT ID_FILE_SAVE_CLOSE_WHEN_DONE = 32792;
inline constexpr UINT ID_FILE_FREEZE = 32793;

// Edit (no handler anywhere: always disabled)
inline constexpr UINT ID_EDIT_COPY = 57634;
inline constexpr UINT ID_EDIT_CUT = 57635;
inline constexpr UINT ID_EDIT_PASTE = 57637;
inline constexpr UINT ID_EDIT_UNDO = 57643;

// View
inline constexpr UINT ID_VIEW_TOOLBAR = 59392;
inline constexpr UINT ID_VIEW_STATUS_BAR = 59393;
inline constexpr UINT ID_VIEW_MAIN_STATUS_BAR = 32785;
inline constexpr UINT ID_VIEW_PROGRESS_BAR = 32787;
inline constexpr UINT ID_VIEW_SAME = 32775;
inline constexpr UINT ID_VIEW_CHANGED = 32777;
inline constexpr UINT ID_VIEW_NEW = 32778;
inline constexpr UINT ID_VIEW_MISSING = 32779;
inline constexpr UINT ID_VIEW_EMPTY_FOLDERS = 32780;
inline constexpr UINT ID_VIEW_GRIDLINES = 32783;
inline constexpr UINT ID_VIEW_ERRORS = 32784;
inline constexpr UINT ID_VIEW_FOLLOW_SCAN = 32791;

// Window
inline constexpr UINT ID_WINDOW_NEW = 57648;
inline constexpr UINT ID_WINDOW_ARRANGE = 57649;
inline constexpr UINT ID_WINDOW_CASCADE = 57650;
inline constexpr UINT ID_WINDOW_TILE_HORZ = 57651;
inline constexpr UINT ID_NEXT_PANE = 57680;
inline constexpr UINT ID_PREV_PANE = 57681;

// Help
inline constexpr UINT ID_APP_ABOUT = 57664;
inline constexpr UINT ID_HELP_BROWSE_WEB = 32790;
