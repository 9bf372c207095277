// CNStringList: an ordered list of wide strings held by value, appended at the tail. Nodes are
// list iterators; removing one node leaves the others valid. Single-threaded: callers lock.
#pragma once
#include <cassert>
#include <cstddef>
#include <list>
#include <string>

class CNStringList {
 public:
  using Node = std::list<std::wstring>::iterator;

  // Appends a string; returns its node. On allocation failure returns End() and sets the last
  // error ERROR_NOT_ENOUGH_MEMORY; the list is unchanged.
  Node AddTail(std::wstring text);
  // Removes the first node and returns its string; an empty string when the list is empty.
  std::wstring RemoveHead();
  void RemoveNode(Node node) { items_.erase(node); }
  void RemoveAll() { items_.clear(); }

  [[nodiscard]] std::size_t GetCount() const { return items_.size(); }
  [[nodiscard]] bool IsEmpty() const { return items_.empty(); }
  const std::wstring& GetHead() const {
    assert(!items_.empty() && "GetHead of an empty list");
    return items_.front();
  }
  const std::wstring& GetTail() const {
    assert(!items_.empty() && "GetTail of an empty list");
    return items_.back();
  }

  Node Begin() { return items_.begin(); }
  Node End() { return items_.end(); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::list<std::wstring> items_;
};
