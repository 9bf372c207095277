#include "engine/scan_thread.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "foundation/time_stamp.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "records/entry_key.h"
#include "records/shared_text.h"

namespace {

// Items with all of these are left out (a hidden system directory, such as a recycle bin).
constexpr DWORD kSkipMask =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// The drive type of the volume that holds an absolute path. A base directory that does not exist
// (yet) still lies on the volume of its nearest existing ancestor; the listing then reports it
// missing, as on Windows, where the drive root exists while the directory does not.
UINT DriveTypeOfVolume(platform::FileSystem& file_system, std::string path) {
  for (;;) {
    const UINT type = file_system.GetDriveType(path);
    if (type != DRIVE_NO_ROOT_DIR || path.size() <= 1) return type;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    path.erase(path.find_last_of('/') + 1);
  }
}

// The single record of a walk that failed, naming the directory where it failed (rel below the
// base); a list that cannot take it is published empty.
void AppendErrorRecord(CVemoScanList& list, DWORD error, const std::wstring& base_dir,
                       UINT drive_type, SharedText rel = SharedText()) {
  auto record = std::make_unique<CVemoScanEntry>(error, base_dir, std::move(rel), drive_type);
  if (list.AddTail(record.get()) != list.End()) record.release();
}

// A path a directory's items could not be named by on this system (PATH_MAX with its NUL).
constexpr std::size_t kMaxPathBytes = 4095;

}  // namespace

// The recursive walk of one run, on the scanner thread. Each level keeps only its pending
// subdirectory records, so memory follows the number of records and the depth of the tree.
class CVemoScanThread::Walk {
 public:
  // base: the base directory held open; every directory below it is listed through it, never
  // following a link, so that a directory swapped for a link (to /etc) during the walk fails the
  // walk instead of bringing another tree into the list.
  Walk(CVemoScanThread& owner, const std::wstring& base_dir, std::string native_base,
       platform::DirectoryHandle& base, UINT drive_type, KeyCase key_case, CVemoScanList& out)
      : owner_(owner),
        base_wide_(base_dir),
        base_native_(std::move(native_base)),
        base_(base),
        drive_type_(drive_type),
        key_case_(key_case),
        out_(out) {}

  // The directory where the walk failed, relative to the base.
  [[nodiscard]] const SharedText& FailedDirectory() const { return failed_; }

  // Walks the directory at relative path rel (empty, or ending in '/'); *file_count receives the
  // number of files directly inside it. Returns 0, ERROR_CANCELLED after a stop, or the failure
  // (FailedDirectory tells where).
  DWORD Directory(const std::string& rel_native, const SharedText& rel, DWORD* file_count) {
    failed_ = rel;
    // Every item of the tree must be reachable by its full path (the document and its hosts name
    // items so), whatever the walk itself could reach.
    if (base_native_.size() + rel_native.size() > kMaxPathBytes) {
      return ERROR_FILENAME_EXCED_RANGE;
    }
    std::unique_ptr<platform::DirectoryListing> listing = base_.OpenListing(rel_native);
    if (listing == nullptr) {
      const DWORD error = platform::LastError();
      if (error == ERROR_NO_MORE_FILES) {
        *file_count = 0;
        return 0;
      }
      return error != 0 ? error : ERROR_INVALID_FUNCTION;
    }
    owner_.SetScanDirectory(base_wide_.str() + rel.str());
    if (!owner_.CheckContinue()) return ERROR_CANCELLED;
    // Every key of this directory's items begins with the same bytes: encoded once.
    const std::string key_prefix = BuildEntryKeyPrefix(base_wide_.view(), rel.view(), key_case_);

    struct Pending {
      std::unique_ptr<CVemoScanEntry> record;
      std::string native_name;
    };
    std::vector<Pending> pending;
    DWORD files = 0;
    platform::DirectoryItem item;
    for (bool first = true;; first = false) {
      if (!listing->Next(&item)) {
        const DWORD error = platform::LastError();
        if (error == ERROR_NO_MORE_FILES) break;
        return error != 0 ? error : ERROR_INVALID_FUNCTION;
      }
      if (!first && !owner_.CheckContinue()) return ERROR_CANCELLED;
      if (item.kind == platform::ItemKind::kOther) continue;  // never open FIFOs or devices
      if ((item.attributes & kSkipMask) == kSkipMask) continue;

      FileState state;
      // Plain ASCII names, the usual kind, become names without a detour through wide text.
      const bool ascii = std::all_of(item.name.begin(), item.name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
      state.name =
          ascii ? EntryName::FromAscii(item.name) : EntryName(platform::FileNameToWide(item.name));
      state.size = item.size;
      state.attributes = item.attributes;
      state.time = CNTimeStamp(item.write_time);
      auto record = std::make_unique<CVemoScanEntry>(std::move(state), base_wide_, rel, drive_type_,
                                                     key_case_, key_prefix);
      if (item.kind == platform::ItemKind::kDirectory) {
        pending.push_back({std::move(record), std::move(item.name)});
        item.name.clear();
      } else {
        if (out_.AddTail(record.get()) == out_.End()) return platform::LastError();
        record.release();  // now owned by the list
        ++files;
      }
    }
    // One listing at a time: close it before descending.
    if (!listing->Close()) return platform::LastError();
    listing.reset();
    failed_ = SharedText();

    for (Pending& sub : pending) {
      if (!owner_.CheckContinue()) return ERROR_CANCELLED;
      const std::string sub_native = rel_native + sub.native_name + '/';
      const SharedText sub_rel(rel.str() + sub.record->m_state.name + L'/');
      DWORD sub_files = 0;
      if (const DWORD error = Directory(sub_native, sub_rel, &sub_files); error != 0) return error;
      sub.record->m_state.nChildCount = sub_files;
      if (out_.AddTail(sub.record.get()) == out_.End()) return platform::LastError();
      sub.record.release();
    }
    *file_count = files;
    return 0;
  }

 private:
  CVemoScanThread& owner_;
  const SharedText base_wide_;
  const std::string base_native_;
  platform::DirectoryHandle& base_;
  SharedText failed_;
  const UINT drive_type_;
  const KeyCase key_case_;
  CVemoScanList& out_;
};

CVemoScanThread::CVemoScanThread(platform::FileSystem* file_system) : file_system_(file_system) {
  SetPriority(THREAD_PRIORITY_LOWEST);
}

CVemoScanThread::~CVemoScanThread() { StopAndDiscard(); }

bool CVemoScanThread::Start(const std::wstring& base_dir, KeyCase key_case) {
  if (IsRunning()) {
    platform::SetLastError(ERROR_BUSY);
    return false;
  }
  {
    CNMutexLock lock(lock_);
    base_dir_ = base_dir;
    key_case_ = key_case;
    current_dir_.clear();
  }
  return CNWorkerThread::Start();
}

void CVemoScanThread::StopAndDiscard() {
  (void)Stop(INFINITE);
  std::unique_ptr<CVemoScanList> discarded = TakeResults();
}

std::unique_ptr<CVemoScanList> CVemoScanThread::TakeResults() {
  CNMutexLock lock(lock_);
  return std::move(results_);
}

std::wstring CVemoScanThread::GetScanDirectory() {
  CNMutexLock lock(lock_);
  return current_dir_;
}

void CVemoScanThread::SetScanDirectory(std::wstring dir) {
  CNMutexLock lock(lock_);
  current_dir_ = std::move(dir);
}

void CVemoScanThread::Publish(std::unique_ptr<CVemoScanList> list) {
  CNMutexLock lock(lock_);
  results_ = std::move(list);
}

void CVemoScanThread::OnThreadStart() { ActiveWorkerCount.fetch_add(1); }

void CVemoScanThread::OnThreadEnd() { ActiveWorkerCount.fetch_sub(1); }

DWORD CVemoScanThread::Run() {
  std::wstring base_dir;
  KeyCase key_case;
  {
    CNMutexLock lock(lock_);
    base_dir = base_dir_;
    key_case = key_case_;
  }
  auto list = std::make_unique<CVemoScanList>(true);

  // Any absolute path lies on a ready volume; a relative one names none.
  if (base_dir.empty() || base_dir.front() != L'/') {
    AppendErrorRecord(*list, ERROR_NOT_READY, base_dir, DRIVE_UNKNOWN);
    Publish(std::move(list));
    return 0;
  }
  std::string native_base;
  if (!platform::FileNameFromWide(base_dir, native_base)) {
    // No directory on disk can carry this name.
    AppendErrorRecord(*list, platform::LastError(), base_dir, DRIVE_UNKNOWN);
    Publish(std::move(list));
    return 0;
  }
  if (native_base.back() != '/') native_base += '/';
  const UINT drive_type = DriveTypeOfVolume(*file_system_, native_base);
  if (drive_type == DRIVE_NO_ROOT_DIR) {
    AppendErrorRecord(*list, ERROR_NOT_READY, base_dir, drive_type);
    Publish(std::move(list));
    return 0;
  }

  std::unique_ptr<platform::DirectoryHandle> base = file_system_->OpenDirectory(native_base);
  if (base == nullptr) {
    // As a listing reports it: a directory that is not there is a path not found.
    DWORD error = platform::LastError();
    if (error == ERROR_FILE_NOT_FOUND) error = ERROR_PATH_NOT_FOUND;
    AppendErrorRecord(*list, error != 0 ? error : ERROR_INVALID_FUNCTION, base_dir, drive_type);
    Publish(std::move(list));
    return 0;
  }
  DWORD files = 0;
  Walk walk(*this, base_dir, native_base, *base, drive_type, key_case, *list);
  const DWORD error = walk.Directory({}, {}, &files);
  if (error == ERROR_CANCELLED) return 0;  // the list and its records go; nothing is published
  if (error != 0) {
    list->RemoveAll(true);
    AppendErrorRecord(*list, error, base_dir, drive_type, walk.FailedDirectory());
  }
  Publish(std::move(list));
  return 0;
}
