#include "platform/tick.h"

#include <gtest/gtest.h>

namespace {

TEST(Tick, SleepLastsAtLeastItsTimeOnTheTickClock) {
  const ULONGLONG before = platform::TickCount64();
  // The 32-bit count is the low half of the same clock (read a moment later).
  EXPECT_LE(static_cast<DWORD>(platform::TickCount() - static_cast<DWORD>(before)), 1000u);
  platform::Sleep(30);
  platform::Sleep(0);
  // Both readings are truncated to whole milliseconds.
  EXPECT_GE(platform::TickCount64() - before, 29u);
}

}  // namespace
