// CNEvent: an owning wrapper around a kernel-style event (platform/event.h), with manual or
// automatic reset. A named event is shared by name within the process; CreatedNew tells whether
// this object made it.
//
// Create and Close belong to the object's owner and must not race with the other members; Set,
// Reset and Wait may be called from any thread.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/event.h"
#include "platform/timeout.h"
#include "platform/win_types.h"

class CNEvent {
 public:
  // Calls Create; check IsValid to learn whether it succeeded.
  explicit CNEvent(bool manual_reset = false, bool initially_signalled = false,
                   const wchar_t* name = nullptr);
  ~CNEvent() { Close(); }
  CNEvent(const CNEvent&) = delete;
  CNEvent& operator=(const CNEvent&) = delete;

  // Closes any event held, then creates one (or opens the live one of that name, where the flags
  // are ignored and CreatedNew is false). False with the last error set leaves the object closed.
  // `name` may be the object's own Name().
  [[nodiscard]] bool Create(bool manual_reset, bool initially_signalled, const wchar_t* name);
  // Drops the handle, the created-new flag and the name; harmless when nothing is held.
  void Close();

  // Set and Reset: false with ERROR_INVALID_HANDLE when no event is held.
  bool Set();
  bool Reset();
  // True when the event was signalled within `timeout_ms`; false on time-out (ERROR_WAIT_TIMEOUT)
  // or without an event (ERROR_INVALID_HANDLE).
  [[nodiscard]] bool Wait(DWORD timeout_ms = INFINITE);

  [[nodiscard]] bool IsValid() const { return handle_ != nullptr; }
  [[nodiscard]] bool CreatedNew() const { return created_new_; }
  [[nodiscard]] const wchar_t* Name() const { return name_ ? name_->c_str() : nullptr; }

 private:
  std::shared_ptr<platform::Event> handle_;
  bool created_new_ = false;
  std::optional<std::wstring> name_;
};
