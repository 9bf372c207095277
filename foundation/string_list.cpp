#include "foundation/string_list.h"

#include <new>

#include "platform/error_codes.h"
#include "platform/last_error.h"

CNStringList::Node CNStringList::AddTail(std::wstring text) {
  try {
    items_.push_back(std::move(text));
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return items_.end();
  }
  return std::prev(items_.end());
}

std::wstring CNStringList::RemoveHead() {
  if (items_.empty()) return std::wstring();
  std::wstring text = std::move(items_.front());
  items_.pop_front();
  return text;
}
