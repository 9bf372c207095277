#include "platform/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/registry_text.h"

namespace platform {
namespace registry_detail {
namespace {

constexpr char kStoreName[] = "registry.reg";
constexpr char kLockName[] = "registry.lock";
constexpr char kTempName[] = "registry.reg.tmp";
constexpr char kBackupName[] = "registry.reg.damaged";
constexpr int kMaxBackups = 100;
// Writers hold the lock for one small file write; a holder that stays longer is stuck, and a
// save then fails rather than hang.
constexpr auto kLockTimeout = std::chrono::seconds(10);
// The program's settings take a few kilobytes; a store far beyond that is not read.
constexpr off_t kMaxStoreSize = 16 << 20;

std::string ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  std::string home;
  if (const char* env = std::getenv("HOME"); env && env[0] == '/') {
    home = env;
  } else {
    struct passwd pw;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found) home = pw.pw_dir;
  }
  return home + "/.config";
}

std::string StoreDirectory() { return ConfigHome() + "/vemo"; }

struct FileSignature {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long mtime_sec = 0;
  long mtime_nsec = 0;
  long ctime_sec = 0;
  long ctime_nsec = 0;
  mode_t mode = 0;
  bool operator==(const FileSignature&) const = default;
};

FileSignature SignatureOf(const struct stat& st) {
  return FileSignature{true,
                       st.st_dev,
                       st.st_ino,
                       st.st_size,
                       st.st_mtim.tv_sec,
                       st.st_mtim.tv_nsec,
                       st.st_ctim.tv_sec,
                       st.st_ctim.tv_nsec,
                       st.st_mode};
}

struct StoreState {
  std::mutex mutex;  // guards everything below and serialises this process's writers
  std::string cached_path;
  FileSignature cached_signature;
  std::shared_ptr<const RegistryTree> cached_tree;
  std::set<std::pair<std::string, std::size_t>> reported;  // path, hash of the damaged text
  std::function<void(const std::string&)> reporter;
};

StoreState& State() {
  static StoreState state;
  return state;
}

bool IsMissing(int err) { return err == ENOENT || err == ENOTDIR; }

// kRefused: no regular file, or too large to be the program's settings.
enum class ReadOutcome { kRead, kMissing, kFailed, kRefused };

// Reads the file at path. Only a regular file of at most kMaxStoreSize bytes is read: a FIFO, a
// device or a directory in its place fails with ERROR_ACCESS_DENIED and a larger file with
// ERROR_NOT_ENOUGH_MEMORY, at once (O_NONBLOCK: opening a FIFO never waits for a writer).
ReadOutcome ReadWholeFile(const std::string& path, std::string* text, FileSignature* signature) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (IsMissing(errno)) return ReadOutcome::kMissing;
    SetLastErrorFromErrno(errno, ErrnoUse::kRead);
    return ReadOutcome::kFailed;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    SetLastErrorFromErrno(errno, ErrnoUse::kRead);
    close(fd);
    return ReadOutcome::kFailed;
  }
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxStoreSize) {
    SetLastError(S_ISREG(st.st_mode) ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED);
    close(fd);
    return ReadOutcome::kRefused;
  }
  *signature = SignatureOf(st);
  text->clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno(errno, ErrnoUse::kRead);
      close(fd);
      return ReadOutcome::kFailed;
    }
    if (text->size() + static_cast<std::size_t>(n) > kMaxStoreSize) {  // it grows meanwhile
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      close(fd);
      return ReadOutcome::kRefused;
    }
    text->append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return ReadOutcome::kRead;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes text to a fresh file at temp (mode), flushed to the disk. On failure nothing is left.
bool WriteFlushedFile(const std::string& temp, const std::string& text, mode_t mode) {
  // Whatever holds the name (a file left by a crash, a FIFO someone made) goes: the new file is
  // made exclusively, so that opening it can neither block nor write through anything.
  if (unlink(temp.c_str()) != 0 && errno != ENOENT) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  int err = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    SetLastErrorFromErrno(err);
  }
  return ok;
}

void SyncDirectory(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // some file systems cannot; the rename itself has happened
  close(fd);
}

// Creates dir and its missing parents with mode 0700, as the XDG rules ask.
bool MakeDirectories(const std::string& dir) {
  for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos != dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      SetLastErrorFromErrno(errno);
      return false;
    }
  }
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  return true;
}

// Holds the store's inter-process lock for its lifetime.
class StoreLock {
 public:
  explicit StoreLock(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd_ < 0) {
      SetLastErrorFromErrno(errno);
      return;
    }
    struct stat st;
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kLockTimeout;
    for (;;) {
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        locked_ = true;
        return;
      }
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
        SetLastError(errno == EWOULDBLOCK ? ERROR_LOCK_VIOLATION : ErrorFromErrno(errno));
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  ~StoreLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the flock
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  [[nodiscard]] bool Locked() const { return locked_; }

 private:
  int fd_ = -1;
  bool locked_ = false;
};

std::string UniqueTempName(const std::string& base) {
  static std::atomic<unsigned> counter{0};
  return base + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

// Copies the damaged text beside the store under the first backup name that is free or already
// holds the same text. Returns the backup's path, or empty with the last error set; *made tells
// whether this call made it (false: an earlier run kept the same damage already).
std::string KeepBackup(const std::string& dir, const std::string& text, bool* made) {
  *made = false;
  for (int n = 1; n <= kMaxBackups; ++n) {
    std::string name = dir + "/" + kBackupName;
    if (n > 1) name.append(1, '-').append(std::to_string(n));
    std::string existing;
    FileSignature ignored;
    switch (ReadWholeFile(name, &existing, &ignored)) {
      case ReadOutcome::kRead:
        if (existing == text) return name;
        continue;
      case ReadOutcome::kFailed:
      case ReadOutcome::kRefused:
        continue;
      case ReadOutcome::kMissing:
        break;
    }
    const std::string temp = UniqueTempName(name);
    if (!WriteFlushedFile(temp, text, 0600)) return {};
    // link() never replaces an existing file, so a backup made meanwhile by another process
    // survives; the next name is tried then.
    const bool linked = link(temp.c_str(), name.c_str()) == 0;
    const int err = errno;
    unlink(temp.c_str());
    if (linked) {
      SyncDirectory(dir);
      *made = true;
      return name;
    }
    if (err != EEXIST) {
      SetLastErrorFromErrno(err);
      return {};
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return {};
}

std::string LineList(const std::vector<std::size_t>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == 5) return out + ", ...";
    out += (i ? ", " : "") + std::to_string(lines[i]);
  }
  return out;
}

// Called with the state locked. Keeps a backup of a damaged store and reports it once; false
// (last error set) when no backup could be made.
bool HandleDamage(StoreState& state, const std::string& dir, const std::string& path,
                  const std::string& text, const std::vector<std::size_t>& bad_lines) {
  bool made = false;
  const std::string backup = KeepBackup(dir, text, &made);
  const DWORD backup_error = LastError();
  const auto key = std::make_pair(path, std::hash<std::string>{}(text));
  // Once: a backup of the same text kept by an earlier run means that run reported it (the
  // damaged file stays until something saves the settings, and a command-line run never does).
  if (state.reported.insert(key).second && (made || backup.empty())) {
    std::string report = "vemo: the settings store \"" + path + "\" has damaged lines (" +
                         LineList(bad_lines) + "); they are left out";
    if (!backup.empty()) {
      report += ", and the file is kept as \"" + backup + "\"";
    } else {
      report += "; no backup of it could be made (error " + std::to_string(backup_error) +
                "), so settings are not saved over it";
    }
    if (state.reporter) {
      state.reporter(report);
    } else {
      std::fprintf(stderr, "%s\n", report.c_str());
    }
  }
  SetLastError(backup_error);
  return !backup.empty();
}

// Called with the state locked and the refusal's code as last error, which it keeps. Once per
// process and path: nothing is written over such a store, so every run meets it again.
void ReportRefusedStore(StoreState& state, const std::string& path) {
  const DWORD error = LastError();
  if (!state.reported.insert(std::make_pair(path, std::size_t{0})).second) return;
  const std::string report =
      "vemo: the settings store \"" + path + "\" is " +
      (error == ERROR_NOT_ENOUGH_MEMORY ? "larger than any settings file" : "not a regular file") +
      "; the defaults are used, and settings are not saved over it";
  if (state.reporter) {
    state.reporter(report);
  } else {
    std::fprintf(stderr, "%s\n", report.c_str());
  }
  SetLastError(error);
}

}  // namespace

std::shared_ptr<const RegistryTree> ReadRegistry() {
  StoreState& state = State();
  std::lock_guard guard(state.mutex);
  const std::string dir = StoreDirectory();
  const std::string path = dir + "/" + kStoreName;
  FileSignature current;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    current = SignatureOf(st);
  } else if (!IsMissing(errno)) {
    SetLastErrorFromErrno(errno, ErrnoUse::kRead);
    return nullptr;
  }
  if (state.cached_tree && state.cached_path == path && state.cached_signature == current) {
    return state.cached_tree;
  }
  std::string text;
  FileSignature signature;
  std::shared_ptr<const RegistryTree> tree;
  switch (ReadWholeFile(path, &text, &signature)) {
    case ReadOutcome::kRefused:
      ReportRefusedStore(state, path);
      return nullptr;
    case ReadOutcome::kFailed:
      return nullptr;
    case ReadOutcome::kMissing:
      tree = std::make_shared<const RegistryTree>();
      break;
    case ReadOutcome::kRead: {
      ParsedRegistry parsed = ParseRegistry(text);
      if (!parsed.bad_lines.empty()) HandleDamage(state, dir, path, text, parsed.bad_lines);
      tree = std::make_shared<const RegistryTree>(std::move(parsed.tree));
      break;
    }
  }
  state.cached_path = path;
  state.cached_signature = signature;
  state.cached_tree = tree;
  return tree;
}

bool ModifyRegistry(const std::function<bool(RegistryTree&)>& change) {
  StoreState& state = State();
  std::lock_guard guard(state.mutex);
  const std::string dir = StoreDirectory();
  const std::string path = dir + "/" + kStoreName;
  if (!MakeDirectories(dir)) return false;
  StoreLock lock(dir + "/" + kLockName);
  if (!lock.Locked()) return false;

  std::string text;
  FileSignature signature;
  RegistryTree tree;
  switch (ReadWholeFile(path, &text, &signature)) {
    case ReadOutcome::kRefused:
      ReportRefusedStore(state, path);
      return false;
    case ReadOutcome::kFailed:
      return false;
    case ReadOutcome::kMissing:
      break;
    case ReadOutcome::kRead: {
      ParsedRegistry parsed = ParseRegistry(text);
      if (!parsed.bad_lines.empty() && !HandleDamage(state, dir, path, text, parsed.bad_lines)) {
        return false;
      }
      tree = std::move(parsed.tree);
      break;
    }
  }
  if (!change(tree)) return false;

  const std::string updated = SerializeRegistry(tree);
  if (!signature.exists || updated != text) {
    const mode_t mode = signature.exists ? (signature.mode & 07777) : 0600;
    const std::string temp = dir + "/" + kTempName;
    if (!WriteFlushedFile(temp, updated, mode)) return false;
    if (rename(temp.c_str(), path.c_str()) != 0) {
      const int err = errno;
      unlink(temp.c_str());
      SetLastErrorFromErrno(err);
      return false;
    }
    SyncDirectory(dir);
    struct stat st;
    signature = stat(path.c_str(), &st) == 0 ? SignatureOf(st) : FileSignature{};
  }
  state.cached_path = path;
  state.cached_signature = signature;
  state.cached_tree = std::make_shared<const RegistryTree>(std::move(tree));
  return true;
}

}  // namespace registry_detail

std::string RegistryStorePath() {
  return registry_detail::StoreDirectory() + "/" + registry_detail::kStoreName;
}

void SetRegistryDamageReporter(std::function<void(const std::string& report)> reporter) {
  auto& state = registry_detail::State();
  std::lock_guard guard(state.mutex);
  state.reporter = std::move(reporter);
}

}  // namespace platform
