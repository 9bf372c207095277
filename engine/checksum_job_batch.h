// ChecksumJobBatch: the jobs of one checksum pass in the order they are to be read, built by
// whoever owns the files' records (the document picks its entries) and handed whole to
// CChecksumWorker::QueueJobs.
//
// A pass may hold a million files, all queued before the first is read, so the batch keeps each
// file compactly and makes its ChecksumJob only when a reader takes it: per file a small record
// and its native name and the end of its key in large shared blocks. Files come in key order, so
// the files of one directory follow each other: the directory's native form is made once when its
// first file is added and shared by the jobs of its files, and each key is kept as the bytes it
// shares with the directory's first key plus the rest. A file whose path has no native form (or
// whose texts would not fit the compact form) is kept as a whole job, which carries the
// conversion's error.
//
// Built and handed over on one thread; once handed over, TakeJob may be called from several
// threads at once for different indices. Not copyable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/checksum_job.h"
#include "platform/win_types.h"
#include "records/shared_text.h"

class ChecksumJobBatch {
 public:
  ChecksumJobBatch() = default;
  ChecksumJobBatch(ChecksumJobBatch&&) noexcept = default;
  ChecksumJobBatch& operator=(ChecksumJobBatch&&) noexcept = default;
  ChecksumJobBatch(const ChecksumJobBatch&) = delete;
  ChecksumJobBatch& operator=(const ChecksumJobBatch&) = delete;
  ~ChecksumJobBatch();

  // One file: the base directory as the scan was given it, the directory below it (empty or
  // ending in '/'), the name, the lookup key (copied) and the size and last-write time the scan
  // saw (time 0: not compared after the read). Throws std::bad_alloc when memory runs out.
  void Add(const SharedText& base_dir, const SharedText& rel_dir, const std::wstring& name,
           const char* key, ULONGLONG size, ULONGLONG scan_time);

  [[nodiscard]] std::size_t size() const { return count_; }
  [[nodiscard]] bool empty() const { return count_ == 0; }
  // The sum of the jobs' sizes.
  [[nodiscard]] ULONGLONG Bytes() const { return bytes_; }
  // The size queued for job `index` (< size()).
  [[nodiscard]] ULONGLONG SizeAt(std::size_t index) const;
  // The job at `index` (< size()), made now; each index may be taken once. Throws std::bad_alloc
  // when memory runs out.
  [[nodiscard]] std::unique_ptr<ChecksumJob> TakeJob(std::size_t index);

 private:
  // A file's record: where its texts lie (for a whole job: its place among them), its size and
  // time, its directory and how many bytes its key shares with that directory's first key.
  struct File {
    std::uint64_t text;
    ULONGLONG size;
    ULONGLONG time;
    std::uint32_t directory;
    std::uint32_t key_shared;
  };
  struct Directory {
    ChecksumJob::SharedDir native;  // null: the directory has no native form
    std::size_t base_length = 0;    // of the base directory's native form, at its start
    std::string first_key;          // of its first file
  };
  static constexpr std::uint32_t kWholeJob = ~std::uint32_t{0};
  static constexpr std::size_t kFilesPerBlock = 4096;
  static constexpr std::size_t kTextBlock = std::size_t{1} << 20;

  [[nodiscard]] const File& FileAt(std::size_t index) const {
    return file_blocks_[index / kFilesPerBlock][index % kFilesPerBlock];
  }
  // Appends a record of the next file.
  void AppendFile(const File& file);
  // Room for `bytes` of one file's texts in a text block; its position through *position.
  char* TextRoom(std::size_t bytes, std::uint64_t* position);
  // The file as a whole job.
  void AddWholeJob(std::unique_ptr<ChecksumJob> job);

  std::vector<std::unique_ptr<File[]>> file_blocks_;
  std::vector<std::unique_ptr<char[]>> text_blocks_;
  std::size_t text_used_ = kTextBlock;  // bytes used of the last text block
  std::vector<Directory> directories_;
  std::vector<std::unique_ptr<ChecksumJob>> whole_jobs_;
  // The texts of the directory of the files added last.
  SharedText base_;
  SharedText rel_;
  std::size_t count_ = 0;
  ULONGLONG bytes_ = 0;
};
