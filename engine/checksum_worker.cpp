#include "engine/checksum_worker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <utility>

#include "engine/crc.h"
#include "engine/crc_combine.h"
#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "foundation/time_stamp.h"
#include "platform/clock.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "platform/thread.h"
#include "records/file_state.h"

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

// The jobs of one run of the thread body, shared by its readers.
struct CChecksumWorker::Batch {
  ChecksumJobBatch jobs;             // job i is made for the reader that takes i
  std::atomic<bool> stopped{false};  // a reader saw a stop: the others end too
  std::atomic<DWORD> failure{0};     // a reader's end by an exception
  // Finished jobs not yet published, and the first one that is not: guarded by the worker's lock.
  std::vector<std::unique_ptr<ChecksumJob>> finished;
  std::size_t published = 0;
  std::size_t readers = 1;
  // The files of several chunks that readers share, the next job to take and the readers inside
  // a job (who may still share one): guarded by share_mutex, whose condition tells of every
  // change.
  std::mutex share_mutex;
  std::condition_variable share_changed;
  std::vector<SharedFile*> shared;
  std::size_t next = 0;  // the next job to take
  std::size_t busy = 0;
};

// A file of several chunks whose chunks any reader may read (ReadAt) and checksum from register 0;
// the reader that opened it joins the pieces once all are in.
struct CChecksumWorker::SharedFile {
  struct Piece {
    DWORD reg1 = 0;
    DWORD reg2 = 0;
    std::size_t length = 0;
    DWORD error = 0;
    bool done = false;
  };
  SharedFile(platform::ReadableFile& open_file, std::size_t job_index, ULONGLONG file_size,
             std::size_t readers)
      : file(open_file),
        index(job_index),
        size(file_size),
        piece_size(PieceSize(file_size, readers)),
        pieces(static_cast<std::size_t>((file_size + piece_size - 1) / piece_size)) {}

  // Up to kMaxPieceChunks chunks a piece, while every reader still gets several pieces: a reader
  // that reads a piece's chunks in a row is a sequential stream to the kernel's read-ahead, which
  // made cold reads of a large file steadier (interleaved chunks of four readers took up to five
  // times as long as one stream now and then).
  static ULONGLONG PieceSize(ULONGLONG file_size, std::size_t readers) {
    const ULONGLONG chunks = file_size / kChunkSize / (4 * readers);
    return kChunkSize * std::clamp<ULONGLONG>(chunks, 1, kMaxPieceChunks);
  }

  platform::ReadableFile& file;
  const std::size_t index;  // the job's place in the batch
  const ULONGLONG size;
  const ULONGLONG piece_size;  // whole chunks
  // Piece i is written by the reader that took chunk i, and read by the opener once no reader
  // has the file any more.
  std::vector<Piece> pieces;
  std::atomic<std::size_t> next{0};   // the next piece to take
  std::atomic<bool> failed{false};    // a piece failed: no more are taken
  std::atomic<ULONGLONG> counted{0};  // bytes counted as done
  std::size_t helpers = 0;            // readers besides the opener; guarded by share_mutex
};

// What each reader thread has for itself.
struct CChecksumWorker::Reader {
  // The buffer is taken here, so that no reader runs out of memory while it shares a file.
  Reader() : buffer(std::make_unique<std::byte[]>(kChunkSize)) {
    crc1.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
    crc2.Init(kCrcSecondPolynomial, kCrcSecondInitial, kCrcSecondFinalXor);
  }
  std::byte* Buffer() { return buffer.get(); }
  CCrc crc1;
  CCrc crc2;
  const std::unique_ptr<std::byte[]> buffer;
  DirectoryCache directory;
  std::vector<std::unique_ptr<ChecksumJob>> run;  // the jobs of the run being read
};

CChecksumWorker::CChecksumWorker(platform::FileSystem* file_system) : file_system_(file_system) {
  SetPriority(THREAD_PRIORITY_LOWEST);
}

CChecksumWorker::~CChecksumWorker() { Clear(true); }

bool CChecksumWorker::QueueJobs(ChecksumJobBatch batch) {
  Clear(false);
  {
    CNMutexLock lock(lock_);
    bytes_queued_ = batch.Bytes();
    pending_ = std::move(batch);
  }
  return Start();
}

void CChecksumWorker::Clear(bool stop_first) {
  if (stop_first) (void)Stop(INFINITE);
  ChecksumJobBatch pending;
  JobQueue finished;
  {
    CNMutexLock lock(lock_);
    std::swap(pending, pending_);
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

void CChecksumWorker::BeginOpening(std::size_t index, const ChecksumJob& job) {
  CNMutexLock lock(lock_);
  BeginOpeningLocked(index, job);
}

void CChecksumWorker::BeginOpeningLocked(std::size_t index, const ChecksumJob& job) {
  if (index < current_index_) return;  // a later job is already shown
  current_index_ = index;
  current_fraction_ = -1.0;
  current_reading_ = false;
  // The text is put together only when asked for: a tree of small files would otherwise build a
  // path text twice per file for nobody.
  current_dir_ = job.dir;
  current_name_.assign(job.name);  // reuses the buffer of the last file's name
  if (job.path_error != 0 || !current_unconvertible_.empty()) {
    current_unconvertible_ = job.unconvertible_path ? *job.unconvertible_path : std::wstring();
  }
}

void CChecksumWorker::BeginReading(std::size_t index, ChecksumJob& job, ULONGLONG measured) {
  CNMutexLock lock(lock_);
  if (measured != job.size) {
    bytes_queued_ = bytes_queued_ - job.size + measured;  // modular: right for either direction
    job.size = measured;
  }
  if (index != current_index_) return;
  current_fraction_ = -1.0;
  current_reading_ = true;
}

void CChecksumWorker::AddProgress(std::size_t index, ULONGLONG bytes, const double* fraction) {
  const CNTimeStamp now(platform::SystemTimeAsFileTime());
  CNMutexLock lock(lock_);
  AddProgressLocked(bytes, now);
  if (fraction != nullptr && index == current_index_) current_fraction_ = *fraction;
}

void CChecksumWorker::FinishJob(Batch& batch, std::size_t index, std::unique_ptr<ChecksumJob> job,
                                ULONGLONG unread, bool read_whole, const ChecksumJob* next) {
  const CNTimeStamp now(platform::SystemTimeAsFileTime());
  CNMutexLock lock(lock_);
  if (read_whole && index == current_index_) current_fraction_ = 1.0;
  AddProgressLocked(unread, now);  // bytes done still reaches bytes queued
  batch.finished[index] = std::move(job);
  while (batch.published < batch.finished.size() && batch.finished[batch.published]) {
    finished_.push_back(std::move(batch.finished[batch.published++]));
  }
  if (next != nullptr) BeginOpeningLocked(index + 1, *next);
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
  ResetRate();
  Batch batch;
  {
    CNMutexLock lock(lock_);
    std::swap(batch.jobs, pending_);
    batch.finished.resize(batch.jobs.size());
    current_index_ = 0;
  }
  if (!CheckContinue()) return 0;

  // As many readers as there are chunks to read, up to the limit: one large file is shared too.
  std::size_t chunks = 0;
  for (std::size_t i = 0; i < batch.jobs.size(); ++i) {
    const ULONGLONG size = batch.jobs.SizeAt(i);
    chunks +=
        size > kChunkSize
            ? static_cast<std::size_t>(std::min<ULONGLONG>(size / kChunkSize + 1, kMaxReaders))
            : 1;
    if (chunks >= kMaxReaders) break;
  }
  const std::size_t readers = std::min<std::size_t>(kMaxReaders, chunks);
  std::vector<std::unique_ptr<platform::Thread>> threads;
  for (std::size_t i = 1; i < readers; ++i) {
    auto thread = platform::Thread::CreateSuspended(
        [this, &batch] {
          // An exception may not leave a thread: it ends the batch, as it would the worker's own.
          try {
            Reader reader;
            ReadJobs(batch, reader);
          } catch (const std::bad_alloc&) {
            batch.failure.store(ERROR_NOT_ENOUGH_MEMORY);
            batch.stopped.store(true);
          } catch (const std::exception&) {
            batch.failure.store(ERROR_INVALID_FUNCTION);
            batch.stopped.store(true);
          }
        },
        THREAD_PRIORITY_LOWEST, 0);
    if (!thread) break;  // fewer readers do the same work
    threads.push_back(std::move(thread));
  }
  batch.readers = 1 + threads.size();
  for (const auto& thread : threads) thread->Resume();
  try {
    Reader reader;
    ReadJobs(batch, reader);
  } catch (...) {
    batch.stopped.store(true);
    for (const auto& thread : threads) (void)thread->Wait(INFINITE);
    throw;
  }
  for (const auto& thread : threads) (void)thread->Wait(INFINITE);
  return batch.failure.load();
}

void CChecksumWorker::ReadJobs(Batch& batch, Reader& reader) {
  while (!batch.stopped.load(std::memory_order_relaxed)) {
    // The chunks of a file begun come first: it holds back the results of every later job.
    if (!HelpWithSharedFiles(batch, reader)) break;
    std::size_t first = 0;
    std::size_t end = 0;
    {
      // Taken and counted busy at once: a reader that finds no job left must see every reader
      // that may still share a file.
      std::lock_guard<std::mutex> hold(batch.share_mutex);
      first = batch.next;
      end = first + TakeRun(batch, first);
      batch.next = end;
      if (end != first) ++batch.busy;
    }
    if (first == end) {
      if (WaitForSharedFile(batch)) continue;
      return;
    }
    // The run's jobs are made now: the batch keeps its files compactly until they are taken.
    reader.run.clear();
    for (std::size_t index = first; index < end; ++index) {
      reader.run.push_back(batch.jobs.TakeJob(index));
    }
    BeginOpening(first, *reader.run.front());
    bool go_on = true;
    for (std::size_t index = first; go_on && index < end; ++index) {
      // The next file of the run is shown as being opened in the same hold of the lock as this
      // one is finished.
      const ChecksumJob* next = index + 1 < end ? reader.run[index + 1 - first].get() : nullptr;
      go_on = ChecksumFile(batch, index, std::move(reader.run[index - first]), reader, next) &&
              (next == nullptr || CheckContinue());
    }
    reader.run.clear();  // the jobs of a run that stopped go
    {
      std::lock_guard<std::mutex> hold(batch.share_mutex);
      --batch.busy;
    }
    batch.share_changed.notify_all();
    if (!go_on || !CheckContinue()) break;
  }
  batch.stopped.store(true);  // stopped: the batch goes
  batch.share_changed.notify_all();
}

std::size_t CChecksumWorker::TakeRun(const Batch& batch, std::size_t first) {
  const std::size_t left = batch.jobs.size() - first;
  if (left == 0) return 0;
  // Small runs near the end, so that the last files still spread over every reader.
  const std::size_t most = std::min(kMaxRun, 1 + left / (4 * batch.readers));
  std::size_t run = 1;
  while (run < most && batch.jobs.SizeAt(first + run - 1) <= kRunFileSize &&
         batch.jobs.SizeAt(first + run) <= kRunFileSize) {
    ++run;
  }
  return run;
}

bool CChecksumWorker::HelpWithSharedFiles(Batch& batch, Reader& reader) {
  for (;;) {
    SharedFile* file = nullptr;
    {
      std::lock_guard<std::mutex> hold(batch.share_mutex);
      file = FileWithChunksLeft(batch);
      if (file != nullptr) ++file->helpers;
    }
    if (file == nullptr) return true;
    // Let go of the file however ReadPieces ends: its opener waits for that.
    struct LetGo {
      Batch& batch;
      SharedFile& file;
      ~LetGo() {
        {
          std::lock_guard<std::mutex> hold(batch.share_mutex);
          --file.helpers;
        }
        batch.share_changed.notify_all();
      }
    };
    const LetGo let_go{batch, *file};
    if (!ReadPieces(*file, reader)) return false;
  }
}

CChecksumWorker::SharedFile* CChecksumWorker::FileWithChunksLeft(Batch& batch) {
  for (SharedFile* file : batch.shared) {
    if (file->next.load() < file->pieces.size() && !file->failed.load()) return file;
  }
  return nullptr;
}

bool CChecksumWorker::WaitForSharedFile(Batch& batch) {
  std::unique_lock<std::mutex> hold(batch.share_mutex);
  for (;;) {
    if (batch.stopped.load() || !CanContinue()) return false;
    if (FileWithChunksLeft(batch) != nullptr) return true;
    if (batch.busy == 0) return false;  // no reader left that could share a file
    // A stop of the worker is not told through this condition: look again now and then.
    batch.share_changed.wait_for(hold, std::chrono::milliseconds(50));
  }
}

bool CChecksumWorker::ChecksumFile(Batch& batch, std::size_t index,
                                   std::unique_ptr<ChecksumJob> owned_job, Reader& reader,
                                   const ChecksumJob* next) {
  ChecksumJob& job = *owned_job;
  reader.crc1.Reset();
  reader.crc2.Reset();
  job.crc1 = kNoCrc;
  job.crc2 = kNoCrc;
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
    if (job.dir && !job.name.empty()) dir = DirectoryFor(job, reader.directory, &error);
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
    if (error == ERROR_CANT_RESOLVE_FILENAME &&
        ChecksumLink(index, job, dir, reader.crc1, reader.crc2)) {
      error = ERROR_SUCCESS;
      remaining = 0;
      read_whole = true;
    }
  } else {
    ULONGLONG size = 0;
    if (!file->GetSize(&size)) {
      error = FailureCode();
    } else {
      BeginReading(index, job, size);
      remaining = size;
      const bool go_on = size > kChunkSize && batch.readers > 1 && file->SupportsReadAt()
                             ? ReadShared(batch, index, *file, size, reader, &remaining, &error)
                             : ReadContents(index, *file, size, reader, &remaining, &error);
      if (!go_on) return false;
      if (error == ERROR_SUCCESS) {
        read_whole = true;
        if (ChangedSinceScan(job, *file)) error = ERROR_SHARING_VIOLATION;
        if (!file->Close() && error == ERROR_SUCCESS) error = FailureCode();
      }
    }
  }

  if (error == ERROR_SUCCESS) {
    job.crc1 = reader.crc1.Value();
    job.crc2 = reader.crc2.Value();
  }
  job.error = error;
  file.reset();
  FinishJob(batch, index, std::move(owned_job), remaining, read_whole, next);
  return true;
}

bool CChecksumWorker::ReadContents(std::size_t index, platform::ReadableFile& file, ULONGLONG size,
                                   Reader& reader, ULONGLONG* remaining, DWORD* error) {
  bool go_on = true;
  while (*remaining > 0) {
    if (!CheckContinue()) {
      go_on = false;
      break;
    }
    std::byte* const buffer = reader.Buffer();
    const std::size_t chunk = static_cast<std::size_t>(std::min<ULONGLONG>(*remaining, kChunkSize));
    std::size_t got = 0;
    if (!file.Read(buffer, chunk, &got)) {
      *error = FailureCode();
      break;
    }
    if (got == 0 || got > chunk) {  // the file shrank, or the system misbehaved
      *error = ERROR_READ_FAULT;
      break;
    }
    CCrc::UpdatePair(reader.crc1, reader.crc2, buffer, got);
    *remaining -= got;
    if (*remaining == 0) {
      // FinishJob counts the last chunk: one hold of the lock less per file, and most files of a
      // tree are read in one chunk.
      *remaining = got;
      break;
    }
    const double fraction = static_cast<double>(size - *remaining) / static_cast<double>(size);
    AddProgress(index, got, &fraction);
  }
  return go_on;
}

bool CChecksumWorker::ReadShared(Batch& batch, std::size_t index, platform::ReadableFile& file,
                                 ULONGLONG size, Reader& reader, ULONGLONG* remaining,
                                 DWORD* error) {
  SharedFile shared(file, index, size, batch.readers);
  {
    std::lock_guard<std::mutex> hold(batch.share_mutex);
    batch.shared.push_back(&shared);
  }
  batch.share_changed.notify_all();
  // Every chunk is taken, or none will be: no new helper may come, and those at work must be done
  // before the file and its pieces go, also when ReadPieces ends by an exception.
  struct Unshare {
    Batch& batch;
    SharedFile& shared;
    bool done = false;
    void operator()() {
      if (done) return;
      done = true;
      shared.failed.store(true);  // after an exception: no chunk is begun any more
      std::unique_lock<std::mutex> hold(batch.share_mutex);
      batch.shared.erase(std::find(batch.shared.begin(), batch.shared.end(), &shared));
      batch.share_changed.wait(hold, [this] { return shared.helpers == 0; });
    }
    ~Unshare() { (*this)(); }
  };
  Unshare unshare{batch, shared};
  const bool go_on = ReadPieces(shared, reader);
  unshare();
  *remaining = size - shared.counted.load();
  if (!go_on) return false;
  DWORD reg1 = reader.crc1.GetInitial();
  DWORD reg2 = reader.crc2.GetInitial();
  for (const SharedFile::Piece& piece : shared.pieces) {
    // The first failure in file order is the file's, as a read from the start would meet it.
    if (piece.error != 0) {
      *error = piece.error;
      return true;
    }
    if (!piece.done) return false;  // a helper saw the stop before it read this chunk
    reg1 = CrcJoin(reader.crc1.GetPolynomial(), reg1, piece.reg1, piece.length);
    reg2 = CrcJoin(reader.crc2.GetPolynomial(), reg2, piece.reg2, piece.length);
  }
  reader.crc1.SetRegister(reg1);
  reader.crc2.SetRegister(reg2);
  return true;
}

bool CChecksumWorker::ReadPieces(SharedFile& shared, Reader& reader) {
  std::byte* const buffer = reader.Buffer();
  while (!shared.failed.load()) {
    if (!CheckContinue()) return false;
    const std::size_t taken = shared.next.fetch_add(1);
    if (taken >= shared.pieces.size()) break;
    const ULONGLONG offset = static_cast<ULONGLONG>(taken) * shared.piece_size;
    const std::size_t length =
        static_cast<std::size_t>(std::min<ULONGLONG>(shared.size - offset, shared.piece_size));
    SharedFile::Piece& piece = shared.pieces[taken];
    reader.crc1.SetRegister(0);
    reader.crc2.SetRegister(0);
    // Chunk by chunk, each checksummed while it is in this core's cache; a freeze or stop is
    // honoured before each.
    for (std::size_t have = 0; have < length;) {
      if (have != 0 && !CheckContinue()) return false;
      const std::size_t want = std::min(length - have, kChunkSize);
      std::size_t got = 0;
      if (!shared.file.ReadAt(offset + have, buffer, want, &got)) {
        piece.error = FailureCode();
        break;
      }
      if (got == 0 || got > want) {  // the file shrank, or the system misbehaved
        piece.error = ERROR_READ_FAULT;
        break;
      }
      CCrc::UpdatePair(reader.crc1, reader.crc2, buffer, got);
      have += got;
      const ULONGLONG counted = shared.counted.fetch_add(got) + got;
      const double fraction = static_cast<double>(counted) / static_cast<double>(shared.size);
      AddProgress(shared.index, got, &fraction);
    }
    if (piece.error != 0) {
      shared.failed.store(true);
      break;
    }
    piece.reg1 = reader.crc1.GetRegister();
    piece.reg2 = reader.crc2.GetRegister();
    piece.length = length;
    piece.done = true;
  }
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

bool CChecksumWorker::ChecksumLink(std::size_t index, ChecksumJob& job,
                                   platform::DirectoryHandle* dir, CCrc& crc1, CCrc& crc2) {
  std::string target;
  const bool read = dir != nullptr ? dir->ReadLink(job.name, &target)
                                   : file_system_->ReadLink(job.NativePath(), &target);
  if (!read) return false;
  BeginReading(index, job, target.size());
  CCrc::UpdatePair(crc1, crc2, target.data(), target.size());
  AddProgress(index, target.size());
  return true;
}
