#include "foundation/mutex.h"

#include "platform/error_codes.h"
#include "platform/last_error.h"

CNMutex::CNMutex(bool initial_owner, const wchar_t* name) { (void)Create(initial_owner, name); }

bool CNMutex::Create(bool initial_owner, const wchar_t* name) {
  // Copied before Close, which frees the current name that `name` may point into.
  std::optional<std::wstring> new_name;
  if (name != nullptr) new_name.emplace(name);
  Close();
  platform::CreateResult<platform::Mutex> created =
      platform::CreateMutex(initial_owner, new_name ? new_name->c_str() : nullptr);
  if (!created.object) return false;
  handle_ = std::move(created.object);
  name_ = std::move(new_name);
  return true;
}

void CNMutex::Close() {
  if (!handle_) return;
  name_.reset();
  handle_.reset();
}

bool CNMutex::Lock(DWORD timeout_ms) {
  if (!handle_) {
    platform::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  switch (handle_->Lock(timeout_ms)) {
    case platform::Mutex::LockResult::kAcquired:
    case platform::Mutex::LockResult::kAbandoned:
      return true;
    case platform::Mutex::LockResult::kTimedOut:
    case platform::Mutex::LockResult::kFailed:
      return false;
  }
  return false;
}

bool CNMutex::Unlock() {
  if (!handle_) {
    platform::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return handle_->Unlock();
}
