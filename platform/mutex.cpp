#include "platform/mutex.h"

#include <pthread.h>
#include <time.h>

#include <cerrno>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/timeout.h"

namespace platform {
namespace {

// A token per thread that is never reused, unlike thread ids: a thread that starts after the owner
// ended must not pass for the owner.
std::uint64_t ThreadToken() {
  static std::atomic<std::uint64_t> next{1};
  thread_local const std::uint64_t token = next.fetch_add(1, std::memory_order_relaxed);
  return token;
}

timespec DeadlineAfter(clockid_t clock, DWORD timeout_ms) {
  timespec deadline{};
  clock_gettime(clock, &deadline);
  deadline.tv_sec += static_cast<time_t>(timeout_ms / 1000);
  deadline.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  return deadline;
}

int TimedLock(pthread_mutex_t* mutex, DWORD timeout_ms) {
#if defined(__SANITIZE_THREAD__)
  // ThreadSanitizer does not intercept pthread_mutex_clocklock and would miss the acquisition.
  const timespec deadline = DeadlineAfter(CLOCK_REALTIME, timeout_ms);
  return pthread_mutex_timedlock(mutex, &deadline);
#else
  // The monotonic clock keeps the time-out right when the wall clock is set.
  const timespec deadline = DeadlineAfter(CLOCK_MONOTONIC, timeout_ms);
  return pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline);
#endif
}

}  // namespace

struct Mutex::Native {
  pthread_mutex_t mutex;
};

Mutex::Mutex() : native_(std::make_unique<Native>()) {
  pthread_mutexattr_t attr;
  if (pthread_mutexattr_init(&attr) != 0) return;
  const bool configured = pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                          pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0;
  usable_ = configured && pthread_mutex_init(&native_->mutex, &attr) == 0;
  pthread_mutexattr_destroy(&attr);
}

Mutex::~Mutex() {
  // Not owned by anyone here: an owner would still hold keep_alive_.
  if (usable_) pthread_mutex_destroy(&native_->mutex);
}

Mutex::LockResult Mutex::Lock(DWORD timeout_ms) {
  int rc;
  if (timeout_ms == INFINITE) {
    rc = pthread_mutex_lock(&native_->mutex);
  } else if (timeout_ms == 0) {
    rc = pthread_mutex_trylock(&native_->mutex);
  } else {
    rc = TimedLock(&native_->mutex, timeout_ms);
  }
  switch (rc) {
    case 0:
      TakeOwnership(false);
      return LockResult::kAcquired;
    case EOWNERDEAD:
      pthread_mutex_consistent(&native_->mutex);
      TakeOwnership(true);
      return LockResult::kAbandoned;
    case EBUSY:
    case ETIMEDOUT:
      SetLastError(ERROR_WAIT_TIMEOUT);
      return LockResult::kTimedOut;
    default:
      SetLastErrorFromErrno(rc);
      return LockResult::kFailed;
  }
}

void Mutex::TakeOwnership(bool abandoned) {
  const std::uint64_t self = ThreadToken();
  if (abandoned) {
    // The dead owner's count is void; its keep_alive_ stays, now on behalf of this thread.
    depth_ = 0;
    owner_.store(0, std::memory_order_relaxed);
  }
  if (owner_.load(std::memory_order_relaxed) == self) {
    ++depth_;
    return;
  }
  owner_.store(self, std::memory_order_relaxed);
  depth_ = 1;
  if (!keep_alive_) keep_alive_ = weak_from_this().lock();
}

bool Mutex::Unlock() {
  if (owner_.load(std::memory_order_relaxed) != ThreadToken()) {
    SetLastError(ERROR_NOT_OWNER);
    return false;
  }
  if (--depth_ > 0) {
    pthread_mutex_unlock(&native_->mutex);
    return true;
  }
  owner_.store(0, std::memory_order_relaxed);
  // Moved out first: when it was the last reference, the mutex is destroyed only after it is
  // unlocked, and no member is touched after that.
  std::shared_ptr<Mutex> keep = std::move(keep_alive_);
  pthread_mutex_unlock(&native_->mutex);
  return true;
}

CreateResult<Mutex> CreateMutex(bool initial_owner, const wchar_t* name) {
  // Made and, when asked, locked before the registry lets anyone else see it, so the initial
  // ownership is never lost to another thread that opens the name at the same time.
  return FindOrCreateNamed<Mutex>(name, [initial_owner]() -> std::shared_ptr<Mutex> {
    auto mutex = std::make_shared<Mutex>();
    if (!mutex->IsUsable()) return nullptr;
    if (initial_owner && mutex->Lock(0) != Mutex::LockResult::kAcquired) return nullptr;
    return mutex;
  });
}

}  // namespace platform
