// CChecksumWorker: reads each queued file once, on reader threads of its own, and computes both
// file checksums from the same buffer. The document queues a batch of jobs (the files whose
// entries are found, pending and no longer awaiting the scan), then collects the finished jobs in
// queue order by polling PopResult; it also reads the figures of the status bar (current file,
// bytes, rate).
//
// Several reader threads (the worker's own and helpers it starts for the batch) take the jobs in
// queue order, one file each at a time (small files in short runs of consecutive jobs), so that
// the system calls of many small files and the waits of a cold disk overlap. A file larger than one
// chunk is shared in pieces of a few chunks: each reader free for it reads a piece at its offset,
// chunk by chunk, and checksums it from register 0, and the registers are joined in file order
// (engine/crc_combine.h), so one large file keeps every core busy too, and each chunk stays in the
// cache of the core that reads it.
// Finished jobs are held back until every earlier one has finished, so the results still come in
// queue order. The current file is the latest job in queue order that a reader has begun.
//
// A symbolic link is checksummed over its target text; a file is read up to the size measured on
// opening (one that shrinks meanwhile ends in ERROR_READ_FAULT); a failure is recorded in its job
// and never stops the batch. A stop drops the jobs being read, every job not yet started and every
// finished job queued after one of those.
//
// Threads: QueueJobs, Clear, PopResult and the progress getters are for the owner's
// (user-interface) thread, the getters also for any other thread. The job lists, byte counts,
// current-file and rate fields are guarded by the worker's lock, which the reader threads hold
// only for short updates, never while reading or checksumming.
#pragma once
#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/checksum_job.h"
#include "engine/checksum_job_batch.h"
#include "foundation/time_stamp.h"
#include "foundation/worker_thread.h"
#include "platform/file_system.h"

class CCrc;

class CChecksumWorker : public CNWorkerThread {
 public:
  // Bytes read per call, and the size of each reader's buffer.
  static constexpr std::size_t kChunkSize = 1024 * 1024;
  // Reader threads per batch, at most (never more than the batch has jobs).
  static constexpr unsigned kMaxReaders = 4;
  // A reader takes up to this many jobs in a row at once while their files are this small, so
  // that a tree of small files costs fewer holds of the locks per file.
  static constexpr std::size_t kMaxRun = 16;
  // A file of several chunks is shared in pieces of up to this many chunks.
  static constexpr ULONGLONG kMaxPieceChunks = 4;
  static constexpr ULONGLONG kRunFileSize = 64 * 1024;

  // The file system is not owned and must outlive the worker; tests pass a fault-injecting one.
  explicit CChecksumWorker(platform::FileSystem* file_system = platform::FileSystem::Default());
  // Stops the thread and deletes every job.
  ~CChecksumWorker() override;

  // Clears (without stopping), queues the batch's jobs in its order and starts the thread. False
  // with ERROR_BUSY when the previous thread still runs (the jobs stay queued for the next start).
  [[nodiscard]] bool QueueJobs(ChecksumJobBatch batch);
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
  // The handle for job's directory (null when it could not be opened: *error then says why, or
  // is 0 for a job without a base, whose files are opened by full path).
  platform::DirectoryHandle* DirectoryFor(const ChecksumJob& job, DirectoryCache& cache,
                                          DWORD* error);

  struct Batch;
  struct Reader;
  struct SharedFile;
  // The body of every reader thread: takes the batch's jobs one by one until none is left or the
  // batch stops.
  void ReadJobs(Batch& batch, Reader& reader);
  // How many jobs from first on a reader takes at once (0 when none is left); under the batch's
  // share_mutex.
  static std::size_t TakeRun(const Batch& batch, std::size_t first);
  // Reads and checksums the chunks of the files that other readers share, until none has a chunk
  // left to take; false when a stop was requested.
  bool HelpWithSharedFiles(Batch& batch, Reader& reader);
  // With no job left to take: waits until a shared file has a chunk left to take (true), or no
  // reader could share one any more, or a stop was requested (false).
  bool WaitForSharedFile(Batch& batch);
  // A shared file with a chunk left to take, or null; under the batch's share_mutex.
  static SharedFile* FileWithChunksLeft(Batch& batch);
  // Reads one job's file into both engines, records the result and hands the job over to be
  // published; then the next job of the reader's run (when not null) begins opening. The job must
  // have begun opening. False when a stop was requested during the read (the job is then dropped).
  bool ChecksumFile(Batch& batch, std::size_t index, std::unique_ptr<ChecksumJob> job,
                    Reader& reader, const ChecksumJob* next);
  // Reads the open file's `size` bytes into both engines, chunk by chunk; false when a stop was
  // requested. *remaining: the bytes not yet counted as done; *error: a read's failure.
  bool ReadContents(std::size_t index, platform::ReadableFile& file, ULONGLONG size, Reader& reader,
                    ULONGLONG* remaining, DWORD* error);
  // ReadContents for a file of several chunks that it shares with the other readers, joining the
  // pieces' registers in file order; a failure of a chunk is the file's failure.
  bool ReadShared(Batch& batch, std::size_t index, platform::ReadableFile& file, ULONGLONG size,
                  Reader& reader, ULONGLONG* remaining, DWORD* error);
  // Takes the shared file's pieces one by one, reads each chunk by chunk with ReadAt and records
  // its registers from 0, until none is left or one failed; false when a stop was requested.
  bool ReadPieces(SharedFile& shared, Reader& reader);
  // Checksums a symbolic link's target text (the link read by name inside dir, or by its full path
  // when dir is null); false with the last error set when it is none.
  bool ChecksumLink(std::size_t index, ChecksumJob& job, platform::DirectoryHandle* dir, CCrc& crc1,
                    CCrc& crc2);
  // The per-file updates of the shared fields, each one short hold of the lock: on a tree of
  // small files a file costs three of them, and no allocation once the text buffer has grown.
  // Those that touch the current file do so only for the current job (index).
  // "Opening " + path, fraction -1; the job becomes the current one unless a later job is.
  void BeginOpening(std::size_t index, const ChecksumJob& job);
  void BeginOpeningLocked(std::size_t index, const ChecksumJob& job);
  // Corrects the job's size to the measured one (and bytes queued by the difference); then
  // "Reading " + path, fraction -1.
  void BeginReading(std::size_t index, ChecksumJob& job, ULONGLONG measured);
  // Adds bytes to bytes done and samples the rate; then sets the fraction when it is not null.
  void AddProgress(std::size_t index, ULONGLONG bytes, const double* fraction = nullptr);
  // Adds the bytes the file still owes to bytes done, sets the fraction to 1.0 after a
  // successful read, and publishes the job with every later one that waited only for it; then
  // BeginOpening of next (the job at index + 1) when it is not null.
  void FinishJob(Batch& batch, std::size_t index, std::unique_ptr<ChecksumJob> job,
                 ULONGLONG unread, bool read_whole, const ChecksumJob* next);
  void AddProgressLocked(ULONGLONG bytes, CNTimeStamp now);  // under the lock
  void ResetRate();

  platform::FileSystem* const file_system_;
  // Guarded by the worker's lock.
  ULONGLONG bytes_done_ = 0;
  ULONGLONG bytes_queued_ = 0;
  ChecksumJobBatch pending_;
  JobQueue finished_;
  double current_fraction_ = -1.0;
  std::size_t current_index_ = 0;  // the current job's place in the batch
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
