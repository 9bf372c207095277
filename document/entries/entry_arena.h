// Storage for entries, from the heap or carved out of large blocks.
//
// Reading a document creates a million entries and their keys at once. As separate heap objects
// they cost two allocations each and, on fresh memory, a page fault per 4 KiB; CVemoEntryArena
// instead hands out consecutive pieces of 2 MiB blocks that the system may back with huge pages.
// A block counts the pieces still in use and goes back to the system when the last of them is
// released and its arena has moved on to another block (or is gone), so the entries of a document
// outlive the reader that made them.
//
// Every piece, from the heap or from a block, carries one pointer in front of it that tells where
// it came from, so ReleaseEntryStorage returns either kind. Allocation from one arena belongs to
// one thread; release may happen on any thread.
#pragma once
#include <cstddef>

// Storage of `bytes` from the heap, aligned for any object up to alignof(void*); throws
// std::bad_alloc when memory runs out.
[[nodiscard]] void* AllocateEntryStorage(std::size_t bytes);

// Returns storage of AllocateEntryStorage or CVemoEntryArena::Allocate; null is ignored.
void ReleaseEntryStorage(void* storage) noexcept;

class CVemoEntryArena {
 public:
  // Pieces larger than this come from the heap instead, so a block never holds only a few.
  static constexpr std::size_t kMaxPiece = 64 * 1024;

  CVemoEntryArena() = default;
  CVemoEntryArena(const CVemoEntryArena&) = delete;
  CVemoEntryArena& operator=(const CVemoEntryArena&) = delete;
  // Lets go of the current block; it lives on while pieces of it are in use.
  ~CVemoEntryArena();

  // Storage of `bytes` (aligned to alignof(void*)) from the current block or a new one; null when
  // `bytes` exceeds kMaxPiece or no block could be had (the caller then uses the heap).
  [[nodiscard]] void* Allocate(std::size_t bytes);

 private:
  friend void ReleaseEntryStorage(void* storage) noexcept;
  struct Block;

  void LeaveBlock();

  Block* block_ = nullptr;
  char* next_ = nullptr;  // first free byte of block_
  char* end_ = nullptr;   // end of block_
};
