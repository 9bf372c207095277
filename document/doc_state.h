// The phases of a document's cycle and the two rescan modes, with the status-bar pane identifiers
// whose texts the document computes.
#pragma once
#include "platform/win_types.h"

// 0 before the first new or open; then the phase of the current cycle.
enum class DocState : DWORD {
  kNone = 0,
  kLoading = 1,
  kScanning = 2,
  kChecksumming = 3,
  kFormatting = 4,
  kIdle = 5,
};

enum class RescanMode : DWORD {
  kNew = 0,  // checksum only new files and files whose size, time or attributes changed
  kAll = 1,  // checksum every file
};

// Panes of a document frame's status bar.
inline constexpr UINT ID_PANE_PHASE = 101;
inline constexpr UINT ID_PANE_COUNT = 102;
inline constexpr UINT ID_PANE_MODIFIED = 103;
inline constexpr UINT ID_PANE_RATE = 104;
inline constexpr UINT ID_PANE_ELAPSED = 105;
inline constexpr UINT ID_PANE_REMAINING = 106;
