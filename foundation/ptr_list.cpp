#include "foundation/ptr_list.h"

#include <new>

#include "platform/error_codes.h"
#include "platform/last_error.h"

CNPtrList::~CNPtrList() { RemoveAll(owns_); }

CNPtrList::Node CNPtrList::AddTail(void* element) {
  try {
    items_.push_back(element);
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return items_.end();
  }
  return std::prev(items_.end());
}

void CNPtrList::RemoveNode(Node node) { items_.erase(node); }

void* CNPtrList::RemoveHead() {
  if (items_.empty()) return nullptr;
  void* element = items_.front();
  items_.pop_front();
  return element;
}

void CNPtrList::RemoveAll(bool destroy) {
  // Node first, element second: DestroyElement may look at the list and must not find it there.
  while (!items_.empty()) {
    void* element = items_.front();
    items_.pop_front();
    if (destroy) DestroyElement(element);
  }
}
