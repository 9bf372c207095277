#include "engine/crc_feeder.h"

#include "engine/crc.h"
#include "platform/timeout.h"

std::unique_ptr<CCrcFeeder> CCrcFeeder::Create(int priority) {
  std::unique_ptr<CCrcFeeder> feeder(new CCrcFeeder);
  CCrcFeeder* const self = feeder.get();
  feeder->thread_ = platform::Thread::CreateSuspended([self] { self->Serve(); }, priority, 0);
  if (!feeder->thread_) return nullptr;
  feeder->thread_->Resume();
  return feeder;
}

CCrcFeeder::~CCrcFeeder() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    ending_ = true;
  }
  posted_.notify_one();
  if (thread_) (void)thread_->Wait(INFINITE);
}

void CCrcFeeder::Post(Request* request) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    request->done = false;
    queue_.push_back(request);
  }
  posted_.notify_one();
}

void CCrcFeeder::Wait(Request* request) {
  std::unique_lock<std::mutex> hold(mutex_);
  fed_.wait(hold, [request] { return request->done; });
}

void CCrcFeeder::Serve() {
  std::unique_lock<std::mutex> hold(mutex_);
  for (;;) {
    posted_.wait(hold, [this] { return ending_ || !queue_.empty(); });
    if (queue_.empty()) return;  // ending, and nothing left to feed
    Request* const request = queue_.front();
    queue_.pop_front();
    hold.unlock();
    CCrc::UpdatePair(*request->first, *request->second, request->data, request->length);
    hold.lock();
    request->done = true;
    fed_.notify_all();
  }
}
