// The system clock in file-time units. Callable from any thread.
#pragma once
#include "platform/win_types.h"

namespace platform {

// Current UTC time as 100-nanosecond intervals since 1601-01-01 00:00:00 UTC. A clock before 1601
// (never seen in practice) gives 0.
[[nodiscard]] ULONGLONG SystemTimeAsFileTime();

}  // namespace platform
