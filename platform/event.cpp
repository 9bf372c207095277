#include "platform/event.h"

#include <chrono>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/timeout.h"

namespace platform {

void Event::Set() {
  std::lock_guard<std::mutex> hold(mutex_);
  signalled_ = true;
  if (manual_reset_) {
    changed_.notify_all();
  } else {
    changed_.notify_one();
  }
}

void Event::Reset() {
  std::lock_guard<std::mutex> hold(mutex_);
  signalled_ = false;
}

bool Event::Wait(DWORD timeout_ms) {
  std::unique_lock<std::mutex> hold(mutex_);
  const auto is_set = [this] { return signalled_; };
  if (timeout_ms == INFINITE) {
    changed_.wait(hold, is_set);
  } else if (timeout_ms == 0) {
    if (!signalled_) {  // a poll: no timed wait, which would cost a futex call
      SetLastError(ERROR_WAIT_TIMEOUT);
      return false;
    }
  } else if (!changed_.wait_for(hold, std::chrono::milliseconds(timeout_ms), is_set)) {
    SetLastError(ERROR_WAIT_TIMEOUT);
    return false;
  }
  if (!manual_reset_) signalled_ = false;
  return true;
}

CreateResult<Event> CreateEvent(bool manual_reset, bool initially_signalled, const wchar_t* name) {
  return FindOrCreateNamed<Event>(name, [manual_reset, initially_signalled] {
    return std::make_shared<Event>(manual_reset, initially_signalled);
  });
}

}  // namespace platform
