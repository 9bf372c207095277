// File systems for the document tests: a walk and reads that fail or are counted on request, a
// volume that folds letter case, and a file store that fails one step of a save.
#pragma once
#include <atomic>
#include <memory>
#include <new>
#include <string>

#include "platform/error_codes.h"
#include "platform/file_store.h"
#include "platform/file_system.h"
#include "platform/last_error.h"

namespace vemo_test {

// Set the fields while no worker of the document runs (between cycles).
class DocTestFileSystem : public platform::FileSystemWrapper {
 public:
  DocTestFileSystem() : FileSystemWrapper(platform::FileSystem::Default()) {}

  std::unique_ptr<platform::DirectoryListing> OpenListing(const std::string& dir) override {
    // As an allocation on the walk's way fails (the sanitizers' allocators would end the
    // process instead of throwing, so the failure is thrown as the standard allocator throws it).
    if (listing_out_of_memory.load()) throw std::bad_alloc();
    if (const DWORD error = listing_error.load(); error != 0) {
      platform::SetLastError(error);
      return nullptr;
    }
    return FileSystemWrapper::OpenListing(dir);
  }
  bool FoldsLetterCase(const std::string& path) override {
    return fold_case.load() || FileSystemWrapper::FoldsLetterCase(path);
  }
  std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path,
                                                      platform::AccessPattern pattern) override {
    ++opened_files;
    if (!unreadable_suffix.empty() && path.ends_with(unreadable_suffix)) {
      platform::SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    return FileSystemWrapper::OpenForRead(path, pattern);
  }

  std::atomic<bool> fold_case{false};
  std::atomic<DWORD> listing_error{0};  // every listing fails with it when not 0
  std::atomic<bool> listing_out_of_memory{false};
  std::string unreadable_suffix;  // files whose path ends so cannot be opened
  std::atomic<int> opened_files{0};
};

// A file store that fails the chosen step of a save with an error code.
class FailingFileStore : public platform::FileStoreWrapper {
 public:
  enum class Step { kNone, kCreateTemporary, kWrite, kSync, kRename };

  FailingFileStore() : FileStoreWrapper(platform::FileStore::Default()) {}

  std::unique_ptr<platform::WritableFile> CreateTemporary(const std::string& dir,
                                                          const std::string& prefix,
                                                          std::string* path) override {
    if (step == Step::kCreateTemporary) return Fail<std::unique_ptr<platform::WritableFile>>();
    auto file = FileStoreWrapper::CreateTemporary(dir, prefix, path);
    if (!file) return nullptr;
    return std::make_unique<FailingFile>(std::move(file), *this);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    if (step == Step::kRename) return Fail<bool>();
    return FileStoreWrapper::Rename(from, to);
  }

  Step step = Step::kNone;
  DWORD error = ERROR_DISK_FULL;

 private:
  template <class T>
  T Fail() {
    platform::SetLastError(error);
    return T{};
  }

  class FailingFile : public platform::WritableFileWrapper {
   public:
    FailingFile(std::unique_ptr<platform::WritableFile> target, FailingFileStore& store)
        : WritableFileWrapper(std::move(target)), store_(store) {}
    bool Write(const void* bytes, std::size_t length) override {
      // Half the bytes reach the disk before it is full, as they would.
      if (store_.step == Step::kWrite) {
        (void)WritableFileWrapper::Write(bytes, length / 2);
        return store_.Fail<bool>();
      }
      return WritableFileWrapper::Write(bytes, length);
    }
    bool Sync() override {
      if (store_.step == Step::kSync) return store_.Fail<bool>();
      return WritableFileWrapper::Sync();
    }

   private:
    FailingFileStore& store_;
  };
};

}  // namespace vemo_test
