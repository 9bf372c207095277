// CVemoScanThread: walks the tree below a document's base directory on a worker thread of its own
// and publishes one CVemoScanEntry per file and subdirectory (the base directory itself gets none):
// either the complete list, or a list holding one error record, or, when stopped, nothing.
//
// Order: a directory's files in listing order, then for each subdirectory (in listing order)
// everything below it followed by the subdirectory's own record, whose nChildCount is the number
// of files directly inside it. At most one listing is open at a time.
//
// Linux walk rules: a symbolic link is a file entry of its own (attribute 0x400) and is never
// followed; FIFOs, sockets and device files are left out; names that are not UTF-8 are kept
// losslessly in their wide form.
//
// Threads: Start, StopAndDiscard and TakeResults are called by the owner's (user-interface)
// thread; GetScanDirectory by any thread. The base directory, the current directory and the result
// list are guarded by the worker's lock; the records belong to the scanner thread until published.
#pragma once
#include <memory>
#include <string>

#include "foundation/worker_thread.h"
#include "platform/file_system.h"
#include "records/letter_case.h"
#include "records/scan_list.h"

class CVemoScanThread : public CNWorkerThread {
 public:
  // The file system is not owned and must outlive the scanner; tests pass a fault-injecting one.
  explicit CVemoScanThread(platform::FileSystem* file_system = platform::FileSystem::Default());
  // Stops the walk and discards an untaken result.
  ~CVemoScanThread() override;

  // Starts a walk of base_dir (absolute, ending in '/'); keys are built with key_case. False with
  // last error ERROR_BUSY while a walk still runs.
  [[nodiscard]] bool Start(const std::wstring& base_dir, KeyCase key_case);
  // Stops the walk (waiting without limit) and destroys any published, untaken result.
  void StopAndDiscard();
  // The published list, which the caller then owns; null when nothing was published (still
  // running, stopped, or already taken).
  [[nodiscard]] std::unique_ptr<CVemoScanList> TakeResults();
  // The directory being listed (base directory + relative path); empty before the first listing.
  [[nodiscard]] std::wstring GetScanDirectory();

 protected:
  DWORD Run() override;
  void OnThreadStart() override;
  void OnThreadEnd() override;

 private:
  class Walk;

  void SetScanDirectory(std::wstring dir);
  void Publish(std::unique_ptr<CVemoScanList> list);

  platform::FileSystem* const file_system_;
  // Guarded by the worker's lock.
  std::wstring base_dir_;
  KeyCase key_case_ = KeyCase::kExact;
  std::wstring current_dir_;
  std::unique_ptr<CVemoScanList> results_;
};
