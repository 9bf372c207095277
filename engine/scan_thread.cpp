#include "engine/scan_thread.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "foundation/time_stamp.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
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

// The list of a walk that failed before it began: its single error record.
std::unique_ptr<CVemoScanList> ErrorList(DWORD error, const std::wstring& base_dir, UINT drive_type,
                                         KeyCase key_case) {
  auto list = std::make_unique<CVemoScanList>(base_dir, drive_type, key_case);
  list->Fail(error, SharedText());
  return list;
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
       platform::DirectoryHandle& base, CVemoScanList& out)
      : owner_(owner),
        base_wide_(base_dir),
        base_native_(std::move(native_base)),
        base_(base),
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
    // The list keeps the texts this directory's items share once.
    std::uint32_t directory = 0;
    if (!out_.AddDirectory(rel, &directory)) return platform::LastError();

    struct Pending {
      FileState state;
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
      if (item.kind == platform::ItemKind::kDirectory) {
        pending.push_back({std::move(state), std::move(item.name)});
        item.name.clear();
      } else {
        if (!out_.Add(directory, state)) return platform::LastError();
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
      const SharedText sub_rel(rel.str() + sub.state.name + L'/');
      DWORD sub_files = 0;
      if (const DWORD error = Directory(sub_native, sub_rel, &sub_files); error != 0) return error;
      sub.state.nChildCount = sub_files;
      if (!out_.Add(directory, sub.state)) return platform::LastError();
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
  // Any absolute path lies on a ready volume; a relative one names none.
  if (base_dir.empty() || base_dir.front() != L'/') {
    Publish(ErrorList(ERROR_NOT_READY, base_dir, DRIVE_UNKNOWN, key_case));
    return 0;
  }
  std::string native_base;
  if (!platform::FileNameFromWide(base_dir, native_base)) {
    // No directory on disk can carry this name.
    Publish(ErrorList(platform::LastError(), base_dir, DRIVE_UNKNOWN, key_case));
    return 0;
  }
  if (native_base.back() != '/') native_base += '/';
  const UINT drive_type = DriveTypeOfVolume(*file_system_, native_base);
  if (drive_type == DRIVE_NO_ROOT_DIR) {
    Publish(ErrorList(ERROR_NOT_READY, base_dir, drive_type, key_case));
    return 0;
  }

  std::unique_ptr<platform::DirectoryHandle> base = file_system_->OpenDirectory(native_base);
  if (base == nullptr) {
    // As a listing reports it: a directory that is not there is a path not found.
    DWORD error = platform::LastError();
    if (error == ERROR_FILE_NOT_FOUND) error = ERROR_PATH_NOT_FOUND;
    Publish(ErrorList(error != 0 ? error : ERROR_INVALID_FUNCTION, base_dir, drive_type, key_case));
    return 0;
  }
  auto list = std::make_unique<CVemoScanList>(base_dir, drive_type, key_case);
  DWORD files = 0;
  Walk walk(*this, base_dir, native_base, *base, *list);
  const DWORD error = walk.Directory({}, {}, &files);
  if (error == ERROR_CANCELLED) return 0;  // the list and its records go; nothing is published
  if (error != 0) list->Fail(error, walk.FailedDirectory());
  Publish(std::move(list));
  return 0;
}
