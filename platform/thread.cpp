#include "platform/thread.h"

#include <pthread.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "platform/last_error.h"
#include "platform/timeout.h"

namespace platform {

// Shared by the owner's Thread object and the running thread; each holds a reference.
struct Thread::State {
  enum class Phase { kStarting, kSuspended, kResumed, kCancelled, kFinished };

  std::function<void()> body;
  int priority = 0;
  std::mutex mutex;
  std::condition_variable changed;
  Phase phase = Phase::kStarting;  // guarded by mutex
  pid_t tid = 0;                   // guarded by mutex; set before kSuspended
  pthread_t handle{};              // set by the owner before CreateSuspended returns
};

namespace {

constexpr DWORD kMinimumStack = 64 * 1024;  // Windows never gives less

void ApplyPriority(int priority) {
  const int offset = NiceOffsetForPriority(priority);
  if (offset == 0) return;
  // Relative to the process (its main thread), as Windows priorities are relative to the class.
  errno = 0;
  const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
  if (base == -1 && errno != 0) return;
  const int nice_value = std::clamp(base + offset, -20, 19);
  // On Linux PRIO_PROCESS with a thread id sets that thread alone. Refusal (raising without the
  // privilege) leaves the thread as it is.
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice_value);
}

void* ThreadEntry(void* arg) {
  std::shared_ptr<Thread::State> state(
      std::move(*static_cast<std::shared_ptr<Thread::State>*>(arg)));
  delete static_cast<std::shared_ptr<Thread::State>*>(arg);
  ApplyPriority(state->priority);
  bool run = false;
  {
    std::unique_lock<std::mutex> hold(state->mutex);
    state->tid = gettid();
    state->phase = Thread::State::Phase::kSuspended;
    state->changed.notify_all();
    state->changed.wait(hold, [&] { return state->phase != Thread::State::Phase::kSuspended; });
    run = state->phase == Thread::State::Phase::kResumed;
  }
  if (run) {
    // An exception must not leave a thread entry (that would end the process); the body reports
    // its own failures.
    try {
      state->body();
    } catch (const std::exception&) {
    }
  }
  state->body = nullptr;  // the body's captures end on this thread
  {
    std::lock_guard<std::mutex> hold(state->mutex);
    state->phase = Thread::State::Phase::kFinished;
    state->changed.notify_all();
  }
  return nullptr;
}

}  // namespace

int NiceOffsetForPriority(int priority) {
  if (priority <= THREAD_PRIORITY_IDLE) return 19;
  if (priority >= THREAD_PRIORITY_TIME_CRITICAL) return -20;
  switch (priority) {
    case THREAD_PRIORITY_LOWEST:
      return 10;
    case THREAD_PRIORITY_BELOW_NORMAL:
      return 5;
    case THREAD_PRIORITY_NORMAL:
      return 0;
    case THREAD_PRIORITY_ABOVE_NORMAL:
      return -5;
    case THREAD_PRIORITY_HIGHEST:
      return -10;
    default:
      return priority < 0 ? 10 : -10;
  }
}

std::unique_ptr<Thread> Thread::CreateSuspended(std::function<void()> body, int priority,
                                                DWORD stack_size) {
  auto state = std::make_shared<State>();
  state->body = std::move(body);
  state->priority = priority;

  pthread_attr_t attr;
  int rc = pthread_attr_init(&attr);
  if (rc != 0) {
    SetLastErrorFromErrno(rc);
    return nullptr;
  }
  if (stack_size != 0) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::size_t size = std::max<std::size_t>(stack_size, kMinimumStack);
    size = (size + page - 1) / page * page;
    rc = pthread_attr_setstacksize(&attr, size);
  }
  pthread_t handle{};
  if (rc == 0) {
    auto* arg = new std::shared_ptr<State>(state);
    rc = pthread_create(&handle, &attr, &ThreadEntry, arg);
    if (rc != 0) delete arg;
  }
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    SetLastErrorFromErrno(rc);
    return nullptr;
  }
  {
    // Returns once the thread knows its id and has set its priority.
    std::unique_lock<std::mutex> hold(state->mutex);
    state->changed.wait(hold, [&] { return state->phase != State::Phase::kStarting; });
  }
  state->handle = handle;
  return std::unique_ptr<Thread>(new Thread(std::move(state)));
}

Thread::~Thread() {
  bool finishing;
  {
    std::lock_guard<std::mutex> hold(state_->mutex);
    if (state_->phase == State::Phase::kSuspended) {
      state_->phase = State::Phase::kCancelled;
      state_->changed.notify_all();
    }
    // A cancelled thread ends at once without running its body.
    finishing = state_->phase != State::Phase::kResumed;
  }
  if (finishing) {
    pthread_join(state_->handle, nullptr);
  } else {
    pthread_detach(state_->handle);
  }
}

void Thread::Resume() {
  std::lock_guard<std::mutex> hold(state_->mutex);
  if (state_->phase != State::Phase::kSuspended) return;
  state_->phase = State::Phase::kResumed;
  state_->changed.notify_all();
}

bool Thread::Wait(DWORD timeout_ms) const {
  std::unique_lock<std::mutex> hold(state_->mutex);
  const auto finished = [this] { return state_->phase == State::Phase::kFinished; };
  if (timeout_ms == INFINITE) {
    state_->changed.wait(hold, finished);
    return true;
  }
  // A zero wait is a poll (IsRunning, once per result while a batch is drained): a timed wait
  // would cost a futex call even when it cannot wait at all.
  if (timeout_ms == 0) return finished();
  return state_->changed.wait_for(hold, std::chrono::milliseconds(timeout_ms), finished);
}

DWORD Thread::Id() const {
  std::lock_guard<std::mutex> hold(state_->mutex);
  return static_cast<DWORD>(state_->tid);
}

}  // namespace platform
