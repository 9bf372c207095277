// CNCriticalSection: the program's critical section, and CNCriticalSectionLock, its scoped holder.
// Both are reached through a pointer that may be null: code given no critical section then runs
// without a lock (the settings store relies on that). The owner may enter again; each Lock needs
// its Unlock.
#pragma once
#include <atomic>

#include "platform/critical_section.h"
#include "platform/win_types.h"

class CNCriticalSection {
 public:
  CNCriticalSection() : valid_(1) {}
  ~CNCriticalSection() { valid_.store(0); }
  CNCriticalSection(const CNCriticalSection&) = delete;
  CNCriticalSection& operator=(const CNCriticalSection&) = delete;

  // Enters `section`; false (and no lock) when it is null or not valid. Any thread.
  static bool Lock(CNCriticalSection* section);
  // Leaves `section` when it is not null and valid.
  static void Unlock(CNCriticalSection* section);

  bool Lock() { return Lock(this); }
  void Unlock() { Unlock(this); }

  [[nodiscard]] bool IsValid() const { return valid_.load(std::memory_order_relaxed) != 0; }

 private:
  std::atomic<DWORD> valid_;  // non-zero once the section is initialised, until destruction
  platform::CriticalSection section_;
};

// Holds `section` (which may be null) from construction to destruction; unlocks only what it
// locked.
class CNCriticalSectionLock {
 public:
  explicit CNCriticalSectionLock(CNCriticalSection* section)
      : section_(section), locked_(CNCriticalSection::Lock(section)) {}
  ~CNCriticalSectionLock() {
    if (locked_) CNCriticalSection::Unlock(section_);
  }
  CNCriticalSectionLock(const CNCriticalSectionLock&) = delete;
  CNCriticalSectionLock& operator=(const CNCriticalSectionLock&) = delete;

 private:
  CNCriticalSection* section_;
  bool locked_;
};
