// Waiting in tests, always with a time limit: a test that waits for another thread or process
// polls the condition it needs instead of sleeping a fixed time and hoping, and a hang fails the
// test instead of stopping the suite. The limits are generous, because a loaded machine (the
// sanitizer builds, six builds at once) may be slow; only a fault reaches them.
#pragma once
#include <chrono>
#include <thread>

namespace vemo_test {

inline constexpr std::chrono::milliseconds kWaitLimit{30'000};

// Polls condition about every millisecond until it holds; false once limit has passed without.
template <class Condition>
[[nodiscard]] bool WaitUntil(Condition&& condition, std::chrono::milliseconds limit = kWaitLimit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Checks that condition keeps holding for the whole period, polling it: false as soon as it does
// not. For what must *not* happen (a frozen worker takes no step), which no event announces.
template <class Condition>
[[nodiscard]] bool HoldsFor(Condition&& condition, std::chrono::milliseconds period) {
  const auto end = std::chrono::steady_clock::now() + period;
  while (std::chrono::steady_clock::now() < end) {
    if (!condition()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

// Waits until a worker thread (CNWorkerThread, or anything with IsRunning) has ended by itself.
template <class Worker>
[[nodiscard]] bool WaitUntilEnded(const Worker& worker,
                                  std::chrono::milliseconds limit = kWaitLimit) {
  return WaitUntil([&] { return !worker.IsRunning(); }, limit);
}

}  // namespace vemo_test
