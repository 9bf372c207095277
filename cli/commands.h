// The three commands of vemo-cli. Each runs one document through its cycle on the calling (main)
// thread and returns the process's exit status:
//   0  every entry unchanged (tolerated differences count as unchanged)
//   1  an entry changed, damaged, moved, new, missing or in error, or the list was tampered with
//      or empty
//   2  the command could not do its work (unreadable list, failed walk, failed save, bad output)
//   130 interrupted (no partial file is left behind)
// The settings (tolerances) must be in force before a command is called. Files are read and
// written through `files`.
#pragma once
#include "cli/cli_options.h"
#include "cli/vemo_cli.h"

// create [DIR]: a new list of DIR, saved as DIR/check.sum. Refused (2) when DIR holds a list.
[[nodiscard]] int RunCreateCommand(const CliOptions& options, const CliFileAccess& files);
// verify [PATH]: the list's cycle and report; writes nothing.
[[nodiscard]] int RunVerifyCommand(const CliOptions& options, const CliFileAccess& files);
// update [PATH]: verify, then save into the base directory and run the follow-up Rescan New.
[[nodiscard]] int RunUpdateCommand(const CliOptions& options, const CliFileAccess& files);

// Exit statuses.
inline constexpr int kExitUnchanged = 0;
inline constexpr int kExitDifferences = 1;
inline constexpr int kExitFailure = 2;
