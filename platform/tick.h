// Millisecond clock and sleeping. Any thread may call.
#pragma once
#include "platform/win_types.h"

namespace platform {

// Milliseconds since the system started, time in suspend included; wraps to 0 after 49.7 days,
// so callers compare differences (now - then), never absolute values.
[[nodiscard]] DWORD TickCount();
// The same clock without the wrap.
[[nodiscard]] ULONGLONG TickCount64();

// Suspends the calling thread for at least `milliseconds`; 0 yields the rest of the time slice and
// INFINITE never returns.
void Sleep(DWORD milliseconds);

}  // namespace platform
