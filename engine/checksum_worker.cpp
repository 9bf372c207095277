#include "engine/checksum_worker.h"

#include <algorithm>
#include <utility>

#include "document/entries/entry.h"
#include "document/entries/entry_flags.h"
#include "engine/crc.h"
#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "foundation/time_stamp.h"
#include "platform/clock.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"

namespace {

// A failure must never be recorded as success, even from a file system that set no code.
DWORD FailureCode() {
  const DWORD error = platform::LastError();
  return error != ERROR_SUCCESS ? error : ERROR_INVALID_FUNCTION;
}

// Whether the file just read no longer has the size and time the scan saw (a writer was at work
// meanwhile). A file system that cannot tell is taken at its word.
bool ChangedSinceScan(const ChecksumJob& job, platform::ReadableFile& file) {
  if (!job.check_seen) return false;
  ULONGLONG size = 0;
  ULONGLONG time = 0;
  if (!file.GetWriteState(&size, &time)) return false;
  // The scan keeps whole seconds (AsScanned): a fraction of a second is no change.
  return size != job.seen_size ||
         (job.seen_time != 0 && time / kTimeStampSecond != job.seen_time / kTimeStampSecond);
}

}  // namespace

CChecksumWorker::CChecksumWorker(platform::FileSystem* file_system) : file_system_(file_system) {
  SetPriority(THREAD_PRIORITY_LOWEST);
}

CChecksumWorker::~CChecksumWorker() { Clear(true); }

bool CChecksumWorker::QueueJobs(const CNObjectArray<CVemoEntry>& entries) {
  return QueueFrom(entries);
}

bool CChecksumWorker::QueueJobs(const CNObjectList<CVemoEntry>& entries) {
  return QueueFrom(entries);
}

template <class Collection>
bool CChecksumWorker::QueueFrom(const Collection& entries) {
  Clear(false);
  {
    CNMutexLock lock(lock_);
    QueueDirectory directory;
    for (const CVemoEntry* entry : entries) {
      if (entry != nullptr && entry->TestFlags(EF_QUEUED_MASK, EF_QUEUED_VALUE)) {
        AddJob(*entry, directory);
      }
    }
  }
  return Start();
}

void CChecksumWorker::AddJob(const CVemoEntry& entry, QueueDirectory& directory) {
  // Entries come in key order, so the entries of one directory follow each other: its native form
  // is made once, and each job holds only its name besides.
  if (!directory.native || !entry.m_strBaseDir.SameObject(directory.base) ||
      !entry.m_strRelDir.SameObject(directory.rel)) {
    directory.base = entry.m_strBaseDir;
    directory.rel = entry.m_strRelDir;
    std::string native;
    std::string native_base;
    // Names convert character by character, so the base's native form begins the whole one.
    const bool converted =
        platform::FileNameFromWide(entry.m_strBaseDir.str() + entry.m_strRelDir.str(), native) &&
        platform::FileNameFromWide(entry.m_strBaseDir.view(), native_base) &&
        native.starts_with(native_base);
    directory.base_length = converted ? native_base.size() : 0;
    directory.native = converted ? std::make_shared<const std::string>(std::move(native)) : nullptr;
  }
  std::string name;
  std::unique_ptr<ChecksumJob> job;
  if (directory.native && platform::FileNameFromWide(entry.GetCurrentState().name.str(), name)) {
    job = std::make_unique<ChecksumJob>(directory.native, std::move(name), entry.m_pszKey,
                                        entry.GetSize());
    job->base_length = directory.base_length;
    job->SetScanState(entry.GetSize(), entry.GetCurrentState().time.Value());
  } else {
    // No file on disk can carry this path; the conversion of the whole path says why.
    std::wstring path = entry.GetEntryPath();
    std::string unused;
    const DWORD error =
        platform::FileNameFromWide(path, unused) ? ERROR_INVALID_NAME : platform::LastError();
    job = std::make_unique<ChecksumJob>(std::move(path), error != 0 ? error : ERROR_INVALID_NAME,
                                        entry.m_pszKey, entry.GetSize());
  }
  bytes_queued_ += job->size;
  pending_.push_back(std::move(job));
}

void CChecksumWorker::Clear(bool stop_first) {
  if (stop_first) (void)Stop(INFINITE);
  JobQueue pending;
  JobQueue finished;
  {
    CNMutexLock lock(lock_);
    pending.swap(pending_);
    finished.swap(finished_);
    bytes_done_ = 0;
    bytes_queued_ = 0;
  }
  // The jobs are deleted here, outside the lock.
}

std::unique_ptr<ChecksumJob> CChecksumWorker::PopResult() {
  CNMutexLock lock(lock_);
  if (finished_.empty()) return nullptr;
  std::unique_ptr<ChecksumJob> job = std::move(finished_.front());
  finished_.pop_front();
  return job;
}

std::deque<std::unique_ptr<ChecksumJob>> CChecksumWorker::TakeResults() {
  JobQueue results;
  CNMutexLock lock(lock_);
  results.swap(finished_);
  return results;
}

double CChecksumWorker::GetCurrentFile(std::wstring* text) {
  ChecksumJob::SharedDir dir;
  std::string name;
  double fraction = 0.0;
  {
    CNMutexLock lock(lock_);
    if (!current_dir_ && current_unconvertible_.empty()) {
      text->clear();  // no file yet
      return current_fraction_;
    }
    dir = current_dir_;
    name = current_name_;
    *text = current_reading_ ? L"Reading " : L"Opening ";
    text->append(current_unconvertible_);
    fraction = current_fraction_;
  }
  if (dir) text->append(platform::FileNameToWide(*dir + name));
  return fraction;
}

void CChecksumWorker::GetProgress(ULONGLONG* done, ULONGLONG* queued, CNTimeStamp* sample_time,
                                  double* rate) {
  CNMutexLock lock(lock_);
  *done = bytes_done_;
  *queued = bytes_queued_;
  *sample_time = sample_time_;
  *rate = rate_;
}

void CChecksumWorker::GetProgress(ULONGLONG* done, ULONGLONG* queued, double* smoothed_rate) {
  CNMutexLock lock(lock_);
  *done = bytes_done_;
  *queued = bytes_queued_;
  *smoothed_rate = smoothed_rate_;
}

void CChecksumWorker::OnThreadStart() { ActiveWorkerCount.fetch_add(1); }

void CChecksumWorker::OnThreadEnd() { ActiveWorkerCount.fetch_sub(1); }

void CChecksumWorker::BeginOpening(const ChecksumJob& job) {
  CNMutexLock lock(lock_);
  current_fraction_ = -1.0;
  current_reading_ = false;
  // The text is put together only when asked for: a tree of small files would otherwise build a
  // path text twice per file for nobody.
  current_dir_ = job.dir;
  current_name_.assign(job.name);  // reuses the buffer of the last file's name
  if (job.path_error != 0 || !current_unconvertible_.empty()) {
    current_unconvertible_ = job.unconvertible_path;
  }
}

void CChecksumWorker::BeginReading(ChecksumJob& job, ULONGLONG measured) {
  CNMutexLock lock(lock_);
  if (measured != job.size) {
    bytes_queued_ = bytes_queued_ - job.size + measured;  // modular: right for either direction
    job.size = measured;
  }
  current_fraction_ = -1.0;
  current_reading_ = true;
}

void CChecksumWorker::AddProgress(ULONGLONG bytes, const double* fraction) {
  const CNTimeStamp now(platform::SystemTimeAsFileTime());
  CNMutexLock lock(lock_);
  AddProgressLocked(bytes, now);
  if (fraction != nullptr) current_fraction_ = *fraction;
}

void CChecksumWorker::FinishJob(std::unique_ptr<ChecksumJob> job, ULONGLONG unread,
                                bool read_whole) {
  const CNTimeStamp now(platform::SystemTimeAsFileTime());
  CNMutexLock lock(lock_);
  if (read_whole) current_fraction_ = 1.0;
  AddProgressLocked(unread, now);  // bytes done still reaches bytes queued
  finished_.push_back(std::move(job));
}

void CChecksumWorker::AddProgressLocked(ULONGLONG bytes, CNTimeStamp now) {
  bytes_done_ = std::min(bytes_done_ + bytes, bytes_queued_);
  if (now < sample_time_) {  // the clock was set back: start a new sample from here
    sample_time_ = now;
    sample_bytes_ = bytes_done_;
    return;
  }
  const double elapsed = static_cast<double>(now.Value() - sample_time_.Value()) * 1e-7;
  if (elapsed < 1.0) return;
  // bytes done can fall behind the sample after Clear; count that as no progress.
  const ULONGLONG delta = bytes_done_ > sample_bytes_ ? bytes_done_ - sample_bytes_ : 0;
  rate_ = static_cast<double>(delta) / elapsed;
  smoothed_rate_ = smoothed_rate_ != 0.0 ? 0.8 * smoothed_rate_ + 0.2 * rate_ : rate_;
  sample_bytes_ = bytes_done_;
  sample_time_ = now;
}

void CChecksumWorker::ResetRate() {
  const CNTimeStamp now(platform::SystemTimeAsFileTime());
  CNMutexLock lock(lock_);
  rate_ = 0.0;
  smoothed_rate_ = 0.0;
  sample_time_ = now;
  sample_bytes_ = 0;
}

DWORD CChecksumWorker::Run() {
  CCrc crc1;
  CCrc crc2;
  crc1.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  crc2.Init(kCrcSecondPolynomial, kCrcSecondInitial, kCrcSecondFinalXor);
  const auto buffer = std::make_unique<std::byte[]>(kChunkSize);
  ResetRate();

  JobQueue batch;
  {
    CNMutexLock lock(lock_);
    batch.swap(pending_);
  }
  if (!CheckContinue()) return 0;
  DirectoryCache directory;
  while (!batch.empty()) {
    std::unique_ptr<ChecksumJob> job = std::move(batch.front());
    batch.pop_front();
    if (!ChecksumFile(std::move(job), crc1, crc2, buffer.get(), directory)) {
      return 0;  // stopped: the batch goes
    }
    if (!CheckContinue()) return 0;
  }
  return 0;
}

bool CChecksumWorker::ChecksumFile(std::unique_ptr<ChecksumJob> owned_job, CCrc& crc1, CCrc& crc2,
                                   std::byte* buffer, DirectoryCache& directory) {
  ChecksumJob& job = *owned_job;
  crc1.Reset();
  crc2.Reset();
  job.crc1 = kNoCrc;
  job.crc2 = kNoCrc;
  BeginOpening(job);
  DWORD error = ERROR_SUCCESS;
  // What this file still owes to bytes done. A file that cannot be opened or sized owes its whole
  // queued size; counting 0 for it would leave bytes done short of bytes queued for good.
  ULONGLONG remaining = job.size;
  bool read_whole = false;
  platform::DirectoryHandle* dir = nullptr;
  std::unique_ptr<platform::ReadableFile> file;
  if (job.path_error != 0) {
    error = job.path_error;  // no file on disk can carry this name
  } else {
    if (job.dir && !job.name.empty()) dir = DirectoryFor(job, directory, &error);
    if (error != ERROR_SUCCESS) {
      // The directory cannot be reached inside the tree: nothing of it is read.
    } else if (dir != nullptr) {
      file = dir->OpenForRead(job.name, platform::AccessPattern::kSequential);
    } else {
      file = file_system_->OpenForRead(job.NativePath(), platform::AccessPattern::kSequential);
    }
  }
  if (error != ERROR_SUCCESS) {
    // nothing was opened
  } else if (file == nullptr) {
    error = FailureCode();
    // A symbolic link is never followed: its checksums cover the link's own text.
    if (error == ERROR_CANT_RESOLVE_FILENAME && ChecksumLink(job, dir, crc1, crc2)) {
      error = ERROR_SUCCESS;
      remaining = 0;
      read_whole = true;
    }
  } else {
    ULONGLONG size = 0;
    if (!file->GetSize(&size)) {
      error = FailureCode();
    } else {
      BeginReading(job, size);
      remaining = size;
      while (remaining > 0) {
        if (!CheckContinue()) return false;
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<ULONGLONG>(remaining, kChunkSize));
        std::size_t got = 0;
        if (!file->Read(buffer, chunk, &got)) {
          error = FailureCode();
          break;
        }
        if (got == 0 || got > chunk) {  // the file shrank, or the system misbehaved
          error = ERROR_READ_FAULT;
          break;
        }
        CCrc::UpdatePair(crc1, crc2, buffer, got);
        remaining -= got;
        if (remaining == 0) {
          // FinishJob counts the last chunk: one hold of the lock less per file, and most files
          // of a tree are read in one chunk.
          remaining = got;
          break;
        }
        const double fraction = static_cast<double>(size - remaining) / static_cast<double>(size);
        AddProgress(got, &fraction);
      }
      if (error == ERROR_SUCCESS) {
        read_whole = true;
        if (ChangedSinceScan(job, *file)) error = ERROR_SHARING_VIOLATION;
        if (!file->Close() && error == ERROR_SUCCESS) error = FailureCode();
      }
    }
  }

  if (error == ERROR_SUCCESS) {
    job.crc1 = crc1.Value();
    job.crc2 = crc2.Value();
  }
  job.error = error;
  file.reset();
  FinishJob(std::move(owned_job), remaining, read_whole);
  return true;
}

platform::DirectoryHandle* CChecksumWorker::DirectoryFor(const ChecksumJob& job,
                                                         DirectoryCache& cache, DWORD* error) {
  // Files of one directory follow each other in the queue: the directory is reached once for all
  // of them instead of once per file.
  if (!cache.path || (cache.path != job.dir && *cache.path != *job.dir)) {
    cache.handle.reset();
    cache.error = 0;
    cache.path = job.dir;
    const std::string& dir = *job.dir;
    if (job.base_length == 0 || job.base_length > dir.size()) {
      cache.handle = file_system_->OpenDirectory(dir);
    } else {
      const bool same_base = (cache.base_handle || cache.base_error != 0) &&
                             cache.base.size() == job.base_length &&
                             dir.compare(0, job.base_length, cache.base) == 0;
      if (!same_base) {
        cache.base.assign(dir, 0, job.base_length);
        cache.base_handle = file_system_->OpenDirectory(cache.base);
        cache.base_error = cache.base_handle ? 0 : FailureCode();
      }
      if (!cache.base_handle) {
        cache.error = cache.base_error;
      } else if (dir.size() > job.base_length) {
        cache.handle = cache.base_handle->OpenSubdirectory(dir.substr(job.base_length));
        if (!cache.handle) cache.error = FailureCode();
      }
    }
  }
  *error = cache.error;
  if (cache.handle) return cache.handle.get();
  // The base directory itself.
  if (cache.error == 0 && job.base_length != 0 && job.base_length == job.dir->size()) {
    return cache.base_handle.get();
  }
  return nullptr;
}

bool CChecksumWorker::ChecksumLink(ChecksumJob& job, platform::DirectoryHandle* dir, CCrc& crc1,
                                   CCrc& crc2) {
  std::string target;
  const bool read = dir != nullptr ? dir->ReadLink(job.name, &target)
                                   : file_system_->ReadLink(job.NativePath(), &target);
  if (!read) return false;
  BeginReading(job, target.size());
  CCrc::UpdatePair(crc1, crc2, target.data(), target.size());
  AddProgress(target.size());
  return true;
}
