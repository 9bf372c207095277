// The texts of a document frame's six status panes and the progress step of the main window's
// icon, computed from one snapshot of the figures the document and its workers report. Pure
// functions of the snapshot; any thread.
#pragma once
#include <cstddef>
#include <string>

#include "document/doc_state.h"
#include "foundation/time_stamp.h"
#include "platform/win_types.h"

struct CVemoStatusFigures {
  DocState state = DocState::kNone;
  bool modified = false;
  // Loading and Scanning: the loader's status text and its counts of listed files and directories.
  std::wstring load_text;
  LONG listed_files = 0;
  LONG listed_directories = 0;
  // Scanning: the directory being listed, empty before the first.
  std::wstring scan_directory;
  // Checksumming: the worker's current file text and fraction (-1 while opening), its bytes done
  // and queued and its smoothed rate in bytes per second; when the phase began and now (local).
  std::wstring checksum_text;
  double checksum_fraction = -1.0;
  ULONGLONG bytes_done = 0;
  ULONGLONG bytes_queued = 0;
  double smoothed_rate = 0.0;
  CNTimeStamp checksum_start;
  CNTimeStamp now;
  // Formatting: records written and their total (0 while unknown).
  std::size_t records_done = 0;
  std::size_t records_total = 0;
  // A freeze is in force while a worker runs, and the millisecond clock that makes it blink.
  bool frozen = false;
  DWORD tick_ms = 0;
};

// The text of pane ID_PANE_PHASE .. ID_PANE_REMAINING; empty for any other identifier.
[[nodiscard]] std::wstring FormatStatusPane(UINT pane, const CVemoStatusFigures& figures);

[[nodiscard]] std::wstring FormatPhaseText(const CVemoStatusFigures& figures);
[[nodiscard]] std::wstring FormatCountText(const CVemoStatusFigures& figures);
[[nodiscard]] std::wstring FormatModifiedText(const CVemoStatusFigures& figures);
[[nodiscard]] std::wstring FormatRateText(const CVemoStatusFigures& figures);
[[nodiscard]] std::wstring FormatElapsedText(const CVemoStatusFigures& figures);
[[nodiscard]] std::wstring FormatRemainingText(const CVemoStatusFigures& figures);

// 0..15 for the checksum progress (bytes done of bytes queued); -1 outside Checksumming, with
// nothing queued, or with more done than queued.
[[nodiscard]] int ComputeProgressStep(const CVemoStatusFigures& figures);

// The initial texts of the six panes, before a document reports anything.
[[nodiscard]] std::wstring InitialStatusPaneText(UINT pane);
