#include "platform/large_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cassert>
#include <cstdint>

namespace platform {

void* AllocateLargeBlock(std::size_t size) {
  assert(size % kLargeBlockAlignment == 0 && "whole huge pages only");
  // Map one alignment more than asked and cut off what lies outside the aligned block.
  const std::size_t mapped = size + kLargeBlockAlignment;
  void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(region);
  const std::uintptr_t aligned =
      (start + kLargeBlockAlignment - 1) & ~std::uintptr_t{kLargeBlockAlignment - 1};
  if (aligned > start) munmap(region, aligned - start);
  const std::size_t tail = start + mapped - (aligned + size);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  void* block = reinterpret_cast<void*>(aligned);
  // Only advice: without huge pages the block works as well, with more page faults.
  (void)madvise(block, size, MADV_HUGEPAGE);
  return block;
}

void FreeLargeBlock(void* block, std::size_t size) {
  if (block != nullptr) munmap(block, size);
}

void AdviseHugePages(void* begin, std::size_t size) {
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = (start + page - 1) & ~(page - 1);
  const std::uintptr_t last = (start + size) & ~(page - 1);
  if (last > first) (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace platform
