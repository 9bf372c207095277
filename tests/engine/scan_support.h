// Helpers for the scanner and checksum-worker tests: running a worker to its end, and file systems
// that fail or observe chosen calls.
#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "foundation/worker_thread.h"
#include "platform/file_system.h"

namespace vemo_test {

// Waits until the worker's thread has ended by itself (no stop request); false after the limit.
inline bool WaitUntilEnded(CNWorkerThread& worker,
                           std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (worker.IsRunning()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Polls a condition until it holds; false after the limit.
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A listing that runs a hook on each item it delivers; the hook may change the item, or fail the
// step by returning an error code (the item is then not delivered).
class HookedListing : public platform::DirectoryListingWrapper {
 public:
  using Hook = std::function<DWORD(platform::DirectoryItem* item)>;
  HookedListing(std::unique_ptr<platform::DirectoryListing> target, Hook on_next, DWORD close_error)
      : DirectoryListingWrapper(std::move(target)),
        on_next_(std::move(on_next)),
        close_error_(close_error) {}

  bool Next(platform::DirectoryItem* item) override {
    if (!DirectoryListingWrapper::Next(item)) return false;
    if (on_next_) {
      if (const DWORD error = on_next_(item); error != 0) {
        platform::SetLastError(error);
        return false;
      }
    }
    return true;
  }
  bool Close() override {
    const bool closed = DirectoryListingWrapper::Close();
    if (close_error_ != 0) {
      platform::SetLastError(close_error_);
      return false;
    }
    return closed;
  }

 private:
  Hook on_next_;
  DWORD close_error_;
};

// Counts listing steps across threads.
class CountingFileSystem : public platform::FileSystemWrapper {
 public:
  CountingFileSystem() : FileSystemWrapper(platform::FileSystem::Default()) {}
  std::unique_ptr<platform::DirectoryListing> OpenListing(const std::string& dir) override {
    auto listing = FileSystemWrapper::OpenListing(dir);
    if (listing == nullptr) return nullptr;
    return std::make_unique<HookedListing>(
        std::move(listing),
        [this](platform::DirectoryItem*) {
          const int n = ++items;
          if (freeze_at != 0 && n == freeze_at) on_freeze_point();
          return DWORD{0};
        },
        0);
  }
  std::atomic<int> items{0};
  int freeze_at = 0;  // item number at which on_freeze_point runs (on the scanner thread)
  std::function<void()> on_freeze_point;
};

}  // namespace vemo_test
