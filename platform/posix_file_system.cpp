// FileSystem on POSIX calls. errno becomes a Windows code only through ErrorFromErrno.
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/error_codes.h"
#include "platform/file_system.h"
#include "platform/file_time.h"
#include "platform/last_error.h"
#include "platform/stat_attributes.h"

namespace platform {
namespace {

ItemKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return ItemKind::kFile;
  if (S_ISDIR(mode)) return ItemKind::kDirectory;
  if (S_ISLNK(mode)) return ItemKind::kSymlink;
  return ItemKind::kOther;
}

// Whether a core stands idle now: fewer threads are running or ready to run, this one included,
// than there are cores (/proc/loadavg's fourth field, "running/all"). A second thread for a
// listing pays only then; on a busy machine it costs more than it saves.
std::atomic<ListingHelpers> g_listing_helpers{ListingHelpers::kWhenIdle};

bool IdleCoreLikely() {
  switch (g_listing_helpers.load(std::memory_order_relaxed)) {
    case ListingHelpers::kAlways:
      return true;
    case ListingHelpers::kNever:
      return false;
    case ListingHelpers::kWhenIdle:
      break;
  }
  static const unsigned cores = std::thread::hardware_concurrency();
  if (cores < 2) return false;
  const int fd = open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char text[128];
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n <= 0) return false;
  text[n] = 0;
  unsigned running = 0;
  if (std::sscanf(text, "%*s %*s %*s %u/", &running) != 1) return false;
  return running < cores;
}

// What lstat told of one listed item, or the errno it failed with.
struct ItemStat {
  int error = 0;
  ItemKind kind = ItemKind::kOther;
  DWORD attributes = 0;
  ULONGLONG size = 0;
  ULONGLONG write_time = 0;
};

// Names are read in batches; the lstat calls of a large batch are shared with a helper thread
// while a core is idle, since they are most of the time a walk of a large tree takes (the
// kernel's part, which runs on two cores at once). Items come out in listing order all the same:
// the caller takes the next unclaimed chunk itself when it gets there first, and never waits for
// the helper.
class PosixDirectoryListing final : public DirectoryListing {
 public:
  explicit PosixDirectoryListing(DIR* dir) : dir_(dir) {}
  ~PosixDirectoryListing() override {
    EndBatch();
    if (dir_ != nullptr) closedir(dir_);
  }

  bool Next(DirectoryItem* item) override {
    if (dir_ == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    for (;;) {
      if (next_ == offsets_.size()) {
        EndBatch();
        if (read_error_ == 0 && !at_end_) ReadBatch();
        if (next_ == offsets_.size()) {
          if (read_error_ != 0) {
            SetLastErrorFromErrno(std::exchange(read_error_, 0));
          } else {
            SetLastError(ERROR_NO_MORE_FILES);
          }
          return false;
        }
        continue;
      }
      const std::size_t index = next_++;
      ItemStat own;
      const ItemStat& stat = StatOf(index, own);
      if (stat.error == ENOENT) continue;  // deleted since it was listed: no longer in the tree
      if (stat.error != 0) {
        SetLastErrorFromErrno(stat.error);
        return false;
      }
      item->name.assign(NameAt(index));
      item->kind = stat.kind;
      item->size = stat.size;
      item->write_time = stat.write_time;
      item->attributes = stat.attributes;
      return true;
    }
  }

  bool Close() override {
    EndBatch();
    if (dir_ == nullptr) return true;
    const int rc = closedir(dir_);
    dir_ = nullptr;
    if (rc != 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }

 private:
  // Items per batch (bounds the memory of a huge directory) and per chunk of work; a batch
  // smaller than kShared items is not worth starting a thread for.
  static constexpr std::size_t kBatch = 4096;
  static constexpr std::size_t kChunk = 32;
  static constexpr std::size_t kShared = 128;

  const char* NameAt(std::size_t index) const { return names_.data() + offsets_[index]; }

  // Reads up to kBatch names (a read error is kept for after them) and starts their lstat calls.
  void ReadBatch() {
    names_.clear();
    offsets_.clear();
    next_ = 0;
    while (offsets_.size() < kBatch) {
      errno = 0;
      const dirent* entry = readdir(dir_);
      if (entry == nullptr) {
        read_error_ = errno;
        at_end_ = errno == 0;
        break;
      }
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      offsets_.push_back(names_.size());
      names_.append(name, std::strlen(name) + 1);  // with its NUL, for fstatat
    }
    if (offsets_.empty()) return;
    const std::size_t chunks = (offsets_.size() + kChunk - 1) / kChunk;
    if (stats_.size() < offsets_.size()) stats_.resize(offsets_.size());
    if (chunk_done_size_ < chunks) {
      chunk_done_ = std::make_unique<std::atomic<int>[]>(chunks);
      chunk_done_size_ = chunks;
    }
    for (std::size_t c = 0; c < chunks; ++c) {
      chunk_done_[c].store(0, std::memory_order_relaxed);
    }
    chunk_count_ = chunks;
    next_chunk_.store(0, std::memory_order_relaxed);
    stop_.store(false, std::memory_order_relaxed);
    if (offsets_.size() >= kShared && IdleCoreLikely()) {
      try {
        helper_ = std::thread([this] {
          while (!stop_.load(std::memory_order_relaxed) && ClaimAndStat()) {
          }
        });
      } catch (const std::system_error&) {
        // No thread to share with: this one does every lstat.
      }
    }
  }

  // Takes the next unclaimed chunk and stats its items; false when none was left.
  bool ClaimAndStat() {
    const std::size_t chunk = next_chunk_.fetch_add(1, std::memory_order_relaxed);
    if (chunk >= chunk_count_) return false;
    const std::size_t end = std::min(offsets_.size(), (chunk + 1) * kChunk);
    for (std::size_t i = chunk * kChunk; i < end; ++i) StatItem(i, stats_[i]);
    chunk_done_[chunk].store(1, std::memory_order_release);
    return true;
  }

  void StatItem(std::size_t index, ItemStat& out) const {
    const char* name = NameAt(index);
    struct stat st;
    if (fstatat(dirfd(dir_), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      out.error = errno;
      return;
    }
    out.error = 0;
    out.kind = KindOf(st.st_mode);
    out.size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
    out.write_time = FileTimeFromTimespec(st.st_mtim);
    out.attributes = AttributesFromStat(name, st);
  }

  // The lstat of item index: from its chunk once that is done. Chunks are claimed in order, so
  // while the item's chunk is unclaimed the next claim is it or one before it. A chunk the helper
  // is still on is not waited for (the helper may have lost its core for a while): the item is
  // stat'ed here once more.
  const ItemStat& StatOf(std::size_t index, ItemStat& own) {
    const std::size_t chunk = index / kChunk;
    while (chunk_done_[chunk].load(std::memory_order_acquire) == 0) {
      if (next_chunk_.load(std::memory_order_relaxed) > chunk) {
        StatItem(index, own);
        return own;
      }
      (void)ClaimAndStat();
    }
    return stats_[index];
  }

  // Stops the helper (after the chunk it is on) and waits for it.
  void EndBatch() {
    if (!helper_.joinable()) return;
    stop_.store(true, std::memory_order_relaxed);
    helper_.join();
  }

  DIR* dir_;
  bool at_end_ = false;
  int read_error_ = 0;  // errno of a failed readdir, reported after the names read before it
  std::string names_;   // the batch's names, each ended by NUL
  std::vector<std::size_t> offsets_;
  std::vector<ItemStat> stats_;
  std::size_t next_ = 0;  // the next item of the batch to hand out
  std::size_t chunk_count_ = 0;
  std::unique_ptr<std::atomic<int>[]> chunk_done_;  // 1 once a chunk's lstat results are in
  std::size_t chunk_done_size_ = 0;
  std::atomic<std::size_t> next_chunk_{0};
  std::atomic<bool> stop_{false};
  std::thread helper_;
};

class PosixReadableFile final : public ReadableFile {
 public:
  // size: st_size from the fstat that opening needs anyway (to refuse what is not a regular file);
  // a second fstat per file would cost a system call on every small file of a tree.
  PosixReadableFile(int fd, ULONGLONG size) : fd_(fd), size_(size) {}
  ~PosixReadableFile() override {
    if (fd_ >= 0) close(fd_);
  }

  bool GetSize(ULONGLONG* size) override {
    *size = size_;
    return true;
  }

  bool Read(void* buffer, std::size_t length, std::size_t* bytes_read) override {
    for (;;) {
      const ssize_t n = read(fd_, buffer, length);
      if (n >= 0) {
        *bytes_read = static_cast<std::size_t>(n);
        return true;
      }
      if (errno == EINTR) continue;
      *bytes_read = 0;
      SetLastErrorFromErrno(errno, ErrnoUse::kRead);
      return false;
    }
  }

  bool SupportsReadAt() const override { return true; }

  bool ReadAt(ULONGLONG offset, void* buffer, std::size_t length,
              std::size_t* bytes_read) override {
    if (offset > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max())) {
      *bytes_read = 0;  // past any end a file can have
      return true;
    }
    for (;;) {
      const ssize_t n = pread(fd_, buffer, length, static_cast<off_t>(offset));
      if (n >= 0) {
        *bytes_read = static_cast<std::size_t>(n);
        return true;
      }
      if (errno == EINTR) continue;
      *bytes_read = 0;
      SetLastErrorFromErrno(errno, ErrnoUse::kRead);
      return false;
    }
  }

  bool GetWriteState(ULONGLONG* size, ULONGLONG* write_time) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    *size = static_cast<ULONGLONG>(st.st_size);
    *write_time = FileTimeFromTimespec(st.st_mtim);
    return true;
  }

  bool Close() override {
    if (fd_ < 0) return true;
    const int rc = close(fd_);
    fd_ = -1;
    // After EINTR the descriptor is gone on Linux; nothing was lost for a file only read.
    if (rc != 0 && errno != EINTR) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }

 private:
  int fd_;
  const ULONGLONG size_;
};

// The file-system type the mount table names for the mount that holds path ("fuse.sshfs",
// "fuseblk" ...); empty when it cannot be told.
std::string MountTypeOf(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return {};
  const std::string target(resolved);
  std::ifstream mounts("/proc/self/mountinfo");
  std::string line;
  std::string best_point;
  std::string best_type;
  while (std::getline(mounts, line)) {
    // id parent major:minor root mount-point options [optional...] - fstype source super-options
    std::istringstream fields(line);
    std::string skip, point, word;
    fields >> skip >> skip >> skip >> skip >> point;
    while (fields >> word && word != "-") {
    }
    std::string type;
    fields >> type;
    const bool covers = target == point || point == "/" ||
                        (target.compare(0, point.size(), point) == 0 &&
                         target.size() > point.size() && target[point.size()] == '/');
    // Later lines are later mounts: an equal mount point hides the earlier one.
    if (covers && point.size() >= best_point.size()) {
      best_point = point;
      best_type = type;
    }
  }
  return best_type;
}

// FUSE serves local and network file systems alike; the mount table's subtype tells them apart.
bool IsRemoteFuseType(const std::string& type) {
  static const char* const kRemote[] = {
      "fuse.sshfs",      "fuse.rclone", "fuse.s3fs",      "fuse.gcsfuse",   "fuse.curlftpfs",
      "fuse.gvfsd-fuse", "fuse.davfs2", "fuse.glusterfs", "fuse.ceph-fuse", "fuse.smbnetfs"};
  for (const char* remote : kRemote) {
    if (type == remote) return true;
  }
  return false;
}

// Linux's default read-ahead window (VM_READAHEAD_PAGES, 128 KiB).
constexpr off_t kDefaultReadAhead = 128 * 1024;

constexpr unsigned long kFuseMagic = 0x65735546;

// Opens path (relative to dir_fd, or AT_FDCWD) as FileSystem::OpenForRead describes.
std::unique_ptr<ReadableFile> OpenRegularFileAt(int dir_fd, const char* path,
                                                AccessPattern pattern) {
  // O_NONBLOCK: a FIFO that took a file's place must not hang the reader; it is refused below.
  const int fd = openat(dir_fd, path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    close(fd);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  // Only a hint, and one that changes nothing for a file within the kernel's default read-ahead
  // window: there it would only add a system call per file.
  if (pattern == AccessPattern::kSequential && st.st_size > kDefaultReadAhead) {
    (void)posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  return std::make_unique<PosixReadableFile>(fd, static_cast<ULONGLONG>(st.st_size));
}

// readlink of path relative to dir_fd (or AT_FDCWD), as FileSystem::ReadLink describes.
bool ReadLinkAt(int dir_fd, const char* path, std::string* target) {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = readlinkat(dir_fd, path, buffer.data(), buffer.size());
    if (n < 0) {
      SetLastErrorFromErrno(errno);
      return false;
    }
    if (static_cast<std::size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(n));
      *target = std::move(buffer);
      return true;
    }
    buffer.resize(buffer.size() * 2);  // possibly truncated: try again with more room
  }
}

// Whether the kernel has openat2 (Linux 5.6); cleared by the first ENOSYS.
std::atomic<bool> g_have_openat2{true};

// openat2 with flags and resolve, retried while a rename elsewhere races the lookup (EAGAIN);
// -1 with errno set, ENOSYS when the kernel lacks it.
int OpenAt2(int dir_fd, const char* path, int flags, unsigned long long resolve) {
  open_how how{};
  how.flags = static_cast<unsigned long long>(flags);
  how.resolve = resolve;
  for (int attempt = 0;; ++attempt) {
    const long fd = syscall(SYS_openat2, dir_fd, path, &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    if (errno == EINTR || (errno == EAGAIN && attempt < 16)) continue;
    return -1;
  }
}

// Opens the directory at relative below dir_fd (O_PATH, or O_RDONLY for a listing) without
// following a symbolic link in any component and without leaving dir_fd's tree: a link met on the
// way fails with ELOOP, a component that is no directory with ENOTDIR. -1 with errno set.
int OpenDirectoryBeneath(int dir_fd, const std::string& relative, int access) {
  const char* path = relative.empty() ? "." : relative.c_str();
  const int flags = access | O_DIRECTORY | O_CLOEXEC;
  if (g_have_openat2.load(std::memory_order_relaxed)) {
    const int fd =
        OpenAt2(dir_fd, path, flags, RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS);
    if (fd >= 0) return fd;
    if (errno != ENOSYS) {
      if (errno == EXDEV) errno = ELOOP;  // a way out of the tree
      return -1;
    }
    g_have_openat2.store(false, std::memory_order_relaxed);
  }
  // Component by component: O_NOFOLLOW | O_DIRECTORY refuses a link in each step.
  int current = openat(dir_fd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  std::size_t begin = 0;
  while (current >= 0 && begin < relative.size()) {
    std::size_t end = relative.find('/', begin);
    if (end == std::string::npos) end = relative.size();
    const std::string name = relative.substr(begin, end - begin);
    begin = end + 1;
    if (name.empty() || name == ".") continue;
    int next = -1;
    if (name == "..") {
      errno = ELOOP;
    } else {
      next = openat(current, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      struct stat st;
      if (next < 0 && errno == ENOTDIR &&
          fstatat(current, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        errno = ELOOP;  // as openat2 reports a link on the way
      }
    }
    const int saved = errno;
    close(current);
    errno = saved;
    current = next;
  }
  if (current < 0 || (access & O_PATH) != 0) return current;
  const int fd = openat(current, ".", flags);
  const int saved = errno;
  close(current);
  errno = saved;
  return fd;
}

// The listing of a directory open as fd (which it takes over), or null with the last error set.
std::unique_ptr<DirectoryListing> ListingOf(int fd) {
  DIR* d = fdopendir(fd);
  if (d == nullptr) {
    SetLastErrorFromErrno(errno);
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixDirectoryListing>(d);
}

// A listing names a directory, so "not there" means the path, as on Windows.
void SetListingError(int err) {
  if (SetLastErrorFromErrno(err) == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_PATH_NOT_FOUND);
}

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<DirectoryListing> OpenListing(const std::string& dir) override {
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      SetListingError(errno);
      return nullptr;
    }
    return ListingOf(fd);
  }

  UINT GetDriveType(const std::string& path) override {
    struct statfs fs;
    if (statfs(path.c_str(), &fs) != 0) {
      return (errno == ENOENT || errno == ENOTDIR) ? DRIVE_NO_ROOT_DIR : DRIVE_UNKNOWN;
    }
    switch (static_cast<unsigned long>(fs.f_type)) {
      case 0x9660:      // iso9660
      case 0x15013346:  // udf
        return DRIVE_CDROM;
      case 0x6969:      // nfs
      case 0xFF534D42:  // cifs
      case 0xFE534D42:  // smb2/3
      case 0x517B:      // smb
      case 0x73757245:  // coda
      case 0x5346414F:  // afs
      case 0x00C36400:  // ceph
      case 0x01021997:  // 9p
        return DRIVE_REMOTE;
      case 0x01021994:  // tmpfs
      case 0x858458F6:  // ramfs
        return DRIVE_RAMDISK;
      case kFuseMagic:
        return IsRemoteFuseType(MountTypeOf(path)) ? DRIVE_REMOTE : DRIVE_FIXED;
      default:
        return DRIVE_FIXED;
    }
  }

  bool FoldsLetterCase(const std::string& path) override {
    struct statfs fs;
    if (statfs(path.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
      case 0x4D44:      // vfat, msdos
      case 0x2011BAB0:  // exfat
      case 0x5346544E:  // ntfs, ntfs3
      case 0x7366746E:  // ntfs3
      case 0xFF534D42:  // cifs
      case 0xFE534D42:  // smb2/3
      case 0x517B:      // smb
      case 0x9660:      // iso9660
        return true;
      case kFuseMagic: {
        // fuseblk serves block devices, in practice ntfs-3g and exfat.
        const std::string type = MountTypeOf(path);
        return type == "fuseblk" || type == "fuse.exfat" || type == "fuse.ntfs-3g";
      }
      default:
        return false;
    }
  }

  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path,
                                            AccessPattern pattern) override {
    return OpenRegularFileAt(AT_FDCWD, path.c_str(), pattern);
  }

  bool ReadLink(const std::string& path, std::string* target) override {
    return ReadLinkAt(AT_FDCWD, path.c_str(), target);
  }

  std::unique_ptr<DirectoryHandle> OpenDirectory(const std::string& dir) override;
};

class PosixDirectoryHandle final : public DirectoryHandle {
 public:
  explicit PosixDirectoryHandle(int fd) : fd_(fd) {}
  ~PosixDirectoryHandle() override { close(fd_); }

  std::unique_ptr<ReadableFile> OpenForRead(const std::string& name,
                                            AccessPattern pattern) override {
    return OpenRegularFileAt(fd_, name.c_str(), pattern);
  }
  bool ReadLink(const std::string& name, std::string* target) override {
    return ReadLinkAt(fd_, name.c_str(), target);
  }
  std::unique_ptr<DirectoryHandle> OpenSubdirectory(const std::string& relative) override {
    const int fd = OpenDirectoryBeneath(fd_, relative, O_PATH);
    if (fd < 0) {
      SetLastErrorFromErrno(errno);
      return nullptr;
    }
    return std::make_unique<PosixDirectoryHandle>(fd);
  }
  std::unique_ptr<DirectoryListing> OpenListing(const std::string& relative) override {
    const int fd = OpenDirectoryBeneath(fd_, relative, O_RDONLY);
    if (fd < 0) {
      SetListingError(errno);
      return nullptr;
    }
    return ListingOf(fd);
  }

 private:
  const int fd_;
};

std::unique_ptr<DirectoryHandle> PosixFileSystem::OpenDirectory(const std::string& dir) {
  // O_PATH: the directory is only a starting point for lookups; nothing of it is read.
  const int fd = open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return nullptr;
  }
  return std::make_unique<PosixDirectoryHandle>(fd);
}

}  // namespace

void SetListingHelpers(ListingHelpers helpers) {
  g_listing_helpers.store(helpers, std::memory_order_relaxed);
}

FileSystem* FileSystem::Default() {
  static PosixFileSystem* const file_system = new PosixFileSystem;  // never destroyed
  return file_system;
}

}  // namespace platform
