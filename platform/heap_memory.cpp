#include "platform/heap_memory.h"

#include <malloc.h>

namespace platform {

void ReturnFreeHeapMemory() { (void)malloc_trim(0); }

}  // namespace platform
