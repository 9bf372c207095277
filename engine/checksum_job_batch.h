// ChecksumJobBatch: the jobs of one checksum pass in the order they are to be read, built by
// whoever owns the files' records (the document picks its entries) and handed whole to
// CChecksumWorker::QueueJobs.
//
// Files come in key order, so the files of one directory follow each other: the directory's
// native form is made once when its first file is added and shared by the jobs of its files.
// A file whose path has no native form becomes a job that carries the conversion's error.
//
// Built and handed over on one thread; not copyable.
#pragma once
#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "engine/checksum_job.h"
#include "platform/win_types.h"
#include "records/shared_text.h"

class ChecksumJobBatch {
 public:
  using Jobs = std::deque<std::unique_ptr<ChecksumJob>>;

  ChecksumJobBatch() = default;
  ChecksumJobBatch(ChecksumJobBatch&&) noexcept = default;
  ChecksumJobBatch& operator=(ChecksumJobBatch&&) noexcept = default;
  ChecksumJobBatch(const ChecksumJobBatch&) = delete;
  ChecksumJobBatch& operator=(const ChecksumJobBatch&) = delete;

  // One file: the base directory as the scan was given it, the directory below it (empty or
  // ending in '/'), the name, the lookup key (copied) and the size and last-write time the scan
  // saw (time 0: not compared after the read).
  void Add(const SharedText& base_dir, const SharedText& rel_dir, const std::wstring& name,
           const char* key, ULONGLONG size, ULONGLONG scan_time);

  [[nodiscard]] std::size_t size() const { return jobs_.size(); }
  [[nodiscard]] bool empty() const { return jobs_.empty(); }
  // The sum of the jobs' sizes.
  [[nodiscard]] ULONGLONG Bytes() const { return bytes_; }
  // The jobs, oldest first; the batch is empty afterwards.
  [[nodiscard]] Jobs TakeJobs();

 private:
  // The native form of the directory of the files added last.
  struct Directory {
    SharedText base;
    SharedText rel;
    ChecksumJob::SharedDir native;  // null: the directory has no native form
    std::size_t base_length = 0;    // of the base directory's native form, at its start
  };

  Jobs jobs_;
  ULONGLONG bytes_ = 0;
  Directory directory_;
};
