// CNWorkerThread: the base of every worker thread (scanner, checksum worker, reader, formatter).
// It owns the thread, offers a cooperative stop with a bounded wait, carries the lock that the
// subclass takes around every field it shares with other threads, and keeps the exit code of Run.
//
// Threads: Start, Stop, Terminate and the destructor belong to the owning (main) thread. Run and
// the hooks run on the worker thread, which asks CheckContinue between units of work. Lock,
// Unlock, CanContinue, IsRunning-free accessors and the exit code may be used from either.
//
// A subclass whose Run uses its own members must call Stop(INFINITE) in its own destructor: by
// the time this base destructor runs, the subclass part is gone and its Run must have ended.
#pragma once
#include <atomic>
#include <memory>

#include "foundation/mutex.h"
#include "foundation/notify_window.h"
#include "platform/event.h"
#include "platform/thread.h"
#include "platform/timeout.h"
#include "platform/win_types.h"

class CNWorkerThread {
 public:
  // The program's workers pass null, 0, 0 and are polled instead of notified. With a window and a
  // message, each run posts the message twice: wParam 1 before Run, wParam 0 after OnThreadEnd,
  // lParam the worker's address.
  explicit CNWorkerThread(CNNotifyWindow* notify_window = nullptr, UINT notify_message = 0,
                          DWORD user_value = 0);
  virtual ~CNWorkerThread();
  CNWorkerThread(const CNWorkerThread&) = delete;
  CNWorkerThread& operator=(const CNWorkerThread&) = delete;

  // True while no stop was requested for this run and ShouldRun agrees.
  [[nodiscard]] virtual bool CanContinue();
  // Starts a new run. False with ERROR_BUSY while the previous run goes on (nothing changes), or
  // with the system's error when no thread could be made.
  [[nodiscard]] virtual bool Start();
  // Requests the stop and waits up to `timeout_ms` for the thread to end. True when no thread runs
  // any more (or none ran); false when the wait timed out: the thread runs on, the request stays.
  virtual bool Stop(DWORD timeout_ms);
  // Killing a thread from outside would leave the locks and heap it was using in any state, so a
  // running thread is never killed: false with ERROR_NOT_SUPPORTED, nothing changes. True when no
  // thread runs.
  virtual bool Terminate(DWORD exit_code);

  // True while the current run's thread has not ended.
  [[nodiscard]] bool IsRunning() const;
  // Waits without limit for the worker's lock / releases it.
  void Lock();
  void Unlock();
  // The pause-and-stop check between units of work (worker thread): false to stop. While
  // FreezeScans is set it waits in steps of at most 250 ms; a stop request ends the wait at once.
  [[nodiscard]] bool CheckContinue();

  // What Run returned; 0 while running and before the first run.
  [[nodiscard]] DWORD ExitCode() const { return exit_code_.load(); }
  // The current run's thread id; 0 when there is none.
  [[nodiscard]] DWORD ThreadId() const { return thread_id_.load(); }
  [[nodiscard]] DWORD UserValue() const { return user_value_; }

 protected:
  // The thread body; its result becomes the exit code. The base returns 0.
  virtual DWORD Run();
  // Called on the new thread before Run / after Run. The base does nothing.
  virtual void OnThreadStart();
  virtual void OnThreadEnd();
  // A further condition of CanContinue, asked on the worker thread. The base answers true.
  [[nodiscard]] virtual bool ShouldRun();

  // Priority and stack size of the next Start; subclasses set them in their constructors.
  void SetPriority(int priority) { priority_ = priority; }
  void SetStackSize(DWORD stack_size) { stack_size_ = stack_size; }

  // Guards the subclass's shared fields and the notifications: take it with a CNMutexLock for
  // short copies only, never across file-system work or a call into another object.
  CNMutex lock_;

 private:
  void ThreadMain();
  void Notify(std::uintptr_t starting);
  void ForgetThread();

  CNNotifyWindow* const notify_window_;
  const UINT notify_message_;
  const DWORD user_value_;
  std::unique_ptr<platform::Thread> thread_;  // owning thread only
  std::atomic<DWORD> thread_id_{0};
  std::atomic<DWORD> stop_requested_{0};
  int priority_ = THREAD_PRIORITY_NORMAL;
  DWORD stack_size_ = 0;
  std::atomic<DWORD> exit_code_{0};
  // Set by Stop so that a frozen worker wakes at once; reset by Start.
  std::shared_ptr<platform::Event> stop_signal_;
};
