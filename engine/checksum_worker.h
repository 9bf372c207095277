// CChecksumWorker: reads each queued file once on a worker thread of its own and computes both
// file checksums from the same buffer. The document queues the files whose entries are found,
// pending and no longer awaiting the scan, then collects the finished jobs in queue order by
// polling PopResult; it also reads the figures of the status bar (current file, bytes, rate).
//
// A symbolic link is checksummed over its target text; a file is read up to the size measured on
// opening (one that shrinks meanwhile ends in ERROR_READ_FAULT); a failure is recorded in its job
// and never stops the batch. A stop drops the job being read and every job not yet started.
//
// Threads: QueueJobs, Clear, PopResult and the progress getters are for the owner's
// (user-interface) thread, the getters also for any other thread. The job lists, byte counts,
// current-file and rate fields are guarded by the worker's lock, which the worker thread holds
// only for short updates, never while reading or checksumming.
#pragma once
#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "engine/checksum_job.h"
#include "foundation/ptr_array.h"
#include "foundation/ptr_list.h"
#include "foundation/time_stamp.h"
#include "foundation/worker_thread.h"
#include "platform/file_system.h"
#include "records/shared_text.h"

class CCrc;
class CVemoEntry;

class CChecksumWorker : public CNWorkerThread {
 public:
  // Bytes read per call, and the size of the thread's buffer.
  static constexpr std::size_t kChunkSize = 1024 * 1024;

  // The file system is not owned and must outlive the worker; tests pass a fault-injecting one.
  explicit CChecksumWorker(platform::FileSystem* file_system = platform::FileSystem::Default());
  // Stops the thread and deletes every job.
  ~CChecksumWorker() override;

  // Clears (without stopping), queues one job per entry that is queued for checksumming, in the
  // collection's order (null elements are skipped), and starts the thread. False with ERROR_BUSY
  // when the previous thread still runs (the jobs stay queued for the next start).
  [[nodiscard]] bool QueueJobs(const CNObjectArray<CVemoEntry>& entries);
  [[nodiscard]] bool QueueJobs(const CNObjectList<CVemoEntry>& entries);
  // Optionally stops the thread, waiting without limit; then deletes all pending and finished jobs
  // and zeroes both byte counts.
  void Clear(bool stop_first);
  // The oldest finished job, which the caller then owns; null when there is none.
  [[nodiscard]] std::unique_ptr<ChecksumJob> PopResult();
  // Every finished job, oldest first, which the caller then owns: one hold of the lock for all.
  [[nodiscard]] std::deque<std::unique_ptr<ChecksumJob>> TakeResults();

  // The current file's text ("Opening " or "Reading " + path) and its fraction: -1.0 while it is
  // opened and sized, then the part read, 1.0 when read.
  [[nodiscard]] double GetCurrentFile(std::wstring* text);
  // Bytes done and queued of this batch, the time of the last rate sample and the rate then.
  void GetProgress(ULONGLONG* done, ULONGLONG* queued, CNTimeStamp* sample_time, double* rate);
  // Bytes done and queued, and the smoothed rate.
  void GetProgress(ULONGLONG* done, ULONGLONG* queued, double* smoothed_rate);

 protected:
  DWORD Run() override;
  void OnThreadStart() override;
  void OnThreadEnd() override;

 private:
  using JobQueue = std::deque<std::unique_ptr<ChecksumJob>>;

  // The directory of the file read last, held open while the following files lie in it too, so
  // that each is opened by its name alone; and the base directory it was reached from. A
  // directory below the base is reached without following links: one that cannot be reached so
  // is remembered with its error, which becomes the result of each of its files (never a read by
  // the full path, which would follow a link planted on the way). A job without a base (tests)
  // opens its directory as it stands, and by full paths when that fails.
  struct DirectoryCache {
    std::string base;  // native, ending in '/'
    std::unique_ptr<platform::DirectoryHandle> base_handle;
    DWORD base_error = 0;
    ChecksumJob::SharedDir path;  // native, ending in '/'
    std::unique_ptr<platform::DirectoryHandle> handle;
    DWORD error = 0;
  };
  // The native form of the directory of the entries queued last, worked out once for all of them.
  struct QueueDirectory {
    SharedText base;
    SharedText rel;
    ChecksumJob::SharedDir native;  // null: the directory has no native form
    std::size_t base_length = 0;    // of the base directory's native form, at its start
  };
  // The handle for job's directory (null when it could not be opened: *error then says why, or
  // is 0 for a job without a base, whose files are opened by full path).
  platform::DirectoryHandle* DirectoryFor(const ChecksumJob& job, DirectoryCache& cache,
                                          DWORD* error);

  template <class Collection>
  bool QueueFrom(const Collection& entries);
  void AddJob(const CVemoEntry& entry, QueueDirectory& directory);  // under the lock
  // Reads one job's file into both engines, records the result and hands the job to the finished
  // jobs. False when a stop was requested during the read (the job is then dropped).
  bool ChecksumFile(std::unique_ptr<ChecksumJob> job, CCrc& crc1, CCrc& crc2, std::byte* buffer,
                    DirectoryCache& directory);
  // Checksums a symbolic link's target text (the link read by name inside dir, or by its full path
  // when dir is null); false with the last error set when it is none.
  bool ChecksumLink(ChecksumJob& job, platform::DirectoryHandle* dir, CCrc& crc1, CCrc& crc2);
  // The per-file updates of the shared fields, each one short hold of the lock: on a tree of
  // small files a file costs four of them, and no allocation once the text buffer has grown.
  // "Opening " + path, fraction -1.
  void BeginOpening(const ChecksumJob& job);
  // Corrects the job's size to the measured one (and bytes queued by the difference); then
  // "Reading " + path, fraction -1.
  void BeginReading(ChecksumJob& job, ULONGLONG measured);
  // Adds bytes to bytes done and samples the rate; then sets the fraction when it is not null.
  void AddProgress(ULONGLONG bytes, const double* fraction = nullptr);
  // Adds the bytes the file still owes to bytes done, sets the fraction to 1.0 after a
  // successful read, and appends the job to the finished jobs.
  void FinishJob(std::unique_ptr<ChecksumJob> job, ULONGLONG unread, bool read_whole);
  void AddProgressLocked(ULONGLONG bytes, CNTimeStamp now);  // under the lock
  void ResetRate();

  platform::FileSystem* const file_system_;
  // Guarded by the worker's lock.
  ULONGLONG bytes_done_ = 0;
  ULONGLONG bytes_queued_ = 0;
  JobQueue pending_;
  JobQueue finished_;
  double current_fraction_ = -1.0;
  // The current file's text, put together when asked for: "Reading " when current_reading_.
  ChecksumJob::SharedDir current_dir_;
  std::string current_name_;
  std::wstring current_unconvertible_;  // the path of a job without a native form
  bool current_reading_ = false;
  CNTimeStamp sample_time_;
  ULONGLONG sample_bytes_ = 0;
  double rate_ = 0.0;
  double smoothed_rate_ = 0.0;
};
