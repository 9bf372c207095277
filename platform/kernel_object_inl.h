// Template part of platform/kernel_object.h.
#pragma once
#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace platform {

template <class T>
CreateResult<T> FindOrCreateNamed(const wchar_t* name,
                                  const std::function<std::shared_ptr<T>()>& make) {
  CreateResult<T> result;
  std::shared_ptr<KernelObject> any = FindOrCreateNamedObject(
      name, &result.created_new, [&make]() -> std::shared_ptr<KernelObject> { return make(); });
  if (!any) return result;
  result.object = std::dynamic_pointer_cast<T>(any);
  if (!result.object) {
    result.created_new = false;
    SetLastError(ERROR_INVALID_HANDLE);
  }
  return result;
}

}  // namespace platform
