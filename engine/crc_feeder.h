// CCrcFeeder: a thread that feeds chunks into pairs of CRC engines while their owners read the next
// chunk, so that reading a large file and checksumming it overlap (on a page-cached file the
// read is a copy that costs as much as both CRCs, and two cores do the two at once).
//
// A reader posts a request naming two engines, the bytes and their length, and leaves all of them
// alone until Wait on that request returns. Requests are served in the order posted, by one
// thread, so the chunks of one file, posted one after the other, are fed in order.
//
// Threads: Post and Wait from any number of threads, each on requests of its own. The destructor
// belongs to the creator and must not race with Post or Wait; requests still queued are served
// before the thread ends.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/thread.h"

class CCrc;

class CCrcFeeder {
 public:
  struct Request {
    CCrc* first = nullptr;
    CCrc* second = nullptr;
    const void* data = nullptr;
    std::size_t length = 0;
    bool done = false;  // guarded by the feeder's mutex
  };

  // Starts the thread at `priority`; Create answers null (last error set) when none can be made.
  [[nodiscard]] static std::unique_ptr<CCrcFeeder> Create(int priority);
  ~CCrcFeeder();
  CCrcFeeder(const CCrcFeeder&) = delete;
  CCrcFeeder& operator=(const CCrcFeeder&) = delete;

  // Queues the request; it must stay alive, with its engines and bytes, until Wait returns.
  void Post(Request* request);
  // Waits until the request has been fed.
  void Wait(Request* request);

 private:
  CCrcFeeder() = default;
  void Serve();

  std::mutex mutex_;
  std::condition_variable posted_;
  std::condition_variable fed_;
  std::deque<Request*> queue_;  // guarded by mutex_
  bool ending_ = false;         // guarded by mutex_
  std::unique_ptr<platform::Thread> thread_;
};
