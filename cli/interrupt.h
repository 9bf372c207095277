// Ctrl-C and termination requests. The first SIGINT, SIGTERM or SIGHUP only sets a flag: the
// main loop notices it between idle steps, stops the document's workers and exits with 130, and
// a save in progress (temporary file, fsync, rename) always finishes or cleans up first. A second
// signal ends the process at once, after removing the temporary file of an unfinished save.
// SIGPIPE is ignored, so that a closed output pipe cannot kill a save; writes then fail instead.
#pragma once

// Installs the handlers. Main thread, once, before any worker thread starts (threads inherit the
// signal mask; the handlers themselves run on whichever thread the kernel picks).
void InstallInterruptHandlers();

// Whether an interrupt was requested. Any thread.
[[nodiscard]] bool InterruptRequested();

// The exit status of an interrupted run.
inline constexpr int kInterruptedExitStatus = 130;

// The temporary file of a save in progress, removed by a forced exit. path must be shorter than
// 4096 bytes (a longer one is simply not tracked). Main thread.
void TrackTemporaryFile(const char* path);
void ForgetTemporaryFile();
