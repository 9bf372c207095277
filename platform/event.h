// An event with the semantics of a Windows kernel event. A manual-reset event stays signalled until
// Reset and releases every waiter; an automatic-reset event releases one waiter and turns itself
// off. Any thread may call any member.
#pragma once
#include <condition_variable>
#include <mutex>

#include "platform/kernel_object.h"
#include "platform/win_types.h"

namespace platform {

class Event final : public KernelObject {
 public:
  Event(bool manual_reset, bool initially_signalled)
      : manual_reset_(manual_reset), signalled_(initially_signalled) {}

  void Set();
  void Reset();
  // True when the event was signalled within `timeout_ms` (0 looks once, INFINITE waits without
  // limit); an automatic-reset event is then off again. False with ERROR_WAIT_TIMEOUT otherwise.
  [[nodiscard]] bool Wait(DWORD timeout_ms);

 private:
  const bool manual_reset_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_;  // guarded by mutex_
};

// Creates an event, or opens the live one of that name (then the two flags are ignored and
// created_new is false). A null or empty name makes a private event. On failure the object is null
// and the last error is set (ERROR_INVALID_HANDLE when the name belongs to a mutex).
[[nodiscard]] CreateResult<Event> CreateEvent(bool manual_reset, bool initially_signalled,
                                              const wchar_t* name);

}  // namespace platform
