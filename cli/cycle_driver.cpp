#include "cli/cycle_driver.h"

#include <chrono>
#include <thread>

#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "document/vemo_doc.h"

namespace {

// Each phase's end (walk, checksums, formatting) is seen only at the next round, so a create
// waits out about one pause per phase: with 5 ms, the create of one small file took 20 ms instead
// of 8. A round that finds nothing new costs microseconds, so 1 ms still leaves the cores to the
// workers; checksum results are drained completely on every poll, so no worker waits on it.
constexpr auto kIdleRoundPause = std::chrono::milliseconds(1);

}  // namespace

CycleOutcome RunCycleToIdle(CVemoDoc& doc, const CycleDriveOptions& options) {
  // No window waits on these polls: each step runs to its end at once, with no pause between.
  doc.SetPollBudget(CVemoPollBudget::kUnlimited);
  while (true) {
    if (InterruptRequested()) return CycleOutcome::kInterrupted;
    const DocState state = doc.GetState();
    if (state == DocState::kNone) return CycleOutcome::kNotStarted;
    if (state == DocState::kIdle) return CycleOutcome::kIdle;
    for (const long count : {kPollCountFirst, kPollCountLast}) {
      const DocState before = doc.GetState();
      (void)doc.PollWork(count);
      // The loading poll has just started the every-file scan; a Rescan New replaces it before
      // the walk can end.
      if (options.rescan_new_after_loading && before == DocState::kLoading &&
          doc.GetState() == DocState::kScanning) {
        doc.StartRescan(RescanMode::kNew);
      }
    }
    if (doc.GetState() != DocState::kIdle) {
      if (options.progress != nullptr) options.progress->Show(doc);
      std::this_thread::sleep_for(kIdleRoundPause);
    }
  }
}
