// CNTypedIterator: walks the untyped pointers of a CNPtrList or CNPtrArray and gives each element
// as T*, so that the typed containers (CNObjectList, CNObjectArray) are iterated without a cast at
// every use. The cast is the container's promise: only T's were put in.
#pragma once
#include <cstddef>
#include <iterator>

template <class T, class Base>
class CNTypedIterator {
 public:
  using value_type = T*;
  using reference = T*;
  using pointer = void;
  using difference_type = std::ptrdiff_t;
  using iterator_category = std::forward_iterator_tag;

  CNTypedIterator() = default;
  explicit CNTypedIterator(Base at) : at_(at) {}

  T* operator*() const { return static_cast<T*>(*at_); }
  CNTypedIterator& operator++() {
    ++at_;
    return *this;
  }
  CNTypedIterator operator++(int) {
    CNTypedIterator before = *this;
    ++at_;
    return before;
  }
  bool operator==(const CNTypedIterator& other) const = default;

 private:
  Base at_{};
};
