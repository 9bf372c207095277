#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "engine/crc.h"

namespace {

// Engines of several threads initialise at once while the shared caches fill and evict; every
// engine must still get complete tables.
TEST(CCrcThreads, ConcurrentInitGivesCompleteTables) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      for (int i = 0; i < 200; ++i) {
        CCrc standard;
        standard.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
        if (standard.UpdateString("123456789", false) != 0xCBF43926u) ++wrong;
        CCrc second;
        second.Init(kCrcSecondPolynomial, kCrcSecondInitial, kCrcSecondFinalXor);
        if (second.UpdateString("abc", false) != 0x5AEB2AAEu) ++wrong;
        // Distinct polynomials from all threads, more than the cache holds.
        const DWORD poly = 0x90000001u + 2u * static_cast<DWORD>(t * 200 + i);
        CCrc other;
        other.Init(poly, 0, 0);
        // Byte 0x80 is one set bit that reaches the end of the register after eight steps.
        if (other.GetDegree() != 31 || other.ForwardTable()[128] != poly) ++wrong;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
