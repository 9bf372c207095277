// CNPtrArray: a growable array of untyped pointers, with the same ownership rule as CNPtrList:
// the virtual DestroyElement says what destroying an element means, the owning flag whether the
// destructor destroys the elements. A class that overrides DestroyElement must call
// RemoveAll(Owns()) in its own destructor (the variants below do).
//
// Growth: SetSize allocates exactly what it is asked for. Add on a full array grows by the stored
// grow-by step; with a step of 0 it grows by half its size (at least one element), so that filling
// an array one Add at a time copies each element a bounded number of times.
// Single-threaded: callers lock.
#pragma once
#include <cassert>
#include <cstddef>
#include <cstdlib>

#include "foundation/typed_iterator.h"

class CNPtrArray {
 public:
  // A negative grow-by is taken as 0.
  explicit CNPtrArray(bool owns = false, int grow_by = 0);
  CNPtrArray(const CNPtrArray&) = delete;
  CNPtrArray& operator=(const CNPtrArray&) = delete;
  virtual ~CNPtrArray();

  // What destroying an element means; the base array never owns, so nothing.
  virtual void DestroyElement(void* /*element*/) {}

  // Makes the size new_size; a grow_by of 0 or more replaces the stored step. Growing beyond the
  // capacity allocates exactly new_size; new slots are null. Shrinking keeps the first elements
  // (the dropped ones are forgotten, not destroyed) and keeps the storage. On allocation failure
  // returns false with ERROR_NOT_ENOUGH_MEMORY and the array unchanged.
  [[nodiscard]] bool SetSize(std::size_t new_size, int grow_by = -1);
  // Appends the element. On allocation failure returns false with ERROR_NOT_ENOUGH_MEMORY, the
  // array unchanged.
  [[nodiscard]] bool Add(void* element);
  // With destroy, each non-null element goes to DestroyElement; then the storage is freed and
  // size and capacity are 0.
  void RemoveAll(bool destroy);

  [[nodiscard]] std::size_t GetSize() const { return size_; }
  [[nodiscard]] std::size_t GetCapacity() const { return capacity_; }
  [[nodiscard]] int GetGrowBy() const { return grow_by_; }
  [[nodiscard]] bool IsEmpty() const { return size_ == 0; }
  [[nodiscard]] bool Owns() const { return owns_; }

  void* GetAt(std::size_t index) const {
    assert(index < size_ && "array index out of range");
    return data_[index];
  }
  void SetAt(std::size_t index, void* element) {
    assert(index < size_ && "array index out of range");
    data_[index] = element;
  }
  void*& operator[](std::size_t index) {
    assert(index < size_ && "array index out of range");
    return data_[index];
  }
  void* operator[](std::size_t index) const { return GetAt(index); }
  void** GetData() { return data_; }
  void** begin() { return data_; }
  void** end() { return data_ + size_; }
  void* const* begin() const { return data_; }
  void* const* end() const { return data_ + size_; }

 private:
  bool Reallocate(std::size_t capacity);

  void** data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  int grow_by_;
  bool owns_;
};

// Owning array of plain data: destroying an element releases its memory with free().
class CNOwningArray : public CNPtrArray {
 public:
  explicit CNOwningArray(bool owns = true, int grow_by = 0) : CNPtrArray(owns, grow_by) {}
  ~CNOwningArray() override { RemoveAll(Owns()); }
  void DestroyElement(void* element) override { std::free(element); }
};

// Object array: elements are T's, put in and given out as T* (the untyped calls of the base stay
// reachable through a CNPtrArray&); destroying an element deletes it as a T (through T's virtual
// destructor). Not owning, it is a typed array of pointers.
template <class T>
class CNObjectArray : public CNPtrArray {
 public:
  using iterator = CNTypedIterator<T, void* const*>;

  explicit CNObjectArray(bool owns = true, int grow_by = 0) : CNPtrArray(owns, grow_by) {}
  ~CNObjectArray() override { RemoveAll(Owns()); }
  void DestroyElement(void* element) override { delete static_cast<T*>(element); }

  [[nodiscard]] bool Add(T* element) { return CNPtrArray::Add(element); }
  T* GetAt(std::size_t index) const { return static_cast<T*>(CNPtrArray::GetAt(index)); }
  void SetAt(std::size_t index, T* element) { CNPtrArray::SetAt(index, element); }
  T* operator[](std::size_t index) const { return GetAt(index); }
  iterator begin() const { return iterator(CNPtrArray::begin()); }
  iterator end() const { return iterator(CNPtrArray::end()); }
};
