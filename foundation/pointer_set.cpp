#include "foundation/pointer_set.h"

#include <cstdlib>

#include "platform/error_codes.h"
#include "platform/last_error.h"

std::size_t CNPointerSet::Home(std::uintptr_t value) const {
  // Fibonacci hashing: objects lie at multiples of their alignment, the top bits of the product
  // spread them over the table.
  return static_cast<std::size_t>((static_cast<std::uint64_t>(value) * 0x9E3779B97F4A7C15ull) >>
                                  shift_);
}

std::size_t CNPointerSet::Find(std::uintptr_t value) const {
  std::size_t i = Home(value);
  while (slots_[i] != 0 && slots_[i] != value) i = (i + 1) & mask_;
  return i;
}

bool CNPointerSet::Contains(const void* pointer) const {
  if (count_ == 0 || pointer == nullptr) return false;
  return slots_[Find(reinterpret_cast<std::uintptr_t>(pointer))] != 0;
}

bool CNPointerSet::Grow() {
  const std::size_t old_size = slots_ == nullptr ? 0 : mask_ + 1;
  const std::size_t size = old_size == 0 ? 16 : old_size * 2;
  auto* slots = static_cast<std::uintptr_t*>(std::calloc(size, sizeof(std::uintptr_t)));
  if (slots == nullptr) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  std::uintptr_t* old = slots_;
  slots_ = slots;
  mask_ = size - 1;
  shift_ = static_cast<unsigned>(64 - __builtin_ctzll(size));
  for (std::size_t i = 0; i < old_size; ++i) {
    if (old[i] != 0) slots_[Find(old[i])] = old[i];
  }
  std::free(old);
  return true;
}

bool CNPointerSet::Add(const void* pointer) {
  const auto value = reinterpret_cast<std::uintptr_t>(pointer);
  if (value == 0) return true;
  if (slots_ != nullptr && slots_[Find(value)] == value) return true;
  if (slots_ == nullptr || (count_ + 1) * 4 > (mask_ + 1) * 3) {
    if (!Grow()) return false;
  }
  slots_[Find(value)] = value;
  ++count_;
  return true;
}

void CNPointerSet::Remove(const void* pointer) {
  const auto value = reinterpret_cast<std::uintptr_t>(pointer);
  if (count_ == 0 || value == 0) return;
  std::size_t hole = Find(value);
  if (slots_[hole] == 0) return;
  // Backward shift: every later pointer of the run whose home does not lie cyclically in
  // (hole, j] moves into the hole, so lookups never meet a gap before their pointer.
  for (std::size_t j = (hole + 1) & mask_; slots_[j] != 0; j = (j + 1) & mask_) {
    const std::size_t home = Home(slots_[j]);
    const bool stays = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (stays) continue;
    slots_[hole] = slots_[j];
    hole = j;
  }
  slots_[hole] = 0;
  if (--count_ == 0) RemoveAll();
}

void CNPointerSet::RemoveAll() {
  std::free(slots_);
  slots_ = nullptr;
  mask_ = static_cast<std::size_t>(-1);
  shift_ = 64;
  count_ = 0;
}
