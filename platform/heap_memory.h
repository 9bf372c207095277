// The heap's free memory back to the system. A cycle over a million entries frees hundreds of
// megabytes of small records at once (the walk's records once merged, the checksum jobs once
// done); the C library keeps such memory in its free lists, where the process's resident size
// still counts it, and the next phase's large buffers come from fresh pages on top of it.
#pragma once

namespace platform {

// Gives the whole free pages of the heap back to the system. Any thread may call; it takes the
// allocator's locks for the time it walks the free lists.
void ReturnFreeHeapMemory();

}  // namespace platform
