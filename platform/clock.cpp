#include "platform/clock.h"

#include <ctime>

#include "platform/system_time.h"

namespace platform {

ULONGLONG SystemTimeAsFileTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const LONGLONG seconds = static_cast<LONGLONG>(now.tv_sec) + kFileTimeUnixEpochSeconds;
  if (seconds < 0) return 0;
  return static_cast<ULONGLONG>(seconds) * kFileTimeTicksPerSecond +
         static_cast<ULONGLONG>(now.tv_nsec) / 100;
}

}  // namespace platform
