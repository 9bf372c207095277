// CNMutex: an owning wrapper around a kernel-style mutex (platform/mutex.h): any thread may wait
// on it with a time-out, its owner may lock it again, and a mutex whose owner ended without
// unlocking is acquired by the next Lock. A named mutex is shared by name within the process.
//
// Create and Close belong to the object's owner and must not race with Lock or Unlock; Lock and
// Unlock may be called from any thread.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/mutex.h"
#include "platform/timeout.h"
#include "platform/win_types.h"

class CNMutex {
 public:
  // Calls Create; check IsValid to learn whether it succeeded.
  explicit CNMutex(bool initial_owner = false, const wchar_t* name = nullptr);
  ~CNMutex() { Close(); }
  CNMutex(const CNMutex&) = delete;
  CNMutex& operator=(const CNMutex&) = delete;

  // Closes any mutex held, then creates one (or opens the live one of that name, where
  // `initial_owner` is ignored). False with the last error set leaves the object closed. `name` may
  // be the object's own Name().
  [[nodiscard]] bool Create(bool initial_owner, const wchar_t* name);
  // Drops the name and the handle; harmless when nothing is held.
  void Close();

  // True when the mutex is now owned by the calling thread, also when taken over from an owner
  // that ended without unlocking. False on time-out (ERROR_WAIT_TIMEOUT) or without a mutex
  // (ERROR_INVALID_HANDLE).
  [[nodiscard]] bool Lock(DWORD timeout_ms = INFINITE);
  // Undoes one Lock; false with ERROR_NOT_OWNER when the calling thread does not own it.
  bool Unlock();

  [[nodiscard]] bool IsValid() const { return handle_ != nullptr; }
  // The name given at creation; null for an unnamed mutex or when closed.
  [[nodiscard]] const wchar_t* Name() const { return name_ ? name_->c_str() : nullptr; }

 private:
  std::shared_ptr<platform::Mutex> handle_;
  std::optional<std::wstring> name_;
};
