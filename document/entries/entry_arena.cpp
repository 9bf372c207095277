#include "document/entries/entry_arena.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/large_block.h"

// A block begins with its header; pieces follow it.
struct CVemoEntryArena::Block {
  // Pieces in use, plus one while an arena still carves pieces out of the block.
  std::atomic<std::size_t> users{1};

  static void Drop(Block* block) noexcept {
    if (block->users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      block->~Block();
      platform::FreeLargeBlock(block, kBlockSize);
    }
  }
  static constexpr std::size_t kBlockSize = platform::kLargeBlockAlignment;
};

namespace {

// In front of every piece stands the block it lies in, or null for the heap.
constexpr std::size_t kOriginSize = sizeof(void*);

void*& OriginOf(void* storage) { return static_cast<void**>(storage)[-1]; }

std::size_t RoundUp(std::size_t bytes) { return (bytes + kOriginSize - 1) & ~(kOriginSize - 1); }

}  // namespace

void* AllocateEntryStorage(std::size_t bytes) {
  void* raw = std::malloc(kOriginSize + bytes);
  if (raw == nullptr) throw std::bad_alloc();
  void* storage = static_cast<char*>(raw) + kOriginSize;
  OriginOf(storage) = nullptr;
  return storage;
}

void ReleaseEntryStorage(void* storage) noexcept {
  if (storage == nullptr) return;
  void* origin = OriginOf(storage);
  if (origin == nullptr) {
    std::free(static_cast<char*>(storage) - kOriginSize);
  } else {
    CVemoEntryArena::Block::Drop(static_cast<CVemoEntryArena::Block*>(origin));
  }
}

CVemoEntryArena::~CVemoEntryArena() { LeaveBlock(); }

void CVemoEntryArena::LeaveBlock() {
  if (block_ != nullptr) Block::Drop(block_);
  block_ = nullptr;
  next_ = end_ = nullptr;
}

void* CVemoEntryArena::Allocate(std::size_t bytes) {
  if (bytes > kMaxPiece) return nullptr;
  const std::size_t piece = kOriginSize + RoundUp(bytes);
  if (block_ == nullptr || static_cast<std::size_t>(end_ - next_) < piece) {
    LeaveBlock();
    void* memory = platform::AllocateLargeBlock(Block::kBlockSize);
    if (memory == nullptr) return nullptr;
    block_ = new (memory) Block;
    next_ = static_cast<char*>(memory) + RoundUp(sizeof(Block));
    end_ = static_cast<char*>(memory) + Block::kBlockSize;
  }
  block_->users.fetch_add(1, std::memory_order_relaxed);
  void* storage = next_ + kOriginSize;
  next_ += piece;
  OriginOf(storage) = block_;
  return storage;
}
