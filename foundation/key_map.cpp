#include "foundation/key_map.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <string_view>

#include "foundation/ptr_array.h"
#include "foundation/ptr_list.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

// Index limits: refs keep their top bit for the leaf tag and all ones for "none".
constexpr std::size_t kMaxNodes = 0x7FFFFFFEu;
constexpr std::uint64_t kMaxArenaBytes = std::uint64_t{1} << 40;

// First bit position (as Inner::crit) at which two keys differ; for equal keys one past every bit
// of them.
std::uint32_t FirstDifference(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t index = 0;
  // Eight bytes at a time: keys share long beginnings.
  while (index + 8 <= common) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a.data() + index, 8);
    std::memcpy(&y, b.data() + index, 8);
    if (x != y) break;
    index += 8;
  }
  while (index < common && a[index] == b[index]) ++index;
  if (index == common) {
    if (a.size() == b.size()) return static_cast<std::uint32_t>((common + 1) << 4);
    return static_cast<std::uint32_t>(index << 4);  // one key ends here: the "has a byte" position
  }
  auto diff = static_cast<std::uint8_t>(a[index] ^ b[index]);
  return static_cast<std::uint32_t>(index << 4) |
         static_cast<std::uint32_t>(1 + std::countl_zero(diff));
}

// Makes room for extra more elements, growing by a quarter instead of doubling: the arrays of a
// million keys are large, and spare capacity is memory the map holds without using it.
template <class T>
void Reserve(PodArray<T>& v, std::size_t extra) {
  if (v.size() + extra <= v.capacity()) return;
  v.Reserve(std::max(v.size() + extra, v.size() + v.size() / 4 + 64));
}

}  // namespace

CNKeyMap::~CNKeyMap() { RemoveAll(owns_); }

int CNKeyMap::Direction(std::string_view key, std::uint32_t crit) {
  std::size_t index = crit >> 4;
  if (index >= key.size()) return 0;
  std::uint32_t sub = crit & 15;
  if (sub == 0) return 1;
  return (static_cast<std::uint8_t>(key[index]) >> (8 - sub)) & 1;
}

std::string_view CNKeyMap::LeafKey(const Leaf& leaf) const {
  if (borrowed_) {
    const auto* at =
        reinterpret_cast<const char*>(leaf.key & ((std::uint64_t{1} << kAddressBits) - 1));
    const std::size_t length = leaf.key >> kAddressBits;
    if (length != kLongKey) return std::string_view(at, length);
    std::size_t long_length = 0;
    std::memcpy(&long_length, at, sizeof long_length);
    return std::string_view(at + sizeof long_length, long_length);
  }
  std::size_t offset = leaf.key & ((std::uint64_t{1} << kOffsetBits) - 1);
  std::size_t length = leaf.key >> kOffsetBits;
  return std::string_view(keys_.data() + offset, length);
}

// The leaf whose key agrees with the given one at every inner node on its path: the only leaf that
// can hold it, and the leaf with the longest common prefix.
//
// Every key below a node agrees with the others at the bits of the nodes above it, so the path to
// a leaf is its key's path. A key that agrees with the last leaf found up to some bit follows that
// leaf's path through every node that parts before that bit: the search starts at the first node
// that parts later, usually far down, since keys searched one after another mostly share a long
// beginning (the files of one directory). remember: the path found becomes the finger.
CNKeyMap::Ref CNKeyMap::FindLeaf(std::string_view key, bool remember) const {
  std::size_t depth = 0;
  Ref ref = root_;
  if (finger_shape_ == shape_) {
    const std::uint32_t diff = FirstDifference(key, LeafKey(leaves_[finger_leaf_]));
    depth = finger_.size();
    // Crit bits grow down a path.
    while (depth > 0 && inner_[finger_[depth - 1]].crit >= diff) --depth;
    ref = depth < finger_.size() ? finger_[depth] : (finger_leaf_ | kLeafBit);
  }
  if (!remember) {
    while (!(ref & kLeafBit)) {
      const Inner& node = inner_[ref];
      ref = node.child[Direction(key, node.crit)];
    }
    return ref & ~kLeafBit;
  }
  finger_.resize(depth);
  while (!(ref & kLeafBit)) {
    if (!ReserveFinger(finger_.size() + 1)) {
      finger_shape_ = kNoShape;  // no finger: the search goes on all the same
      return FindLeaf(key, false);
    }
    finger_.push_back(ref);
    const Inner& node = inner_[ref];
    ref = node.child[Direction(key, node.crit)];
  }
  finger_leaf_ = ref & ~kLeafBit;
  finger_shape_ = shape_;
  return finger_leaf_;
}

void* CNKeyMap::Lookup(const CNBitKey& key) const {
  if (root_ == kNone) return nullptr;
  std::string_view bytes = key.Bytes();
  const Leaf& leaf = leaves_[FindLeaf(bytes)];
  return LeafKey(leaf) == bytes ? leaf.value : nullptr;
}

const void* CNKeyMap::Prefetch(const CNBitKey& key, Hint* hint) const {
  if (root_ == kNone) return nullptr;
  // With a hint, the Lookup will not search: this search keeps the finger. Without one, the finger
  // stays with the keys searched now, not with those a few places ahead.
  const Ref found = FindLeaf(key.Bytes(), hint != nullptr);
  if (hint != nullptr) {
    hint->leaf_ = found;
    hint->shape_ = shape_;
  }
  const Leaf& leaf = leaves_[found];
  if (leaf.value == nullptr) return nullptr;
  // A prefetch never faults, whatever the address: the 128 bytes need not all be the value's.
  const char* value = static_cast<const char*>(leaf.value);
  __builtin_prefetch(value);
  __builtin_prefetch(value + 64);
  __builtin_prefetch(LeafKey(leaf).data());
  return leaf.value;
}

void* CNKeyMap::Lookup(const CNBitKey& key, const Hint& hint) const {
  if (hint.shape_ != shape_ || root_ == kNone) return Lookup(key);
  const Leaf& leaf = leaves_[hint.leaf_];
  return LeafKey(leaf) == key.Bytes() ? leaf.value : nullptr;
}

bool CNKeyMap::SetAt(const CNBitKey& key, void* value) {
  std::string_view bytes = key.Bytes();
  if (value == nullptr) {
    Remove(bytes);
    return true;
  }
  if (bytes.size() > kMaxKeyBytes) {
    platform::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  try {
    return Insert(bytes, value, true);
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

bool CNKeyMap::Add(const CNBitKey& key, void* value) {
  std::string_view bytes = key.Bytes();
  if (value == nullptr || bytes.size() > kMaxKeyBytes) {
    platform::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  try {
    return Insert(bytes, value, false);
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

std::uint64_t CNKeyMap::BorrowKey(std::string_view key) {
  const auto address = reinterpret_cast<std::uintptr_t>(key.data());
  if (key.size() < kLongKey && (address >> kAddressBits) == 0) {
    return address | (std::uint64_t{key.size()} << kAddressBits);
  }
  const std::size_t length = key.size();
  char* copy = static_cast<char*>(std::malloc(sizeof length + length));
  if (copy == nullptr || (reinterpret_cast<std::uintptr_t>(copy) >> kAddressBits) != 0) {
    std::free(copy);
    throw std::bad_alloc();
  }
  std::memcpy(copy, &length, sizeof length);
  std::memcpy(copy + sizeof length, key.data(), length);
  return reinterpret_cast<std::uintptr_t>(copy) | (kLongKey << kAddressBits);
}

void CNKeyMap::ReleaseBorrowed(std::uint64_t ref) {
  if ((ref >> kAddressBits) == kLongKey) {
    std::free(reinterpret_cast<void*>(ref & ((std::uint64_t{1} << kAddressBits) - 1)));
  }
}

std::uint32_t CNKeyMap::NewLeaf(std::string_view key, void* value) {
  if (free_leaf_ == kNone && leaves_.size() >= kMaxNodes) throw std::bad_alloc();
  std::uint64_t ref = 0;
  if (borrowed_) {
    ref = BorrowKey(key);
  } else {
    if (keys_.size() + key.size() > kMaxArenaBytes) throw std::bad_alloc();
    ref = keys_.size() | (std::uint64_t{key.size()} << kOffsetBits);
    Reserve(keys_, key.size());
    keys_.Append(key.data(), key.size());
  }
  if (free_leaf_ != kNone) {
    std::uint32_t index = free_leaf_;
    free_leaf_ = static_cast<std::uint32_t>(leaves_[index].key);
    leaves_[index] = Leaf{value, ref};
    return index;
  }
  try {
    Reserve(leaves_, 1);
    leaves_.PushBack(Leaf{value, ref});
  } catch (...) {
    if (borrowed_) {
      ReleaseBorrowed(ref);
    } else {
      keys_.Truncate(keys_.size() - key.size());
    }
    throw;
  }
  return static_cast<std::uint32_t>(leaves_.size() - 1);
}

std::uint32_t CNKeyMap::NewInner() {
  if (free_inner_ != kNone) {
    std::uint32_t index = free_inner_;
    free_inner_ = inner_[index].child[0];
    return index;
  }
  if (inner_.size() >= kMaxNodes) throw std::bad_alloc();
  Reserve(inner_, 1);
  inner_.PushBack(Inner{});
  return static_cast<std::uint32_t>(inner_.size() - 1);
}

bool CNKeyMap::Insert(std::string_view key, void* value, bool replace) {
  if (root_ == kNone) {
    root_ = NewLeaf(key, value) | kLeafBit;
    count_ = 1;
    ++changes_;
    ++shape_;
    return true;
  }
  Leaf& best = leaves_[FindLeaf(key, true)];
  std::string_view best_key = LeafKey(best);
  if (best_key == key) {
    if (!replace) {
      platform::SetLastError(ERROR_ALREADY_EXISTS);
      return false;
    }
    if (borrowed_ && (best.key >> kAddressBits) != kLongKey) best.key = BorrowKey(key);
    best.value = value;
    ++changes_;
    return true;
  }
  std::uint32_t crit = FirstDifference(key, best_key);
  int dir = Direction(key, crit);
  // Room for the new path in the finger, before anything changes.
  const bool keep_finger = finger_shape_ == shape_ && ReserveFinger(finger_.size() + 1);
  // Allocate before taking addresses inside the arrays: growing them moves the nodes. If the leaf
  // cannot be made, the inner node goes to the free list.
  std::uint32_t inner = NewInner();
  std::uint32_t leaf;
  try {
    leaf = NewLeaf(key, value);
  } catch (...) {
    inner_[inner].child[0] = free_inner_;
    free_inner_ = inner;
    throw;
  }
  // The new inner node goes above the first node on the key's path that parts at a later bit;
  // the finger holds that path.
  Ref* slot = &root_;
  std::size_t above = 0;  // nodes of the path above the new one
  if (keep_finger) {
    while (above < finger_.size() && inner_[finger_[above]].crit < crit) ++above;
    if (above > 0) {
      Inner& node = inner_[finger_[above - 1]];
      slot = &node.child[Direction(key, node.crit)];
    }
  } else {
    while (!(*slot & kLeafBit)) {
      Inner& node = inner_[*slot];
      if (node.crit > crit) break;
      slot = &node.child[Direction(key, node.crit)];
    }
  }
  inner_[inner].crit = crit;
  inner_[inner].child[dir] = leaf | kLeafBit;
  inner_[inner].child[1 - dir] = *slot;
  *slot = inner;
  ++count_;
  ++changes_;
  ++shape_;
  if (keep_finger) {
    // The new key's path: the nodes above, the new node, its leaf.
    finger_.resize(above);
    finger_.push_back(inner);
    finger_leaf_ = leaf;
    finger_shape_ = shape_;
  }
  return true;
}

bool CNKeyMap::ReserveFinger(std::size_t size) const {
  if (finger_.capacity() >= size) return true;
  try {
    finger_.reserve(size * 2 + 32);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void CNKeyMap::Remove(std::string_view key) {
  if (root_ == kNone) return;
  Ref* parent_slot = nullptr;  // the slot that refers to the leaf's parent
  Ref* slot = &root_;          // the slot that refers to the current node
  while (!(*slot & kLeafBit)) {
    Inner& node = inner_[*slot];
    parent_slot = slot;
    slot = &node.child[Direction(key, node.crit)];
  }
  std::uint32_t index = *slot & ~kLeafBit;
  Leaf& leaf = leaves_[index];
  if (LeafKey(leaf) != key) return;

  ++changes_;
  ++removals_;
  ++shape_;
  if (borrowed_) {
    ReleaseBorrowed(leaf.key);
  } else {
    garbage_bytes_ += key.size();
  }
  leaf.value = nullptr;
  leaf.key = free_leaf_;
  free_leaf_ = index;
  if (parent_slot == nullptr) {
    root_ = kNone;
  } else {
    std::uint32_t parent = *parent_slot;
    Inner& node = inner_[parent];
    *parent_slot = node.child[node.child[0] == *slot ? 1 : 0];
    node.child[0] = free_inner_;
    free_inner_ = parent;
  }
  if (--count_ == 0) {
    RemoveAll(false);  // releases the memory; no values are left to destroy
  } else if (garbage_bytes_ > 4096 && garbage_bytes_ > keys_.size() / 2) {
    CompactKeys();
  }
}

// Rewrites the key arena without the bytes of removed keys; amortised over the removals that made
// them garbage.
void CNKeyMap::CompactKeys() {
  PodArray<char> compact;
  compact.Reserve(keys_.size() - garbage_bytes_);
  for (Leaf& leaf : leaves_) {
    if (leaf.value == nullptr) continue;
    std::string_view key = LeafKey(leaf);
    leaf.key = compact.size() | (std::uint64_t{key.size()} << kOffsetBits);
    compact.Append(key.data(), key.size());
  }
  keys_.Swap(compact);
  garbage_bytes_ = 0;
}

std::size_t CNKeyMap::Collect(CNPtrArray& array) const {
  if (!array.SetSize(0) || !array.SetSize(count_)) {
    array.RemoveAll(false);
    return 0;
  }
  std::size_t index = 0;
  try {
    ForEach([&](void* value) { array[index++] = value; });
  } catch (const std::bad_alloc&) {
    array.RemoveAll(false);
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return count_;
}

std::size_t CNKeyMap::Collect(CNPtrList& list) const {
  list.RemoveAll(false);
  bool failed = false;
  try {
    ForEach([&](void* value) {
      if (!failed && list.AddTail(value) == list.End()) failed = true;
    });
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (failed) {
    list.RemoveAll(false);
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return count_;
}

void CNKeyMap::RemoveAll(bool destroy) {
  // Detach first: DestroyElement may look at the map and must find it empty.
  PodArray<Leaf> leaves;
  leaves.Swap(leaves_);
  inner_.Release();
  keys_.Release();
  root_ = free_inner_ = free_leaf_ = kNone;
  count_ = garbage_bytes_ = 0;
  ++changes_;
  ++removals_;
  ++shape_;
  if (borrowed_) {
    for (const Leaf& leaf : leaves) {
      if (leaf.value != nullptr) ReleaseBorrowed(leaf.key);
    }
  }
  if (!destroy) return;
  for (const Leaf& leaf : leaves) {
    if (leaf.value != nullptr) DestroyElement(leaf.value);
  }
}

std::size_t CNKeyMap::MemoryUsage() const {
  return inner_.capacity() * sizeof(Inner) + leaves_.capacity() * sizeof(Leaf) + keys_.capacity();
}
