// Base of the synchronisation objects that may carry a name (mutexes and events). Names form one
// namespace per process: creating an object under a name that a live object already has gives
// that object again, whatever its kind was asked for; a name of another kind fails. Objects are
// held by std::shared_ptr, and an object lives while any holder keeps it.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace platform {

class KernelObject {
 public:
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;
  virtual ~KernelObject();

 protected:
  KernelObject() = default;

 private:
  friend std::shared_ptr<KernelObject> FindOrCreateNamedObject(
      const wchar_t* name, bool* created_new,
      const std::function<std::shared_ptr<KernelObject>()>& make);
  std::wstring name_;  // empty for an unnamed object; set once, before the object is shared
};

// The outcome of creating a synchronisation object: the object (null on failure, with the last
// error set) and whether this call made it (false when a named object of that name existed).
template <class T>
struct CreateResult {
  std::shared_ptr<T> object;
  bool created_new = false;
};

// Returns the live object named `name`, or the one `make` returns, registered under the name. A
// null or empty name makes an unnamed object. `make` runs under the registry's lock and must not
// create other objects. Sets *created_new. Thread-safe.
std::shared_ptr<KernelObject> FindOrCreateNamedObject(
    const wchar_t* name, bool* created_new,
    const std::function<std::shared_ptr<KernelObject>()>& make);

// Typed form: fails with ERROR_INVALID_HANDLE when the name belongs to an object of another kind.
template <class T>
CreateResult<T> FindOrCreateNamed(const wchar_t* name,
                                  const std::function<std::shared_ptr<T>()>& make);

}  // namespace platform

#include "platform/kernel_object_inl.h"
