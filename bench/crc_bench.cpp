// Throughput of every CRC kernel this CPU runs, over 64 KiB buffers as the checksum worker feeds
// them, printed beside what the memory system does with the same buffer in the same run: memcpy of
// the buffer and a plain 64-bit sum over it.
//
// Time is the thread's CPU time, not the wall clock: on a shared machine the thread may get a
// small part of a core, and bytes per CPU-second is what the kernel itself does.
//
// Usage: crc_bench [seconds per figure, default 0.3]
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "engine/crc.h"
#include "engine/crc_kernels.h"

namespace {

constexpr std::size_t kChunk = 64 * 1024;
volatile std::uint64_t g_sink;

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Best of three rounds, each repeating `step` over the buffer for about `seconds` of CPU time;
// bytes per CPU-second.
double Measure(double seconds, const std::function<void()>& step) {
  double best = 0;
  for (int round = 0; round < 3; ++round) {
    std::uint64_t reps = 0;
    const double start = ThreadCpuSeconds();
    double elapsed = 0;
    do {
      for (int i = 0; i < 16; ++i) step();
      reps += 16;
      elapsed = ThreadCpuSeconds() - start;
    } while (elapsed < seconds / 3);
    best = std::max(best, static_cast<double>(reps * kChunk) / elapsed);
  }
  return best;
}

void Row(const char* what, double crc1, double crc2, double both, double yardstick) {
  std::printf("%-28s %9.2f %9.2f %9.2f   %5.1f%%\n", what, crc1 / 1e9, crc2 / 1e9, both / 1e9,
              100.0 * both / yardstick);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.3;
  std::vector<std::uint8_t> buffer(kChunk), copy(kChunk);
  std::mt19937_64 rng(42);
  for (auto& b : buffer) b = static_cast<std::uint8_t>(rng());

  const double memcpy_rate = Measure(seconds, [&] {
    std::memcpy(copy.data(), buffer.data(), kChunk);
    g_sink = g_sink + copy[rng() % kChunk];
  });
  const double sum_rate = Measure(seconds, [&] {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < kChunk; i += 8) {
      std::uint64_t w;
      std::memcpy(&w, buffer.data() + i, 8);
      sum += w;
    }
    g_sink = g_sink + sum;
  });

  CrcKernelTables t1, t2;
  BuildCrcKernelTables(kCrcStandardPolynomial, t1);
  BuildCrcKernelTables(kCrcSecondPolynomial, t2);

  std::printf("CRC throughput over %zu-byte buffers, GB/s (1e9 bytes of buffer per CPU-second)\n",
              kChunk);
  std::printf("yardsticks: memcpy %.2f GB/s, 64-bit sum %.2f GB/s\n\n", memcpy_rate / 1e9,
              sum_rate / 1e9);
  std::printf("%-28s %9s %9s %9s   %s\n", "kernel", "CRC-32", "CRC-2", "both", "both/sum");
  for (const CrcKernel& k : AllCrcKernels()) {
    if (!k.supported()) {
      std::printf("%-28s not supported by this CPU\n", k.name);
      continue;
    }
    const double r1 = Measure(
        seconds, [&] { g_sink = g_sink + k.update(t1, 0xFFFFFFFF, buffer.data(), kChunk); });
    const double r2 =
        Measure(seconds, [&] { g_sink = g_sink + k.update(t2, 0, buffer.data(), kChunk); });
    const double both = Measure(seconds, [&] {
      std::uint32_t a = 0xFFFFFFFF, b = 0;
      k.update_pair(t1, a, t2, b, buffer.data(), kChunk);
      g_sink = g_sink + a + b;
    });
    Row(k.name, r1, r2, both, sum_rate);
  }

  // What callers get: the engine with the kernel chosen at start-up.
  CCrc e1, e2;
  e1.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  e2.Init(kCrcSecondPolynomial, kCrcSecondInitial, kCrcSecondFinalXor);
  const double c1 =
      Measure(seconds, [&] { g_sink = g_sink + e1.ResetUpdate(buffer.data(), kChunk); });
  const double c2 =
      Measure(seconds, [&] { g_sink = g_sink + e2.ResetUpdate(buffer.data(), kChunk); });
  const double cb = Measure(seconds, [&] {
    e1.Reset();
    e2.Reset();
    CCrc::UpdatePair(e1, e2, buffer.data(), kChunk);
    g_sink = g_sink + e1.Value() + e2.Value();
  });
  std::printf("\nCCrc (active kernel: %s)\n", ActiveCrcKernel().name);
  Row("CCrc Update / UpdatePair", c1, c2, cb, sum_rate);
  return 0;
}
