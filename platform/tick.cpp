#include "platform/tick.h"

#include <time.h>

#include <chrono>
#include <thread>

#include "platform/timeout.h"

namespace platform {

ULONGLONG TickCount64() {
  // CLOCK_BOOTTIME keeps counting through suspend, as the Windows tick count does.
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000u +
         static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
}

DWORD TickCount() { return static_cast<DWORD>(TickCount64()); }

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
