// Threads that are created suspended, started by their owner, given a Windows-style priority and
// a stack size, and waited on with a time-out.
//
// The Thread object belongs to one owning thread, which alone calls its members. The running
// thread keeps its own share of the bookkeeping, so destroying the object while the thread still
// runs is safe (the thread is detached and ends on its own).
#pragma once
#include <functional>
#include <memory>

#include "platform/win_types.h"

// Thread priorities relative to the process, as Windows numbers them.
inline constexpr int THREAD_PRIORITY_IDLE = -15;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

namespace platform {

// The change of nice value that stands for a thread priority: lowest +10, below normal +5, idle
// +19, normal 0; the raised priorities -5, -10 and -20 (honoured only with the privilege).
[[nodiscard]] int NiceOffsetForPriority(int priority);

class Thread {
 public:
  // Creates a thread that waits for Resume before it runs `body`. `stack_size` 0 takes the default;
  // other sizes are rounded up to whole pages and at least 64 KiB. The thread sets its own nice
  // value (the process's plus NiceOffsetForPriority) before it waits; a refusal is ignored.
  // Null with the last error set when the system creates no thread.
  [[nodiscard]] static std::unique_ptr<Thread> CreateSuspended(std::function<void()> body,
                                                               int priority, DWORD stack_size);
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Lets the thread run its body; once only.
  void Resume();
  // True when the body has returned within `timeout_ms` (0 looks once, INFINITE waits without
  // limit), false while it runs. The last error is left alone, so IsRunning-style checks never
  // disturb it. A thread never resumed counts as running.
  [[nodiscard]] bool Wait(DWORD timeout_ms) const;
  // The system's id of the thread (its Linux tid), never 0.
  [[nodiscard]] DWORD Id() const;

  struct State;

 private:
  explicit Thread(std::shared_ptr<State> state) : state_(std::move(state)) {}
  // The system's handle lives in the shared state, so that no caller sees <pthread.h>.
  std::shared_ptr<State> state_;
};

}  // namespace platform
