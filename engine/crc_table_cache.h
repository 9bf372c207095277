// Built CRC engines keyed by polynomial, so that each polynomial's tables are built once while
// cached. One process-wide instance serves CCrc::Init; separate instances exist only for tests.
//
// Threads: every operation may be called from any thread; one lock guards all slots and is held
// only for the slot scan and the copy, never while tables are built.
#pragma once
#include <cstddef>
#include <memory>
#include <mutex>

#include "engine/crc.h"

class CCrcTableCache {
 public:
  static constexpr std::size_t kSlotCount = 128;

  CCrcTableCache() = default;
  CCrcTableCache(const CCrcTableCache&) = delete;
  CCrcTableCache& operator=(const CCrcTableCache&) = delete;

  // The process-wide cache, built on first use and destroyed at process exit.
  static CCrcTableCache& Instance();

  // Copies the cached engine of the polynomial (parameters, degree, mask, tables) to `out` and
  // counts a hit. False when the polynomial has no slot; `out` is then unchanged.
  [[nodiscard]] bool Lookup(DWORD polynomial, CCrc& out);
  // Keeps a copy of a fully built engine with hit count 0 in the first empty slot; when all slots
  // are full, replaces the least-hit one (the first of equals). Does nothing when the polynomial is
  // already cached (two threads that both missed).
  void Insert(const CCrc& built);

 private:
  std::mutex m_lock;
  std::unique_ptr<CCrc> m_slots[kSlotCount];  // guarded by m_lock
};
