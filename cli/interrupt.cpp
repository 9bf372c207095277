#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace {

std::atomic<int> g_signals{0};
// The temporary file's path: written only while g_temp_valid is false, read by the handler only
// while it is true.
char g_temp_path[4096];
std::atomic<bool> g_temp_valid{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handler needs lock-free atomics");

std::atomic<bool> g_reported{false};

// Async-signal-safe calls only.
void ForceExit() {
  if (g_temp_valid.load()) unlink(g_temp_path);
  if (!g_reported.exchange(true)) {
    static constexpr char kText[] = "\nvemo-cli: Interrupted.\n";
    (void)!write(STDERR_FILENO, kText, sizeof kText - 1);
  }
  _exit(kInterruptedExitStatus);
}

// How long the orderly end may take after the first signal.
constexpr unsigned kGraceSeconds = 1;

void OnSignal(int signal_number) {
  if (signal_number == SIGALRM || g_signals.fetch_add(1) != 0) ForceExit();
  alarm(kGraceSeconds);
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGALRM})
    sigaction(signal_number, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

bool InterruptRequested() { return g_signals.load() != 0; }

void TrackTemporaryFile(const char* path) {
  g_temp_valid.store(false);
  const std::size_t length = std::strlen(path);
  if (length >= sizeof g_temp_path) return;
  std::memcpy(g_temp_path, path, length + 1);
  g_temp_valid.store(true);
}

void ForgetTemporaryFile() { g_temp_valid.store(false); }

void NoteInterruptReported() { g_reported.store(true); }
