// CNMutexLock: holds a CNMutex for a scope. The usual form locks at once without time-out; the
// holder counts its own successful Locks and on destruction undoes exactly those, so a holder
// that did not (or could not) lock never releases a lock that another scope of the same thread
// holds. The mutex must outlive the holder; one thread uses a holder.
#pragma once
#include "foundation/mutex.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/timeout.h"
#include "platform/win_types.h"

class CNMutexLock {
 public:
  explicit CNMutexLock(CNMutex& mutex) : CNMutexLock(mutex, true) {}
  CNMutexLock(CNMutex& mutex, bool lock_now) : mutex_(&mutex) {
    if (lock_now) (void)Lock(INFINITE);
  }
  ~CNMutexLock() {
    while (held_ > 0) Unlock();
  }
  CNMutexLock(const CNMutexLock&) = delete;
  CNMutexLock& operator=(const CNMutexLock&) = delete;

  [[nodiscard]] bool Lock(DWORD timeout_ms = INFINITE) {
    if (!mutex_->Lock(timeout_ms)) return false;
    ++held_;
    return true;
  }
  // Undoes one Lock of this holder; false with ERROR_NOT_OWNER when it holds none.
  bool Unlock() {
    if (held_ == 0) {
      platform::SetLastError(ERROR_NOT_OWNER);
      return false;
    }
    --held_;
    return mutex_->Unlock();
  }

 private:
  CNMutex* mutex_;
  DWORD held_ = 0;  // successful Locks of this holder not yet undone
};
