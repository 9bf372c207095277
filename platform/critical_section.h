// A critical section: a lock private to the process that its owner may enter again (each Enter
// needs its Leave). Cheaper than a Mutex, but it cannot be waited on with a time-out, and an owner
// that ends inside it leaves it held.
#pragma once
#include <mutex>

namespace platform {

class CriticalSection {
 public:
  void Enter() { mutex_.lock(); }
  [[nodiscard]] bool TryEnter() { return mutex_.try_lock(); }
  void Leave() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

}  // namespace platform
