#include "platform/file_system.h"

#include <utility>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace platform {
namespace {

// Opens every file through the file system's own calls, by the joined path.
class JoiningDirectoryHandle final : public DirectoryHandle {
 public:
  JoiningDirectoryHandle(FileSystem& file_system, std::string dir)
      : file_system_(file_system), dir_(std::move(dir)) {}

  std::unique_ptr<ReadableFile> OpenForRead(const std::string& name,
                                            AccessPattern pattern) override {
    return file_system_.OpenForRead(dir_ + name, pattern);
  }
  bool ReadLink(const std::string& name, std::string* target) override {
    return file_system_.ReadLink(dir_ + name, target);
  }
  std::unique_ptr<DirectoryHandle> OpenSubdirectory(const std::string& relative) override {
    std::string dir = dir_ + relative;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return std::make_unique<JoiningDirectoryHandle>(file_system_, std::move(dir));
  }
  std::unique_ptr<DirectoryListing> OpenListing(const std::string& relative) override {
    return file_system_.OpenListing(dir_ + relative);
  }

 private:
  FileSystem& file_system_;
  const std::string dir_;
};

}  // namespace

bool ReadableFile::ReadAt(ULONGLONG /*offset*/, void* /*buffer*/, std::size_t /*length*/,
                          std::size_t* bytes_read) {
  *bytes_read = 0;
  SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

bool ReadableFile::GetWriteState(ULONGLONG* /*size*/, ULONGLONG* /*write_time*/) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

std::unique_ptr<DirectoryHandle> FileSystem::OpenDirectory(const std::string& dir) {
  return std::make_unique<JoiningDirectoryHandle>(*this, dir);
}

}  // namespace platform
