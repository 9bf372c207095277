// A mutex with the semantics of a Windows kernel mutex: any thread may wait on it, its owner may
// lock it again (each Lock needs its Unlock), waits take a time-out, and when the owning thread
// ends without unlocking, the next Lock acquires it and says so (kAbandoned).
//
// A locked mutex keeps itself alive until its owner unlocks it (or, after the owner ended, until
// the next owner does), so releasing the last handle while another thread holds it never frees
// memory the owner still uses.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/kernel_object.h"
#include "platform/win_types.h"

namespace platform {

class Mutex final : public KernelObject, public std::enable_shared_from_this<Mutex> {
 public:
  enum class LockResult {
    kAcquired,
    kAbandoned,  // acquired from an owner that ended without unlocking; the data it guards may be
                 // half-changed
    kTimedOut,
    kFailed,  // the last error says why
  };

  // Use CreateMutex; construction alone leaves the mutex unusable (IsUsable false).
  Mutex();
  ~Mutex() override;

  [[nodiscard]] bool IsUsable() const { return usable_; }

  // Waits up to `timeout_ms` (0 tries once, INFINITE waits without limit). Any thread.
  [[nodiscard]] LockResult Lock(DWORD timeout_ms);
  // Undoes one Lock of the calling thread; false with ERROR_NOT_OWNER when it does not own the
  // mutex.
  [[nodiscard]] bool Unlock();

 private:
  void TakeOwnership(bool abandoned);

  // The system's mutex, kept out of this header so that no caller sees <pthread.h>.
  struct Native;
  std::unique_ptr<Native> native_;
  bool usable_ = false;
  std::atomic<std::uint64_t> owner_{0};  // the owning thread's token; 0 when free
  DWORD depth_ = 0;                      // guarded by the native mutex: the owner's Lock count
  std::shared_ptr<Mutex> keep_alive_;    // guarded by the native mutex: set while owned
};

// Creates a mutex, or opens the live one of that name (then `initial_owner` is ignored and
// created_new is false). With `initial_owner` a new mutex is owned by the calling thread. A null or
// empty name makes a private mutex. On failure the object is null and the last error is set.
[[nodiscard]] CreateResult<Mutex> CreateMutex(bool initial_owner, const wchar_t* name);

}  // namespace platform
