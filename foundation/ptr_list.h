// CNPtrList: a doubly linked list of untyped pointers, with the ownership rule shared by the
// program's containers: the virtual DestroyElement says what destroying an element means, and the
// owning flag says whether the destructor destroys the elements or only forgets them.
//
// Single-threaded: callers lock. A C++ destructor only reaches the DestroyElement of its own class,
// so every class that overrides DestroyElement must call RemoveAll(Owns()) in its own destructor
// (the variants below do); the base destructor destroys nothing, as the base list never owns.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <list>

#include "foundation/typed_iterator.h"

class CNPtrList {
 public:
  using Node = std::list<void*>::iterator;

  explicit CNPtrList(bool owns = false) : owns_(owns) {}
  CNPtrList(const CNPtrList&) = delete;
  CNPtrList& operator=(const CNPtrList&) = delete;
  virtual ~CNPtrList();

  // What destroying an element means; the base list never owns, so nothing.
  virtual void DestroyElement(void* /*element*/) {}

  // Appends the element in a new node. On allocation failure returns End() and sets the last error
  // ERROR_NOT_ENOUGH_MEMORY; the list is unchanged and the element stays the caller's.
  [[nodiscard]] Node AddTail(void* element);
  // Unlinks and frees the node; the element is left to the caller.
  void RemoveNode(Node node);
  // Unlinks the first node and returns its element; null when the list is empty.
  void* RemoveHead();
  // Unlinks every node from the head on; with destroy, each element goes to DestroyElement after
  // its node is gone.
  void RemoveAll(bool destroy);

  [[nodiscard]] std::size_t GetCount() const { return items_.size(); }
  [[nodiscard]] bool IsEmpty() const { return items_.empty(); }
  [[nodiscard]] bool Owns() const { return owns_; }
  void* GetHead() const { return items_.empty() ? nullptr : items_.front(); }
  void* GetTail() const { return items_.empty() ? nullptr : items_.back(); }

  // Iteration over the nodes; *node is the element.
  Node Begin() { return items_.begin(); }
  Node End() { return items_.end(); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::list<void*> items_;
  bool owns_;
};

// Owning list of plain data: destroying an element releases its memory with free().
class CNOwningList : public CNPtrList {
 public:
  explicit CNOwningList(bool owns = true) : CNPtrList(owns) {}
  ~CNOwningList() override { RemoveAll(Owns()); }
  void DestroyElement(void* element) override { std::free(element); }
};

// Object list: elements are T's, put in and given out as T* (the untyped calls of the base stay
// reachable through a CNPtrList&); destroying an element deletes it as a T (through T's virtual
// destructor, so a T* may point to a derived object). Not owning, it is a typed list of pointers.
// Used for entry lists, scan results and settings value lists.
template <class T>
class CNObjectList : public CNPtrList {
 public:
  using iterator = CNTypedIterator<T, std::list<void*>::const_iterator>;

  explicit CNObjectList(bool owns = true) : CNPtrList(owns) {}
  ~CNObjectList() override { RemoveAll(Owns()); }
  void DestroyElement(void* element) override { delete static_cast<T*>(element); }

  [[nodiscard]] Node AddTail(T* element) { return CNPtrList::AddTail(element); }
  T* RemoveHead() { return static_cast<T*>(CNPtrList::RemoveHead()); }
  T* GetHead() const { return static_cast<T*>(CNPtrList::GetHead()); }
  T* GetTail() const { return static_cast<T*>(CNPtrList::GetTail()); }
  iterator begin() const { return iterator(CNPtrList::begin()); }
  iterator end() const { return iterator(CNPtrList::end()); }
};
