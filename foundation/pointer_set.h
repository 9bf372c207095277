// CNPointerSet: a set of non-null pointers, for asking whether an object is still one of a
// collection's (a document's million entries). One flat table of the pointers themselves, open
// addressing with linear probing, at most three quarters full: 8 to 16 bytes a pointer, against
// about 40 in a key map keyed by the pointer's bytes. No order. Single-threaded: callers lock.
#pragma once
#include <cstddef>
#include <cstdint>

class CNPointerSet {
 public:
  CNPointerSet() = default;
  CNPointerSet(const CNPointerSet&) = delete;
  CNPointerSet& operator=(const CNPointerSet&) = delete;
  ~CNPointerSet() { RemoveAll(); }

  [[nodiscard]] bool Contains(const void* pointer) const;
  // Starts fetching the slot where the pointer is looked for first, without waiting for it: a loop
  // that adds many pointers asks a few ahead. Changes nothing.
  void Prefetch(const void* pointer) const {
    if (slots_ != nullptr)
      __builtin_prefetch(&slots_[Home(reinterpret_cast<std::uintptr_t>(pointer))]);
  }
  // Adds a non-null pointer (present already: nothing changes). False only when memory runs out
  // (last error ERROR_NOT_ENOUGH_MEMORY); the set is then unchanged.
  [[nodiscard]] bool Add(const void* pointer);
  // Removes the pointer if present.
  void Remove(const void* pointer);
  // Empties the set and frees its table.
  void RemoveAll();

  [[nodiscard]] std::size_t GetCount() const { return count_; }
  [[nodiscard]] bool IsEmpty() const { return count_ == 0; }
  // Bytes held by the table, for measurements.
  [[nodiscard]] std::size_t MemoryUsage() const { return (mask_ + 1) * sizeof(std::uintptr_t); }

 private:
  [[nodiscard]] std::size_t Home(std::uintptr_t value) const;
  // The slot holding value, or the empty slot where it would go.
  [[nodiscard]] std::size_t Find(std::uintptr_t value) const;
  bool Grow();

  std::uintptr_t* slots_ = nullptr;                  // 0 marks an empty slot
  std::size_t mask_ = static_cast<std::size_t>(-1);  // table size - 1; no table: size 0
  unsigned shift_ = 64;                              // 64 - log2(table size)
  std::size_t count_ = 0;
};
