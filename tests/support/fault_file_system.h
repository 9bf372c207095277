// FaultFileSystem: the one fault-injecting file system of the tests. It stands in front of the
// real file system and the real file store (both interfaces, so one object serves a document
// whole) and lets a test fail chosen calls with a Windows error code: which call, on which paths,
// after how many calls that succeed, how many times; it counts every call by kind, runs a hook
// before each call and can change the items a listing delivers. The tests run as root, where
// permission bits never stop a read, so this is how unreadable files, unlistable directories and
// full disks are made.
//
// Thread safety: calls may come from any thread (the scanner's, the worker's, the document's);
// set the faults, the hook and the item filter while no worker runs. The hook and the filter run
// on the thread that makes the call.
#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/error_codes.h"
#include "platform/file_store.h"
#include "platform/file_system.h"
#include "platform/last_error.h"

namespace vemo_test {

// The calls that can be counted and failed. The path a call is matched by is given beside it.
enum class FsCall {
  // platform::FileSystem, a listing and a file open for reading.
  kOpenListing,    // the directory
  kNextItem,       // the directory of the listing
  kCloseListing,   // the directory of the listing; the listing is closed all the same
  kOpenForRead,    // the file
  kGetSize,        // the file
  kRead,           // the file (Read and ReadAt)
  kGetWriteState,  // the file
  kCloseFile,      // the file; it is closed all the same
  kReadLink,       // the link
  // platform::FileStore and a file it creates.
  kReadWholeFile,    // the file
  kGetAccess,        // the file
  kCreateTemporary,  // the directory followed by the prefix
  kWrite,            // the temporary file; half the bytes are written before the failure
  kSetAccess,        // the temporary file
  kSync,             // the temporary file
  kCloseWritten,     // the temporary file; it is closed all the same
  kRename,           // the destination (Rename and RenameNoReplace)
  kRemove,           // the file
  kSyncDirectory,    // the directory
  kMakeWritable,     // the file
};
inline constexpr std::size_t kFsCallKinds = static_cast<std::size_t>(FsCall::kMakeWritable) + 1;

// What a matching call does instead of its work.
enum class FaultEffect {
  kFail,          // fails with the fault's error code
  kOverlongRead,  // kRead only: reads, then claims one byte more than was asked for
  kOutOfMemory,   // throws std::bad_alloc, as an allocation on the way would
};

struct Fault {
  FsCall call;
  DWORD error = ERROR_ACCESS_DENIED;
  std::string path_suffix{};  // matches paths ending so; empty matches every path
  int after = 0;              // matching calls that succeed before the first failure
  int times = -1;             // matching calls that fail then; -1 for every later one
  FaultEffect effect = FaultEffect::kFail;
};

class FaultFileSystem final : public platform::FileSystemWrapper,
                              public platform::FileStoreWrapper {
 public:
  // Runs before every call with its kind, path and number (counted per kind from 1, over all
  // paths); a non-zero result fails the call with that code, before any fault is looked at.
  using Hook = std::function<DWORD(FsCall call, const std::string& path, int number)>;
  // Changes each item a listing delivers.
  using ItemFilter = std::function<void(platform::DirectoryItem& item)>;

  FaultFileSystem(platform::FileSystem* file_system = platform::FileSystem::Default(),
                  platform::FileStore* store = platform::FileStore::Default())
      : FileSystemWrapper(file_system), FileStoreWrapper(store) {}

  // Faults are looked at in the order added; the first one that matches the call and still has
  // failures left decides it. Every fault counts the calls it matches, whether it decides them or
  // not.
  void Fail(Fault fault) {
    std::lock_guard lock(mutex_);
    faults_.push_back({std::move(fault), 0});
  }
  void ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
  }
  void SetHook(Hook hook) { hook_ = std::move(hook); }
  void SetItemFilter(ItemFilter filter) { item_filter_ = std::move(filter); }

  // Calls of the kind so far, failed ones included.
  [[nodiscard]] int Count(FsCall call) const { return counts_[Index(call)].load(); }
  void ResetCounts() {
    for (auto& count : counts_) count.store(0);
  }

  // The volume folds letter case (as vfat does) whatever the real one does.
  std::atomic<bool> fold_case{false};

  // platform::FileSystem
  std::unique_ptr<platform::DirectoryListing> OpenListing(const std::string& dir) override {
    if (!Allow(FsCall::kOpenListing, dir)) return nullptr;
    auto listing = FileSystemWrapper::OpenListing(dir);
    if (listing == nullptr) return nullptr;
    return std::make_unique<Listing>(std::move(listing), *this, dir);
  }
  bool FoldsLetterCase(const std::string& path) override {
    return fold_case.load() || FileSystemWrapper::FoldsLetterCase(path);
  }
  std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path,
                                                      platform::AccessPattern pattern) override {
    if (!Allow(FsCall::kOpenForRead, path)) return nullptr;
    auto file = FileSystemWrapper::OpenForRead(path, pattern);
    if (file == nullptr) return nullptr;
    return std::make_unique<ReadFile>(std::move(file), *this, path);
  }
  bool ReadLink(const std::string& path, std::string* target) override {
    return Allow(FsCall::kReadLink, path) && FileSystemWrapper::ReadLink(path, target);
  }

  // platform::FileStore
  bool ReadWholeFile(const std::string& path, std::string* bytes) override {
    return Allow(FsCall::kReadWholeFile, path) && FileStoreWrapper::ReadWholeFile(path, bytes);
  }
  bool GetAccess(const std::string& path, platform::FileAccess* access) override {
    return Allow(FsCall::kGetAccess, path) && FileStoreWrapper::GetAccess(path, access);
  }
  std::unique_ptr<platform::WritableFile> CreateTemporary(const std::string& dir,
                                                          const std::string& prefix,
                                                          std::string* path) override {
    if (!Allow(FsCall::kCreateTemporary, dir + prefix)) return nullptr;
    auto file = FileStoreWrapper::CreateTemporary(dir, prefix, path);
    if (file == nullptr) return nullptr;
    return std::make_unique<WrittenFile>(std::move(file), *this, *path);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return Allow(FsCall::kRename, to) && FileStoreWrapper::Rename(from, to);
  }
  bool RenameNoReplace(const std::string& from, const std::string& to) override {
    return Allow(FsCall::kRename, to) && FileStoreWrapper::RenameNoReplace(from, to);
  }
  bool Remove(const std::string& path) override {
    return Allow(FsCall::kRemove, path) && FileStoreWrapper::Remove(path);
  }
  bool SyncDirectory(const std::string& dir) override {
    return Allow(FsCall::kSyncDirectory, dir) && FileStoreWrapper::SyncDirectory(dir);
  }
  bool MakeWritable(const std::string& path) override {
    return Allow(FsCall::kMakeWritable, path) && FileStoreWrapper::MakeWritable(path);
  }

 private:
  struct Armed {
    Fault fault;
    int matched;
  };

  static constexpr std::size_t Index(FsCall call) { return static_cast<std::size_t>(call); }
  static Fault Failing(FsCall call, DWORD error) {
    Fault fault{call};
    fault.error = error;
    return fault;
  }

  // Counts the call and runs the hook; returns the fault that decides it, or none (effect kFail
  // with error 0) when the call goes ahead. Throws for kOutOfMemory.
  Fault Decide(FsCall call, const std::string& path) {
    const int number = ++counts_[Index(call)];
    if (hook_) {
      if (const DWORD error = hook_(call, path, number); error != 0) return Failing(call, error);
    }
    Fault decision = Failing(call, 0);
    {
      std::lock_guard lock(mutex_);
      bool decided = false;
      for (Armed& armed : faults_) {
        const Fault& f = armed.fault;
        if (f.call != call || !path.ends_with(f.path_suffix)) continue;
        const int matched = armed.matched++;
        if (!decided && matched >= f.after && (f.times < 0 || matched < f.after + f.times)) {
          decision = f;
          decided = true;
        }
      }
    }
    if (decision.effect == FaultEffect::kOutOfMemory) throw std::bad_alloc();
    return decision;
  }

  // Decides a call whose failure is simply "fail with the code": false with the last error set.
  bool Allow(FsCall call, const std::string& path) {
    const Fault fault = Decide(call, path);
    if (fault.error == 0 || fault.effect != FaultEffect::kFail) return true;
    platform::SetLastError(fault.error);
    return false;
  }

  static bool Failed(DWORD error) {
    platform::SetLastError(error);
    return false;
  }

  class Listing final : public platform::DirectoryListingWrapper {
   public:
    Listing(std::unique_ptr<platform::DirectoryListing> target, FaultFileSystem& owner,
            std::string dir)
        : DirectoryListingWrapper(std::move(target)), owner_(owner), dir_(std::move(dir)) {}
    bool Next(platform::DirectoryItem* item) override {
      if (!owner_.Allow(FsCall::kNextItem, dir_)) return false;
      if (!DirectoryListingWrapper::Next(item)) return false;
      if (owner_.item_filter_) owner_.item_filter_(*item);
      return true;
    }
    bool Close() override {
      const Fault fault = owner_.Decide(FsCall::kCloseListing, dir_);
      const bool closed = DirectoryListingWrapper::Close();
      return fault.error != 0 ? Failed(fault.error) : closed;
    }

   private:
    FaultFileSystem& owner_;
    std::string dir_;
  };

  class ReadFile final : public platform::ReadableFileWrapper {
   public:
    ReadFile(std::unique_ptr<platform::ReadableFile> target, FaultFileSystem& owner,
             std::string path)
        : ReadableFileWrapper(std::move(target)), owner_(owner), path_(std::move(path)) {}
    bool GetSize(ULONGLONG* size) override {
      return owner_.Allow(FsCall::kGetSize, path_) && ReadableFileWrapper::GetSize(size);
    }
    bool Read(void* buffer, std::size_t length, std::size_t* bytes_read) override {
      return FaultyRead(length, bytes_read,
                        [&] { return ReadableFileWrapper::Read(buffer, length, bytes_read); });
    }
    // Counted and failed as a read.
    bool ReadAt(ULONGLONG offset, void* buffer, std::size_t length,
                std::size_t* bytes_read) override {
      return FaultyRead(length, bytes_read, [&] {
        return ReadableFileWrapper::ReadAt(offset, buffer, length, bytes_read);
      });
    }
    bool GetWriteState(ULONGLONG* size, ULONGLONG* write_time) override {
      return owner_.Allow(FsCall::kGetWriteState, path_) &&
             ReadableFileWrapper::GetWriteState(size, write_time);
    }
    bool Close() override {
      const Fault fault = owner_.Decide(FsCall::kCloseFile, path_);
      const bool closed = ReadableFileWrapper::Close();
      return fault.error != 0 ? Failed(fault.error) : closed;
    }

   private:
    // A read as the fault decides: the real one (also for an overlong read, which then claims one
    // byte more than asked), or none with the fault's error.
    template <typename RealRead>
    bool FaultyRead(std::size_t length, std::size_t* bytes_read, RealRead real_read) {
      const Fault fault = owner_.Decide(FsCall::kRead, path_);
      if (fault.effect == FaultEffect::kOverlongRead) {
        const bool ok = real_read();
        *bytes_read = length + 1;
        return ok;
      }
      if (fault.error != 0) {
        *bytes_read = 0;
        return Failed(fault.error);
      }
      return real_read();
    }

    FaultFileSystem& owner_;
    std::string path_;
  };

  class WrittenFile final : public platform::WritableFileWrapper {
   public:
    WrittenFile(std::unique_ptr<platform::WritableFile> target, FaultFileSystem& owner,
                std::string path)
        : WritableFileWrapper(std::move(target)), owner_(owner), path_(std::move(path)) {}
    bool Write(const void* bytes, std::size_t length) override {
      const Fault fault = owner_.Decide(FsCall::kWrite, path_);
      if (fault.error == 0) return WritableFileWrapper::Write(bytes, length);
      // Half the bytes reach the disk before it is full, as they would.
      (void)WritableFileWrapper::Write(bytes, length / 2);
      return Failed(fault.error);
    }
    bool SetAccess(const platform::FileAccess& access) override {
      return owner_.Allow(FsCall::kSetAccess, path_) && WritableFileWrapper::SetAccess(access);
    }
    bool Sync() override {
      return owner_.Allow(FsCall::kSync, path_) && WritableFileWrapper::Sync();
    }
    bool Close() override {
      const Fault fault = owner_.Decide(FsCall::kCloseWritten, path_);
      const bool closed = WritableFileWrapper::Close();
      return fault.error != 0 ? Failed(fault.error) : closed;
    }

   private:
    FaultFileSystem& owner_;
    std::string path_;
  };

  std::array<std::atomic<int>, kFsCallKinds> counts_{};
  Hook hook_;
  ItemFilter item_filter_;
  std::mutex mutex_;
  std::vector<Armed> faults_;
};

}  // namespace vemo_test
