// Large blocks of zeroed memory straight from the system, for allocators that carve many small
// objects out of them, and huge-page advice for large buffers. Any thread may call.
#pragma once
#include <cstddef>

namespace platform {

// Alignment and granularity of large blocks: the size of a huge page.
inline constexpr std::size_t kLargeBlockAlignment = std::size_t{2} << 20;

// A block of `size` bytes (a multiple of kLargeBlockAlignment), aligned to kLargeBlockAlignment
// and advised to be backed by huge pages where the system offers them: one page fault then makes
// 2 MiB usable instead of 4 KiB. Null when the system has no memory left.
[[nodiscard]] void* AllocateLargeBlock(std::size_t size);

// Returns a block of AllocateLargeBlock with the same size.
void FreeLargeBlock(void* block, std::size_t size);

// Advises that the whole pages inside [begin, begin + size) of a block the caller owns be backed by
// huge pages, for large buffers from elsewhere (malloc). Only advice: nothing changes on failure.
void AdviseHugePages(void* begin, std::size_t size);

}  // namespace platform
