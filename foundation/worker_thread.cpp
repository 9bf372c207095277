#include "foundation/worker_thread.h"

#include <cassert>
#include <exception>
#include <new>

#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/tick.h"

namespace {
constexpr DWORD kFreezeStepMs = 250;
}

CNWorkerThread::CNWorkerThread(CNNotifyWindow* notify_window, UINT notify_message, DWORD user_value)
    : lock_(false, nullptr),
      notify_window_(notify_window),
      notify_message_(notify_message),
      user_value_(user_value),
      stop_signal_(platform::CreateEvent(true, false, nullptr).object) {}

CNWorkerThread::~CNWorkerThread() {
  assert(!IsRunning() && "a subclass destructor must stop its thread before its members go");
  Stop(INFINITE);
}

bool CNWorkerThread::CanContinue() { return stop_requested_.load() == 0 && ShouldRun(); }

bool CNWorkerThread::Start() {
  if (IsRunning()) {
    platform::SetLastError(ERROR_BUSY);
    return false;
  }
  ForgetThread();
  exit_code_.store(0);
  stop_requested_.store(0);
  if (stop_signal_) stop_signal_->Reset();
  std::unique_ptr<platform::Thread> thread =
      platform::Thread::CreateSuspended([this] { ThreadMain(); }, priority_, stack_size_);
  if (!thread) return false;
  thread_id_.store(thread->Id());
  thread_ = std::move(thread);
  thread_->Resume();
  return true;
}

bool CNWorkerThread::Stop(DWORD timeout_ms) {
  if (!IsRunning()) {
    ForgetThread();
    return true;
  }
  stop_requested_.store(1);
  if (stop_signal_) stop_signal_->Set();
  if (!thread_->Wait(timeout_ms)) return false;
  ForgetThread();
  return true;
}

bool CNWorkerThread::Terminate(DWORD exit_code) {
  if (!IsRunning()) return true;
  (void)exit_code;
  platform::SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

bool CNWorkerThread::IsRunning() const { return thread_ != nullptr && !thread_->Wait(0); }

void CNWorkerThread::Lock() { (void)lock_.Lock(INFINITE); }

void CNWorkerThread::Unlock() { lock_.Unlock(); }

bool CNWorkerThread::CheckContinue() {
  if (!CanContinue()) return false;
  while (FreezeScans.load() != 0) {
    if (stop_signal_) {
      (void)stop_signal_->Wait(kFreezeStepMs);
    } else {
      platform::Sleep(kFreezeStepMs);
    }
    if (!CanContinue()) return false;
  }
  return true;
}

DWORD CNWorkerThread::Run() { return 0; }

void CNWorkerThread::OnThreadStart() {}

void CNWorkerThread::OnThreadEnd() {}

bool CNWorkerThread::ShouldRun() { return true; }

void CNWorkerThread::ThreadMain() {
  OnThreadStart();
  Notify(1);
  // No exception may end the process from a worker: one that ran out of memory ends with that
  // code, which its owner reports, and the thread's end is still counted and notified.
  DWORD code = ERROR_INVALID_FUNCTION;
  try {
    code = Run();
  } catch (const std::bad_alloc&) {
    code = ERROR_NOT_ENOUGH_MEMORY;
  } catch (const std::exception&) {
    code = ERROR_INVALID_FUNCTION;
  }
  exit_code_.store(code);
  OnThreadEnd();
  Notify(0);
}

void CNWorkerThread::Notify(std::uintptr_t starting) {
  CNMutexLock hold(lock_);
  if (notify_message_ == 0 || notify_window_ == nullptr || !notify_window_->Exists()) return;
  notify_window_->Post(notify_message_, starting, reinterpret_cast<std::intptr_t>(this));
}

void CNWorkerThread::ForgetThread() {
  thread_.reset();  // an ended thread is joined here
  thread_id_.store(0);
}
