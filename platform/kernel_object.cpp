#include "platform/kernel_object.h"

#include <map>
#include <mutex>
#include <new>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace platform {
namespace {

std::shared_ptr<KernelObject> MakeQuietly(
    const std::function<std::shared_ptr<KernelObject>()>& make) {
  try {
    std::shared_ptr<KernelObject> object = make();
    if (object) return object;
  } catch (const std::bad_alloc&) {
  }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

struct Registry {
  std::mutex mutex;
  std::map<std::wstring, std::weak_ptr<KernelObject>> objects;  // guarded by mutex
};

Registry& TheRegistry() {
  // Never destroyed: objects may end during static destruction and still look themselves up.
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

KernelObject::~KernelObject() {
  if (name_.empty()) return;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.mutex);
  // A newer object of the same name may already stand in the entry; only an expired one is ours.
  auto it = registry.objects.find(name_);
  if (it != registry.objects.end() && it->second.expired()) registry.objects.erase(it);
}

std::shared_ptr<KernelObject> FindOrCreateNamedObject(
    const wchar_t* name, bool* created_new,
    const std::function<std::shared_ptr<KernelObject>()>& make) {
  *created_new = false;
  if (name == nullptr || *name == L'\0') {
    std::shared_ptr<KernelObject> object = MakeQuietly(make);
    if (!object) return nullptr;
    *created_new = true;
    return object;
  }
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.mutex);
  auto it = registry.objects.find(name);
  if (it != registry.objects.end()) {
    if (std::shared_ptr<KernelObject> existing = it->second.lock()) return existing;
  }
  std::shared_ptr<KernelObject> object = MakeQuietly(make);
  if (!object) return nullptr;
  object->name_ = name;
  registry.objects.insert_or_assign(object->name_, object);
  *created_new = true;
  return object;
}

}  // namespace platform
