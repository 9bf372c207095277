// FileStore on POSIX calls, and the safe replacement built on any FileStore. errno becomes a
// Windows code only through ErrorFromErrno.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>

#include "platform/error_codes.h"
#include "platform/file_store.h"
#include "platform/last_error.h"

namespace platform {
namespace {

class PosixWritableFile final : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Write(const void* bytes, std::size_t length) override {
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
      const ssize_t written = ::write(fd_, next, length);
      if (written < 0) {
        if (errno == EINTR) continue;
        SetLastErrorFromErrno(errno);
        return false;
      }
      next += written;
      length -= static_cast<std::size_t>(written);
    }
    return true;
  }

  bool SetAccess(const FileAccess& access) override {
    // Only root may give a file away; anyone else keeps ownership, as an editor saving would.
    if (::fchown(fd_, access.owner, access.group) != 0 && errno != EPERM) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    if (::fchmod(fd_, access.mode & 07777) != 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }

  bool Sync() override {
    if (::fsync(fd_) != 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }

  bool Close() override {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }

 private:
  int fd_;
};

// "<pid>-<n>-<6 hex digits>.tmp", the end of a temporary file's name; *pid receives the pid.
bool ParseTemporarySuffix(std::string_view suffix, long* pid) {
  const auto digits = [&suffix](std::size_t at, bool hex) {
    std::size_t end = at;
    while (end < suffix.size() &&
           (std::isdigit(static_cast<unsigned char>(suffix[end])) ||
            (hex && std::isxdigit(static_cast<unsigned char>(suffix[end]))))) {
      ++end;
    }
    return end;
  };
  const std::size_t pid_end = digits(0, false);
  if (pid_end == 0 || pid_end > 10 || pid_end >= suffix.size() || suffix[pid_end] != '-') {
    return false;
  }
  const std::size_t n_end = digits(pid_end + 1, false);
  if (n_end == pid_end + 1 || n_end >= suffix.size() || suffix[n_end] != '-') return false;
  const std::size_t hex_end = digits(n_end + 1, true);
  if (hex_end != n_end + 7 || suffix.substr(hex_end) != ".tmp") return false;
  *pid = std::strtol(std::string(suffix.substr(0, pid_end)).c_str(), nullptr, 10);
  return true;
}

// The physical memory: no file larger than that can be held in it.
unsigned long long MemoryLimit() {
  static const unsigned long long limit = [] {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long page_size = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && page_size > 0
               ? static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(page_size)
               : 1ULL << 32;
  }();
  return limit;
}

// FileStore::ReadWholeFileBlock on POSIX calls: the bytes go from the kernel straight into the
// block, sized once from fstat (one byte more, so that the read that finds the end needs no room
// of its own), grown only for a file that grows while it is read.
bool ReadRegularFileBlock(const std::string& path, void** block, std::size_t* size) {
  *block = nullptr;
  *size = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  char* data = nullptr;
  std::size_t used = 0;
  if (!ok) {
    SetLastErrorFromErrno(errno);
  } else if (!S_ISREG(st.st_mode)) {
    // A directory, FIFO or device is no document: never block on it.
    SetLastError(ERROR_ACCESS_DENIED);
    ok = false;
  } else if (static_cast<unsigned long long>(st.st_size) > MemoryLimit()) {
    // More than the machine holds (a sparse file claims any size): asking for it would only
    // end in an allocation failure, or in the kernel's out-of-memory killer.
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ok = false;
  } else {
    std::size_t capacity = static_cast<std::size_t>(st.st_size) + 1;
    data = static_cast<char*>(std::malloc(capacity));
    ok = data != nullptr;
    while (ok) {
      if (used == capacity) {
        // A file that keeps growing may not take more than the machine holds.
        const std::size_t grown = std::min<unsigned long long>(capacity * 2, MemoryLimit() + 1);
        char* more = grown > capacity ? static_cast<char*>(std::realloc(data, grown)) : nullptr;
        if (more == nullptr) {
          ok = false;
          break;
        }
        data = more;
        capacity = grown;
      }
      const ssize_t got = ::read(fd, data + used, capacity - used);
      if (got < 0) {
        if (errno == EINTR) continue;
        SetLastErrorFromErrno(errno, ErrnoUse::kRead);
        ::close(fd);
        std::free(data);
        return false;
      }
      if (got == 0) break;
      used += static_cast<std::size_t>(got);
    }
    if (!ok) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  ::close(fd);
  if (!ok || used == 0) {
    std::free(data);
    return ok;
  }
  *block = data;
  *size = used;
  return true;
}

class PosixFileStore final : public FileStore {
 public:
  bool ReadWholeFile(const std::string& path, std::string* bytes) override {
    void* block = nullptr;
    std::size_t size = 0;
    if (!ReadRegularFileBlock(path, &block, &size)) return false;
    bool ok = true;
    try {
      bytes->assign(static_cast<const char*>(block), size);
    } catch (const std::bad_alloc&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      ok = false;
    }
    std::free(block);
    return ok;
  }

  bool ReadWholeFileBlock(const std::string& path, void** block, std::size_t* size) override {
    return ReadRegularFileBlock(path, block, size);
  }

  bool GetAccess(const std::string& path, FileAccess* access) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    if (S_ISLNK(st.st_mode)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    access->mode = st.st_mode & 07777;
    access->owner = st.st_uid;
    access->group = st.st_gid;
    return true;
  }

  std::unique_ptr<WritableFile> CreateTemporary(const std::string& dir, const std::string& prefix,
                                                std::string* path) override {
    static std::atomic<unsigned> counter{0};
    thread_local std::minstd_rand random(static_cast<unsigned>(::getpid()) ^
                                         static_cast<unsigned>(reinterpret_cast<uintptr_t>(&dir)));
    for (int attempt = 0; attempt < 100; ++attempt) {
      char suffix[40];
      std::snprintf(suffix, sizeof suffix, "%ld-%u-%06x.tmp", static_cast<long>(::getpid()),
                    counter.fetch_add(1), static_cast<unsigned>(random() & 0xFFFFFF));
      std::string candidate = dir + prefix + suffix;
      const int fd =
          ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd >= 0) {
        *path = std::move(candidate);
        return std::make_unique<PosixWritableFile>(fd);
      }
      if (errno == ENOENT) {
        // Creating a file fails so only when its directory is missing.
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
      }
      if (errno != EEXIST) {
        SetLastErrorFromErrno(errno);
        return nullptr;
      }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return nullptr;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }

  bool RenameNoReplace(const std::string& from, const std::string& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
      return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
      SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno));
      return false;
    }
    // A file system without RENAME_NOREPLACE: link() never replaces either.
    if (::link(from.c_str(), to.c_str()) != 0) {
      SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno));
      return false;
    }
    (void)::unlink(from.c_str());
    return true;
  }

  void RemoveStaleTemporaries(const std::string& dir, const std::string& prefix) override {
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr) return;
    const long self = static_cast<long>(::getpid());
    while (const dirent* item = ::readdir(listing)) {
      const std::string_view name(item->d_name);
      if (!name.starts_with(prefix)) continue;
      long pid = 0;
      if (!ParseTemporarySuffix(name.substr(prefix.size()), &pid) || pid == self) continue;
      // Signal 0 only asks whether the process exists; EPERM means it does (someone else's).
      if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
      (void)::unlinkat(::dirfd(listing), item->d_name, 0);
    }
    ::closedir(listing);
  }

  bool Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }

  bool SyncDirectory(const std::string& dir) override {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    const bool ok = ::fsync(fd) == 0;
    if (!ok) SetLastErrorFromErrno(errno);
    ::close(fd);
    return ok;
  }

  bool MakeWritable(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR)) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }
};

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

bool FileStore::ReadWholeFileBlock(const std::string& path, void** block, std::size_t* size) {
  *block = nullptr;
  *size = 0;
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return false;
  if (bytes.empty()) return true;
  *block = std::malloc(bytes.size());
  if (*block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  std::memcpy(*block, bytes.data(), bytes.size());
  *size = bytes.size();
  return true;
}

FileStore* FileStore::Default() {
  static PosixFileStore store;
  return &store;
}

namespace {

bool WriteFileContents(FileStore& store, const std::string& path,
                       std::span<const std::span<const BYTE>> pieces, bool replace) {
  const std::string& target = path;
  const std::string dir = DirectoryOf(target);
  const std::string name = target.substr(dir.size());
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  FileAccess access;
  bool keep_access = store.GetAccess(target, &access);

  const std::string prefix = "." + name + ".";
  // The temporary files of saves that a kill cut short would lie here for good.
  store.RemoveStaleTemporaries(dir, prefix);
  if (!replace) keep_access = false;
  std::string temp_path;
  std::unique_ptr<WritableFile> file = store.CreateTemporary(dir, prefix, &temp_path);
  if (!file) return false;

  bool ok = true;
  for (const std::span<const BYTE> piece : pieces) {
    if (!piece.empty() && !file->Write(piece.data(), piece.size())) {
      ok = false;
      break;
    }
  }
  ok = ok && (!keep_access || file->SetAccess(access)) && file->Sync();
  // Close even after a failure, keeping the first error.
  if (ok) {
    ok = file->Close();
  } else {
    const DWORD error = LastError();
    (void)file->Close();
    SetLastError(error);
  }
  file.reset();
  ok = ok && (replace ? store.Rename(temp_path, target) : store.RenameNoReplace(temp_path, target));
  if (!ok) {
    const DWORD error = LastError();
    (void)store.Remove(temp_path);
    SetLastError(error != 0 ? error : ERROR_WRITE_FAULT);
    return false;
  }
  // The new contents are in place; a directory that cannot be flushed does not undo that.
  (void)store.SyncDirectory(dir);
  return true;
}

}  // namespace

bool ReplaceFileContents(FileStore& store, const std::string& path,
                         std::span<const std::span<const BYTE>> pieces) {
  return WriteFileContents(store, path, pieces, true);
}

bool CreateFileContents(FileStore& store, const std::string& path,
                        std::span<const std::span<const BYTE>> pieces) {
  return WriteFileContents(store, path, pieces, false);
}

bool IsTemporaryFileName(std::wstring_view name) {
  // "." + at least one character + "." + the suffix.
  if (name.size() < 3 || name[0] != L'.') return false;
  for (std::size_t dot = name.find(L'.', 2); dot != std::wstring_view::npos;
       dot = name.find(L'.', dot + 1)) {
    std::string suffix;
    bool ascii = true;
    for (const wchar_t c : name.substr(dot + 1)) {
      if (c < 0 || c > 0x7F) {
        ascii = false;
        break;
      }
      suffix.push_back(static_cast<char>(c));
    }
    long pid = 0;
    if (ascii && ParseTemporarySuffix(suffix, &pid)) return true;
  }
  return false;
}

}  // namespace platform
