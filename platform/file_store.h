// Reading a whole file and replacing one safely: the file services the document's open and save
// use, behind one interface so that a test can put a FileStoreWrapper in front of the real one and
// fail exactly the step it wants (creating the temporary file, a write, the flush, the rename) with
// a Windows error code, the way a full disk or a read-only directory would.
//
// Paths are native byte strings. Every failing call returns false or null and leaves a Windows
// error code as the calling thread's last error. FileStore objects may be used from any thread; an
// open file belongs to one thread at a time.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace platform {

// What replacing a file keeps of the old one.
struct FileAccess {
  unsigned mode = 0;  // permission bits (07777)
  uid_t owner = 0;
  gid_t group = 0;
};

// A new file being written. Destroying it closes it (ignoring a close failure).
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all length bytes at the end, or fails (a short write is retried, not reported).
  [[nodiscard]] virtual bool Write(const void* bytes, std::size_t length) = 0;
  // Gives the file the old one's permission bits and, where allowed, its owner and group (a
  // change of owner that is not permitted is skipped; a change of mode that fails is reported).
  [[nodiscard]] virtual bool SetAccess(const FileAccess& access) = 0;
  // Waits until the data is on the device (fsync).
  [[nodiscard]] virtual bool Sync() = 0;
  // Releases the handle; false when the system reports a failure (a late write error). The handle
  // is released either way.
  [[nodiscard]] virtual bool Close() = 0;
};

class FileStore {
 public:
  virtual ~FileStore() = default;

  // The POSIX implementation; lives for the whole process.
  static FileStore* Default();

  // All bytes of the file at path, following symbolic links. A directory, FIFO or device fails
  // with ERROR_ACCESS_DENIED (never blocking on it), a missing file with ERROR_FILE_NOT_FOUND or
  // ERROR_PATH_NOT_FOUND, a file larger than the physical memory or one whose bytes cannot be
  // allocated with ERROR_NOT_ENOUGH_MEMORY. Never throws.
  [[nodiscard]] virtual bool ReadWholeFile(const std::string& path, std::string* bytes) = 0;
  // The same bytes in one block from malloc, which the caller frees (null for an empty file): a
  // list of a hundred megabytes is then read without a copy. This default reads through
  // ReadWholeFile, so that a wrapper that overrides that call sees this one too; a wrapper does
  // not forward it. Never throws.
  [[nodiscard]] virtual bool ReadWholeFileBlock(const std::string& path, void** block,
                                                std::size_t* size);

  // Permission bits, owner and group of the regular file at path. A symbolic link is not
  // followed: it fails with ERROR_INVALID_PARAMETER (a link's target may lie anywhere and belong
  // to anyone, so a file replacing the link takes nothing from it).
  [[nodiscard]] virtual bool GetAccess(const std::string& path, FileAccess* access) = 0;

  // Creates a new file in dir (ending in '/') with a name that begins with prefix and does not
  // exist yet, with the permission bits the process's umask leaves of 0666. *path receives its
  // full path. Null on failure.
  [[nodiscard]] virtual std::unique_ptr<WritableFile> CreateTemporary(const std::string& dir,
                                                                      const std::string& prefix,
                                                                      std::string* path) = 0;

  // Renames from over to in one step (rename(2)); to may exist and is then replaced.
  [[nodiscard]] virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Renames from to to in one step only when nothing is at to (renameat2 with RENAME_NOREPLACE,
  // or link and unlink on a file system without it): ERROR_FILE_EXISTS when something is there,
  // however late it came. Two writers that both found to missing cannot both succeed.
  [[nodiscard]] virtual bool RenameNoReplace(const std::string& from, const std::string& to) = 0;
  // Removes the temporary files a replacement of a file in dir left behind when its process was
  // killed: names prefix + "<pid>-<n>-<random>.tmp" (as CreateTemporary makes them for that
  // prefix) whose process no longer runs. A file of a save in progress elsewhere is left alone.
  virtual void RemoveStaleTemporaries(const std::string& dir, const std::string& prefix) = 0;
  [[nodiscard]] virtual bool Remove(const std::string& path) = 0;
  // Flushes the directory itself, so that a rename in it survives a crash.
  [[nodiscard]] virtual bool SyncDirectory(const std::string& dir) = 0;
  // Gives the owner write permission (the "read-only" attribute cleared), keeping the other bits.
  [[nodiscard]] virtual bool MakeWritable(const std::string& path) = 0;
};

// Forwards every call to a target store that it does not own. Tests derive from it and override
// the calls they want to fail or observe.
class FileStoreWrapper : public FileStore {
 public:
  explicit FileStoreWrapper(FileStore* target) : target_(target) {}
  FileStore* target() const { return target_; }

  bool ReadWholeFile(const std::string& path, std::string* bytes) override {
    return target_->ReadWholeFile(path, bytes);
  }
  bool GetAccess(const std::string& path, FileAccess* access) override {
    return target_->GetAccess(path, access);
  }
  std::unique_ptr<WritableFile> CreateTemporary(const std::string& dir, const std::string& prefix,
                                                std::string* path) override {
    return target_->CreateTemporary(dir, prefix, path);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return target_->Rename(from, to);
  }
  bool RenameNoReplace(const std::string& from, const std::string& to) override {
    return target_->RenameNoReplace(from, to);
  }
  void RemoveStaleTemporaries(const std::string& dir, const std::string& prefix) override {
    target_->RemoveStaleTemporaries(dir, prefix);
  }
  bool Remove(const std::string& path) override { return target_->Remove(path); }
  bool SyncDirectory(const std::string& dir) override { return target_->SyncDirectory(dir); }
  bool MakeWritable(const std::string& path) override { return target_->MakeWritable(path); }

 private:
  FileStore* target_;
};

// Forwarding form of a writable file, owning what it wraps.
class WritableFileWrapper : public WritableFile {
 public:
  explicit WritableFileWrapper(std::unique_ptr<WritableFile> target) : target_(std::move(target)) {}
  bool Write(const void* bytes, std::size_t length) override {
    return target_->Write(bytes, length);
  }
  bool SetAccess(const FileAccess& access) override { return target_->SetAccess(access); }
  bool Sync() override { return target_->Sync(); }
  bool Close() override { return target_->Close(); }

 private:
  std::unique_ptr<WritableFile> target_;
};

// Replaces the contents of the file at path with the pieces, one after the other, so that at every
// moment path holds either the complete old contents or the complete new ones: the bytes go to a
// temporary file in the same directory, which gets the old file's permission bits (and owner, where
// allowed), is flushed to the device and then renamed over path; the directory is flushed last. A
// symbolic link at path is replaced itself, never written through: the file it points to stays as
// it was. On failure the temporary file is removed, the old file is untouched, and the last error
// tells what failed.
[[nodiscard]] bool ReplaceFileContents(FileStore& store, const std::string& path,
                                       std::span<const std::span<const BYTE>> pieces);

// As ReplaceFileContents, but path must not exist: the file is created in one step, and whatever
// appeared at path meanwhile (another program's list) is kept and the call fails with
// ERROR_FILE_EXISTS. The check and the creation are one step, so it cannot be raced.
[[nodiscard]] bool CreateFileContents(FileStore& store, const std::string& path,
                                      std::span<const std::span<const BYTE>> pieces);

// Whether a file name (the last component) is one that a replacement's temporary file has:
// "." + the target's name + "." + "<pid>-<n>-<6 hex digits>.tmp". Such a file is never part of a
// tree the program lists. Wide text, as the document holds names.
[[nodiscard]] bool IsTemporaryFileName(std::wstring_view name);

}  // namespace platform
