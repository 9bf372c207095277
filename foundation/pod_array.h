// PodArray<T>: a growable array of trivially copyable elements in one malloc block, grown with
// realloc. A large block grows by remapping its pages (mremap) where std::vector would copy every
// element into freshly allocated memory and touch each page of it again: for arrays of millions of
// elements that grow step by step, the copies and page faults cost more than the work stored.
//
// Failures: Reserve, PushBack and Append throw std::bad_alloc and leave the array as it was.
// Single-threaded, like the containers that hold it.
#pragma once
#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

template <class T>
class PodArray {
  static_assert(std::is_trivially_copyable_v<T>, "elements are moved as bytes");

 public:
  PodArray() = default;
  PodArray(const PodArray&) = delete;
  PodArray& operator=(const PodArray&) = delete;
  PodArray(PodArray&& other) noexcept { Swap(other); }
  PodArray& operator=(PodArray&& other) noexcept {
    PodArray(std::move(other)).Swap(*this);
    return *this;
  }
  ~PodArray() { std::free(data_); }

  [[nodiscard]] T* data() { return data_; }
  [[nodiscard]] const T* data() const { return data_; }
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] std::size_t capacity() const { return capacity_; }
  [[nodiscard]] bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) {
    assert(i < size_ && "index out of range");
    return data_[i];
  }
  const T& operator[](std::size_t i) const {
    assert(i < size_ && "index out of range");
    return data_[i];
  }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  // Makes the capacity at least count elements.
  void Reserve(std::size_t count) {
    if (count <= capacity_) return;
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* grown = std::realloc(data_, count * sizeof(T));
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(grown);
    capacity_ = count;
  }
  void PushBack(const T& value) {
    if (size_ == capacity_) Reserve(size_ + size_ / 2 + 1);
    data_[size_++] = value;
  }
  // Appends count elements copied from first, which must not lie inside this array.
  void Append(const T* first, std::size_t count) {
    if (count == 0) return;
    if (count > capacity_ - size_) Reserve(size_ + count);
    std::memcpy(static_cast<void*>(data_ + size_), first, count * sizeof(T));
    size_ += count;
  }
  // Drops the elements from count on; the capacity stays.
  void Truncate(std::size_t count) {
    assert(count <= size_ && "truncating cannot grow the array");
    size_ = count;
  }
  // Empties the array and releases its memory.
  void Release() { PodArray().Swap(*this); }
  void Swap(PodArray& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
