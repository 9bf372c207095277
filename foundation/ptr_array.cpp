#include "foundation/ptr_array.h"

#include <cstdint>
#include <cstring>

#include "platform/error_codes.h"
#include "platform/last_error.h"

CNPtrArray::CNPtrArray(bool owns, int grow_by) : grow_by_(grow_by < 0 ? 0 : grow_by), owns_(owns) {}

CNPtrArray::~CNPtrArray() { RemoveAll(owns_); }

bool CNPtrArray::Reallocate(std::size_t capacity) {
  if (capacity > SIZE_MAX / sizeof(void*)) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  void** data = static_cast<void**>(std::realloc(data_, capacity * sizeof(void*)));
  if (data == nullptr) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  data_ = data;
  capacity_ = capacity;
  return true;
}

bool CNPtrArray::SetSize(std::size_t new_size, int grow_by) {
  if (new_size > capacity_ && !Reallocate(new_size)) return false;
  if (grow_by >= 0) grow_by_ = grow_by;
  if (new_size > size_) std::memset(data_ + size_, 0, (new_size - size_) * sizeof(void*));
  size_ = new_size;
  return true;
}

bool CNPtrArray::Add(void* element) {
  if (size_ == capacity_) {
    std::size_t step = grow_by_ > 0 ? static_cast<std::size_t>(grow_by_) : size_ / 2;
    if (step == 0) step = 1;
    if (capacity_ > SIZE_MAX - step || !Reallocate(capacity_ + step)) {
      platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
  }
  data_[size_++] = element;
  return true;
}

void CNPtrArray::RemoveAll(bool destroy) {
  // Detach first: DestroyElement may look at the array and must find it empty.
  void** data = data_;
  std::size_t size = size_;
  data_ = nullptr;
  size_ = capacity_ = 0;
  if (destroy) {
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] != nullptr) DestroyElement(data[i]);
    }
  }
  std::free(data);
}
