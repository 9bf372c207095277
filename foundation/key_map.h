// CNKeyMap: a map from a bit string (CNBitKey) to a non-null pointer, kept in the order of a binary
// trie: traversal yields a key before every longer key that it begins, then keys whose next bit is
// 0, then keys whose next bit is 1. For string keys that is ascending unsigned byte (or UTF-16
// unit) order with a prefix first; for pointer keys ascending numeric order.
//
// Layout: a path-compressed bit trie (crit-bit tree). Each key has one leaf (value and a reference
// to its bytes in one shared key arena) and, except the first, one inner node holding the bit
// position at which its two subtrees part; all in three arrays, linked by 32-bit indices. Memory
// grows with the number of keys plus the bytes of the keys, not with their length in bits.
// Lookup and SetAt cost O(key length) with one pass over the inner nodes on the key's path;
// Collect is O(number of keys).
//
// Keys are copied into the map, or, in a map made with KeyStorage::kBorrowed, referenced where the
// caller keeps them: a million entries that each hold their key then do not hold it twice. The
// bytes of a borrowed key must stay as they are while the key is in the map (a SetAt that replaces
// a value borrows the new caller's bytes). Keys of 64 KiB or more are copied all the same.
//
// Ownership: values are the caller's unless the owning flag is set, in which case RemoveAll(true)
// and the destructor pass them to DestroyElement (by default free()). Replacing or removing a value
// with SetAt never destroys it. A class that overrides DestroyElement must call RemoveAll(Owns())
// in its own destructor (CNObjectKeyMap does). Single-threaded: callers lock.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "foundation/bit_key.h"
#include "foundation/pod_array.h"
#include "foundation/ptr_array.h"
#include "foundation/ptr_list.h"

class CNKeyMap {
 public:
  enum class KeyStorage { kCopied, kBorrowed };

  explicit CNKeyMap(bool owns, KeyStorage keys = KeyStorage::kCopied)
      : owns_(owns), borrowed_(keys == KeyStorage::kBorrowed) {}
  CNKeyMap(const CNKeyMap&) = delete;
  CNKeyMap& operator=(const CNKeyMap&) = delete;
  virtual ~CNKeyMap();

  // What destroying a value means: by default its memory is released with free().
  virtual void DestroyElement(void* value) { std::free(value); }

  // The value stored for the key, or null.
  [[nodiscard]] void* Lookup(const CNBitKey& key) const;
  [[nodiscard]] void* Lookup(const char* key) const { return Lookup(CNBitKey::FromNarrow(key)); }
  [[nodiscard]] void* Lookup(std::string_view key) const {
    return Lookup(CNBitKey::FromNarrow(key));
  }
  [[nodiscard]] void* Lookup(const wchar_t* key) const { return Lookup(CNBitKey::FromWide(key)); }
  [[nodiscard]] void* Lookup(std::wstring_view key) const {
    return Lookup(CNBitKey::FromWide(key));
  }
  [[nodiscard]] void* Lookup(const void* key) const { return Lookup(CNBitKey::FromPointer(key)); }

  // Where Prefetch found the one leaf a key can be in; good for a Lookup of the same key while no
  // key has been added or removed since (otherwise that Lookup searches as usual).
  class Hint {
   private:
    friend class CNKeyMap;
    std::uint32_t leaf_ = 0;
    std::uint64_t shape_ = ~std::uint64_t{0};
  };

  // Starts fetching into the cache what a Lookup of the key reads last, without waiting for it:
  // the bytes of the one key it can match and the first 128 bytes of that key's value. A loop
  // over many keys whose values lie all over memory asks a few keys ahead and then finds them
  // there. Returns that value (another key's when this key is not there; null in an empty map),
  // for fetching what it points to in turn. With a hint, the Lookup of the key that passes it
  // back only compares the key. Changes nothing.
  const void* Prefetch(const CNBitKey& key, Hint* hint = nullptr) const;
  const void* Prefetch(const char* key, Hint* hint = nullptr) const {
    return Prefetch(CNBitKey::FromNarrow(key), hint);
  }
  // Lookup of the key Prefetch gave the hint for.
  [[nodiscard]] void* Lookup(const CNBitKey& key, const Hint& hint) const;
  [[nodiscard]] void* Lookup(const char* key, const Hint& hint) const {
    return Lookup(CNBitKey::FromNarrow(key), hint);
  }

  // A non-null value is stored for the key, replacing (not destroying) any earlier value; a null
  // value removes the key (the value it had is not destroyed). Returns false only when a value
  // cannot be stored: ERROR_NOT_ENOUGH_MEMORY, or ERROR_INVALID_PARAMETER for a key of 16 MB or
  // more; the map is then unchanged.
  [[nodiscard]] bool SetAt(const CNBitKey& key, void* value);
  [[nodiscard]] bool SetAt(const char* key, void* value) {
    return SetAt(CNBitKey::FromNarrow(key), value);
  }
  [[nodiscard]] bool SetAt(std::string_view key, void* value) {
    return SetAt(CNBitKey::FromNarrow(key), value);
  }
  [[nodiscard]] bool SetAt(const wchar_t* key, void* value) {
    return SetAt(CNBitKey::FromWide(key), value);
  }
  [[nodiscard]] bool SetAt(std::wstring_view key, void* value) {
    return SetAt(CNBitKey::FromWide(key), value);
  }
  [[nodiscard]] bool SetAt(const void* key, void* value) {
    return SetAt(CNBitKey::FromPointer(key), value);
  }

  // Stores a non-null value for a key that is not in the map yet, in one pass over the trie. False,
  // the map unchanged, when the key is there already (ERROR_ALREADY_EXISTS), for a null value or a
  // key of 16 MB or more (ERROR_INVALID_PARAMETER), or when memory runs out.
  [[nodiscard]] bool Add(const CNBitKey& key, void* value);
  [[nodiscard]] bool Add(const char* key, void* value) {
    return Add(CNBitKey::FromNarrow(key), value);
  }

  // Empties the target (its elements are forgotten, not destroyed), then appends every value in
  // traversal order and returns the count. On allocation failure the target is left empty, the
  // result is 0 and the last error is ERROR_NOT_ENOUGH_MEMORY.
  [[nodiscard]] std::size_t Collect(CNPtrArray& array) const;
  [[nodiscard]] std::size_t Collect(CNPtrList& list) const;
  // Calls visit(value) for every value in traversal order; visit must not change the map.
  template <class Visit>
  void ForEach(Visit&& visit) const;

  // A traversal that can pause between two values and go on later, so that a pass over a million
  // keys can be cut into slices. Keys inserted meanwhile may or may not be visited (those that are
  // come in order, once); a removal ends it (IsValid() false): start a new one.
  class Traversal;

  // Counts every insertion, replacement and removal: equal counts mean the same keys and values.
  [[nodiscard]] std::uint64_t GetChangeCount() const { return changes_; }

  // With destroy, every value goes to DestroyElement; then the map is empty and its memory freed.
  void RemoveAll(bool destroy);

  [[nodiscard]] std::size_t GetCount() const { return count_; }
  [[nodiscard]] bool IsEmpty() const { return count_ == 0; }
  [[nodiscard]] bool Owns() const { return owns_; }
  // Bytes held by the map's arrays (allocated capacity), for measurements.
  [[nodiscard]] std::size_t MemoryUsage() const;

 private:
  // A reference to a node: a leaf index with kLeafBit set, an inner index, or kNone.
  using Ref = std::uint32_t;
  static constexpr Ref kLeafBit = 0x80000000u;
  static constexpr Ref kNone = 0xFFFFFFFFu;

  // Bit positions: (byte index << 4) | sub, where sub 0 asks "does the key have this byte?" and
  // sub 1..8 are the byte's bits from the most significant down. Ordered like the bits they name.
  struct Inner {
    std::uint32_t crit;
    Ref child[2];  // child[0] doubles as the free-list link of an unused node
  };
  struct Leaf {
    void* value;  // null marks an unused leaf
    // Copied keys: offset in the arena (low 40 bits) and length (high 24 bits). Borrowed keys:
    // address (low 48 bits) and length (high 16 bits); length kLongKey: the address is that of a
    // copy the map made, its length in front of it.
    std::uint64_t key;
  };
  static constexpr std::uint64_t kOffsetBits = 40;
  static constexpr std::size_t kMaxKeyBytes = (std::size_t{1} << 24) - 1;
  static constexpr std::uint64_t kAddressBits = 48;
  static constexpr std::uint64_t kLongKey = 0xFFFF;

  static int Direction(std::string_view key, std::uint32_t crit);
  std::string_view LeafKey(const Leaf& leaf) const;
  // remember: the path found becomes the finger (below).
  Ref FindLeaf(std::string_view key, bool remember = true) const;
  // Capacity for a finger of size nodes; false when memory runs out.
  bool ReserveFinger(std::size_t size) const;
  // replace: a key already there gets the value; otherwise Insert fails with ERROR_ALREADY_EXISTS.
  bool Insert(std::string_view key, void* value, bool replace);
  void Remove(std::string_view key);
  std::uint32_t NewLeaf(std::string_view key, void* value);
  std::uint32_t NewInner();
  void CompactKeys();
  // Borrowed keys: the reference to key for a leaf (a copy for a long key), and its release.
  std::uint64_t BorrowKey(std::string_view key);
  static void ReleaseBorrowed(std::uint64_t ref);

  // Grown with realloc: the arrays of a million keys grow by remapping, not by copying.
  PodArray<Inner> inner_;
  PodArray<Leaf> leaves_;
  PodArray<char> keys_;
  Ref root_ = kNone;
  std::uint32_t free_inner_ = kNone;
  std::uint32_t free_leaf_ = kNone;
  std::size_t count_ = 0;
  std::size_t garbage_bytes_ = 0;  // arena bytes of removed keys
  std::uint64_t changes_ = 0;
  std::uint64_t removals_ = 0;  // removals and RemoveAll, which end a Traversal
  std::uint64_t shape_ = 0;     // new keys and removals: the links between the nodes

  // The finger: the inner nodes from the root down to the leaf found last, valid while shape_ is
  // what it was then. A search starts below its nodes that part before the key does from that
  // leaf's key (see FindLeaf); a million keys searched in about key order then each walk a few
  // nodes instead of some thirty. Kept by const searches too: one thread at a time (as above).
  static constexpr std::uint64_t kNoShape = ~std::uint64_t{0};
  mutable std::vector<Ref> finger_;
  mutable Ref finger_leaf_ = 0;
  mutable std::uint64_t finger_shape_ = kNoShape;
  bool owns_;
  bool borrowed_;
};

template <class Visit>
void CNKeyMap::ForEach(Visit&& visit) const {
  if (root_ == kNone) return;
  // Explicit stack: the depth is bounded by the key length in bits, not by the call stack.
  std::vector<Ref> stack{root_};
  while (!stack.empty()) {
    Ref ref = stack.back();
    stack.pop_back();
    if (ref & kLeafBit) {
      visit(leaves_[ref & ~kLeafBit].value);
    } else {
      stack.push_back(inner_[ref].child[1]);
      stack.push_back(inner_[ref].child[0]);
    }
  }
}

class CNKeyMap::Traversal {
 public:
  Traversal() = default;
  explicit Traversal(const CNKeyMap& map) : map_(&map), removals_(map.removals_) {
    if (map.root_ != kNone) stack_.push_back(map.root_);
  }
  // Visits values in traversal order while visit(value) answers true; true once every value
  // has been visited (or the traversal is no longer valid).
  template <class Visit>
  bool Continue(Visit&& visit);
  [[nodiscard]] bool IsDone() const { return stack_.empty(); }
  [[nodiscard]] bool IsValid() const { return map_ != nullptr && map_->removals_ == removals_; }

 private:
  const CNKeyMap* map_ = nullptr;
  std::vector<Ref> stack_;
  std::uint64_t removals_ = 0;
};

template <class Visit>
bool CNKeyMap::Traversal::Continue(Visit&& visit) {
  if (!IsValid()) {
    stack_.clear();
    return true;
  }
  while (!stack_.empty()) {
    const Ref ref = stack_.back();
    stack_.pop_back();
    if (ref & kLeafBit) {
      if (!visit(map_->leaves_[ref & ~kLeafBit].value)) return stack_.empty();
    } else {
      // Read at each step: an insertion may have grown (moved) the array.
      stack_.push_back(map_->inner_[ref].child[1]);
      stack_.push_back(map_->inner_[ref].child[0]);
    }
  }
  return true;
}

// Key map whose values are objects of type T, stored and given out as T* (the untyped calls of the
// base stay reachable through a CNKeyMap&): destroying a value deletes it as a T. Not owning, it
// is a typed map (or, with pointer keys, set) of pointers.
template <class T>
class CNObjectKeyMap : public CNKeyMap {
 public:
  explicit CNObjectKeyMap(bool owns = true, KeyStorage keys = KeyStorage::kCopied)
      : CNKeyMap(owns, keys) {}
  ~CNObjectKeyMap() override { RemoveAll(Owns()); }
  void DestroyElement(void* value) override { delete static_cast<T*>(value); }

  // Any key CNKeyMap takes: a CNBitKey, narrow or wide text, a pointer.
  template <class Key>
  [[nodiscard]] T* Lookup(const Key& key) const {
    return static_cast<T*>(CNKeyMap::Lookup(key));
  }
  template <class Key>
  [[nodiscard]] T* Lookup(const Key& key, const Hint& hint) const {
    return static_cast<T*>(CNKeyMap::Lookup(key, hint));
  }
  template <class Key>
  [[nodiscard]] bool SetAt(const Key& key, T* value) {
    return CNKeyMap::SetAt(key, value);
  }
  [[nodiscard]] bool Add(const char* key, T* value) { return CNKeyMap::Add(key, value); }
  // Calls visit(T*) for every value in traversal order; visit must not change the map.
  template <class Visit>
  void ForEach(Visit&& visit) const {
    CNKeyMap::ForEach([&visit](void* value) { visit(static_cast<T*>(value)); });
  }
  // As CNKeyMap::Collect, into a typed container (which must not own what it gets).
  [[nodiscard]] std::size_t Collect(CNObjectArray<T>& array) const {
    return CNKeyMap::Collect(array);
  }
  [[nodiscard]] std::size_t Collect(CNObjectList<T>& list) const { return CNKeyMap::Collect(list); }
};
