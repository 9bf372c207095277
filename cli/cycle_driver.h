// The command line's idle processing: calls the document's PollWork at idle counts 100 and 101,
// as the GUI's idle loop does, with a short sleep between rounds in place of the main frame's
// timer, until the cycle is Idle or an interrupt is requested. Main thread.
#pragma once

class CVemoDoc;
class CliProgressLine;

enum class CycleOutcome {
  kIdle,         // the cycle ran to its end (check IsCycleIncomplete for a failed walk)
  kInterrupted,  // an interrupt was requested; the workers still run (close the document)
  kNotStarted,   // the document has no cycle (state 0)
};

struct CycleDriveOptions {
  // After the list is loaded, checksum only new and changed files (Rescan New) instead of the
  // every-file scan that follows loading.
  bool rescan_new_after_loading = false;
  CliProgressLine* progress = nullptr;  // not owned; may be null
};

[[nodiscard]] CycleOutcome RunCycleToIdle(CVemoDoc& doc, const CycleDriveOptions& options);
