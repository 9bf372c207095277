// Ctrl-C and termination requests. The first SIGINT, SIGTERM or SIGHUP sets a flag: the main loop
// notices it between idle steps, stops the document's workers and exits with 130. Whatever the
// program waits for meanwhile (a disk that takes its time to flush a save, a worker stuck in a
// read of a hung network file system), it ends within a second of that first signal: the signal
// also arms a one-second alarm, and a second signal or the alarm ends the process at once, after
// removing the temporary file of an unfinished save (the old list is untouched by it).
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

// The orderly end has told the user; a forced exit after this adds no second "interrupted".
void NoteInterruptReported();
