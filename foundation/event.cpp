#include "foundation/event.h"

#include "platform/error_codes.h"
#include "platform/last_error.h"

CNEvent::CNEvent(bool manual_reset, bool initially_signalled, const wchar_t* name) {
  (void)Create(manual_reset, initially_signalled, name);
}

bool CNEvent::Create(bool manual_reset, bool initially_signalled, const wchar_t* name) {
  // Copied before Close, which frees the current name that `name` may point into.
  std::optional<std::wstring> new_name;
  if (name != nullptr) new_name.emplace(name);
  Close();
  platform::CreateResult<platform::Event> created = platform::CreateEvent(
      manual_reset, initially_signalled, new_name ? new_name->c_str() : nullptr);
  if (!created.object) return false;
  handle_ = std::move(created.object);
  created_new_ = created.created_new;
  name_ = std::move(new_name);
  return true;
}

void CNEvent::Close() {
  if (!handle_) return;
  handle_.reset();
  created_new_ = false;
  name_.reset();
}

bool CNEvent::Set() {
  if (!handle_) {
    platform::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  handle_->Set();
  return true;
}

bool CNEvent::Reset() {
  if (!handle_) {
    platform::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  handle_->Reset();
  return true;
}

bool CNEvent::Wait(DWORD timeout_ms) {
  if (!handle_) {
    platform::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return handle_->Wait(timeout_ms);
}
