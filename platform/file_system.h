// The file-system services the scanner and the checksum worker use, behind one interface so that a
// test can put a FileSystemWrapper subclass in front of the real one and fail exactly the call it
// wants (a listing step, a read, a close) with a Windows error code.
//
// Paths and names are native byte strings (any bytes but '/' and NUL in a name); converting them
// to wide text is the caller's business. Every failing call returns false or null and leaves a
// Windows error code as the calling thread's last error (platform::LastError).
//
// Thread safety: FileSystem objects may be used from any thread at once; a listing or an open
// file belongs to one thread at a time.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "platform/file_attributes.h"
#include "platform/win_types.h"

namespace platform {

// What an item of a listing is. kOther covers FIFOs, sockets and device files, which a tree walk
// must never open.
enum class ItemKind { kFile, kDirectory, kSymlink, kOther };

// One item of a directory listing, from lstat: a symbolic link describes the link itself.
struct DirectoryItem {
  std::string name;  // last path component, exact bytes
  ItemKind kind = ItemKind::kOther;
  ULONGLONG size = 0;        // 0 for directories; the target text's length for symbolic links
  ULONGLONG write_time = 0;  // 100 ns units since 1601-01-01 UTC; 0 for times before 1601
  DWORD attributes = 0;      // FILE_ATTRIBUTE_DIRECTORY, _READONLY, _HIDDEN, _REPARSE_POINT
};

// When the POSIX listing shares the lstat calls of a large directory with a helper thread: while a
// core stands idle (the default), always, or never. Process-wide; tests of the shared path set
// kAlways.
enum class ListingHelpers { kWhenIdle, kAlways, kNever };
void SetListingHelpers(ListingHelpers helpers);

// An open directory listing. Destroying it closes it (ignoring a close failure).
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // Fills *item with the next item; "." and ".." are left out, as are items that vanish between
  // the listing and their lstat. At the end returns false with last error ERROR_NO_MORE_FILES; on
  // failure false with the error's code. *item is unspecified after false.
  [[nodiscard]] virtual bool Next(DirectoryItem* item) = 0;
  // Releases the handle. False with the last error set if the system reports a failure; the
  // handle is released either way.
  [[nodiscard]] virtual bool Close() = 0;
};

// A file open for reading. Destroying it closes it (ignoring a close failure).
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's size, measured when it was opened.
  [[nodiscard]] virtual bool GetSize(ULONGLONG* size) = 0;
  // Reads up to length bytes at the file position; *bytes_read is 0 at the end of the file.
  // A failure maps its errno as a read (EIO gives ERROR_READ_FAULT).
  [[nodiscard]] virtual bool Read(void* buffer, std::size_t length, std::size_t* bytes_read) = 0;
  // Whether ReadAt works on this file; this default says no.
  [[nodiscard]] virtual bool SupportsReadAt() const { return false; }
  // Reads up to length bytes at offset without moving the file position, as Read does otherwise;
  // several threads may call it at once on one file. This default: false with ERROR_NOT_SUPPORTED.
  [[nodiscard]] virtual bool ReadAt(ULONGLONG offset, void* buffer, std::size_t length,
                                    std::size_t* bytes_read);
  // The file's size and last-write time now (100 ns units since 1601, 0 for a time out of
  // range), measured on the open file, so that a reader can tell whether the file changed while it
  // was read. This default knows nothing: false with ERROR_NOT_SUPPORTED.
  [[nodiscard]] virtual bool GetWriteState(ULONGLONG* size, ULONGLONG* write_time);
  // Releases the handle; as DirectoryListing::Close.
  [[nodiscard]] virtual bool Close() = 0;
};

enum class AccessPattern { kNormal, kSequential };

// A directory held open, so that the files inside it are opened by name alone instead of walking
// the whole path again for each (openat). Destroying it releases it.
//
// It is also the root of a tree that nothing may leave: the directories below it are reached by
// their relative paths ("a/b/", components separated and optionally ended by '/', "" for the
// directory itself) without following a symbolic link in any component. A directory replaced by
// a link (to /etc, say) between a walk and a read is therefore an error there
// (ERROR_CANT_RESOLVE_FILENAME, or ERROR_PATH_NOT_FOUND), never the directory the link names.
class DirectoryHandle {
 public:
  virtual ~DirectoryHandle() = default;
  // FileSystem::OpenForRead and ReadLink for the item `name` inside the directory.
  [[nodiscard]] virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& name,
                                                                  AccessPattern pattern) = 0;
  [[nodiscard]] virtual bool ReadLink(const std::string& name, std::string* target) = 0;
  // The directory at relative path below this one, held open in turn; null with the last error
  // set when it cannot be reached as described above.
  [[nodiscard]] virtual std::unique_ptr<DirectoryHandle> OpenSubdirectory(
      const std::string& relative) = 0;
  // FileSystem::OpenListing of the directory at relative path below this one, reached as
  // described above.
  [[nodiscard]] virtual std::unique_ptr<DirectoryListing> OpenListing(
      const std::string& relative) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The POSIX implementation; lives for the whole process.
  static FileSystem* Default();

  // Opens the listing of a directory. A missing directory (or a path through a non-directory)
  // fails with ERROR_PATH_NOT_FOUND, as a Windows listing of "dir\*.*" does.
  [[nodiscard]] virtual std::unique_ptr<DirectoryListing> OpenListing(const std::string& dir) = 0;

  // DRIVE_ type of the volume that holds path (from statfs): CD/DVD file systems DRIVE_CDROM,
  // network ones DRIVE_REMOTE, memory ones DRIVE_RAMDISK, a missing path DRIVE_NO_ROOT_DIR,
  // everything else DRIVE_FIXED. Sets no last error.
  [[nodiscard]] virtual UINT GetDriveType(const std::string& path) = 0;

  // Whether the volume that holds path treats names that differ only in letter case as one
  // (vfat, exfat, ntfs, cifs/smb, iso9660). False when path is missing. Sets no last error.
  [[nodiscard]] virtual bool FoldsLetterCase(const std::string& path) = 0;

  // Opens a regular file for reading without following a final symbolic link and without
  // blocking on special files: a symbolic link fails with ERROR_CANT_RESOLVE_FILENAME, a
  // directory, FIFO, socket or device with ERROR_ACCESS_DENIED. kSequential tells the kernel to
  // read ahead aggressively (files within its default read-ahead window need no hint).
  [[nodiscard]] virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& path,
                                                                  AccessPattern pattern) = 0;

  // The target text of a symbolic link, as stored. Fails with ERROR_INVALID_PARAMETER when path
  // is not a symbolic link.
  [[nodiscard]] virtual bool ReadLink(const std::string& path, std::string* target) = 0;

  // Holds the directory dir (ending in '/') open for opening the files inside it by name, and the
  // directories below it by relative path. dir itself is opened as given (symbolic links in it
  // followed: it is the directory the user named). The default handle opens nothing itself: it
  // joins dir, the relative path and the name and calls this file system's OpenForRead, ReadLink
  // and OpenListing, so a wrapper that overrides those still sees every call (and does not guard
  // against links). The POSIX one opens the directory once (O_PATH), its files with openat and
  // the directories below with openat2 (RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS), or component by
  // component with O_NOFOLLOW where the kernel lacks it; null with the last error set when the
  // directory cannot be opened. A handle keeps naming the
  // directory it opened even when that is renamed or replaced meanwhile.
  [[nodiscard]] virtual std::unique_ptr<DirectoryHandle> OpenDirectory(const std::string& dir);
};

// Forwards every call to a target file system that it does not own. Tests derive from it and
// override the calls they want to fail or observe.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem* target) : target_(target) {}

  FileSystem* target() const { return target_; }

  std::unique_ptr<DirectoryListing> OpenListing(const std::string& dir) override {
    return target_->OpenListing(dir);
  }
  UINT GetDriveType(const std::string& path) override { return target_->GetDriveType(path); }
  bool FoldsLetterCase(const std::string& path) override { return target_->FoldsLetterCase(path); }
  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path,
                                            AccessPattern pattern) override {
    return target_->OpenForRead(path, pattern);
  }
  bool ReadLink(const std::string& path, std::string* target) override {
    return target_->ReadLink(path, target);
  }

 private:
  FileSystem* target_;
};

// Forwarding forms of a listing and an open file, owning what they wrap, for the same purpose.
class DirectoryListingWrapper : public DirectoryListing {
 public:
  explicit DirectoryListingWrapper(std::unique_ptr<DirectoryListing> target)
      : target_(std::move(target)) {}
  bool Next(DirectoryItem* item) override { return target_->Next(item); }
  bool Close() override { return target_->Close(); }

 private:
  std::unique_ptr<DirectoryListing> target_;
};

class ReadableFileWrapper : public ReadableFile {
 public:
  explicit ReadableFileWrapper(std::unique_ptr<ReadableFile> target) : target_(std::move(target)) {}
  bool GetSize(ULONGLONG* size) override { return target_->GetSize(size); }
  bool Read(void* buffer, std::size_t length, std::size_t* bytes_read) override {
    return target_->Read(buffer, length, bytes_read);
  }
  bool SupportsReadAt() const override { return target_->SupportsReadAt(); }
  bool ReadAt(ULONGLONG offset, void* buffer, std::size_t length,
              std::size_t* bytes_read) override {
    return target_->ReadAt(offset, buffer, length, bytes_read);
  }
  bool GetWriteState(ULONGLONG* size, ULONGLONG* write_time) override {
    return target_->GetWriteState(size, write_time);
  }
  bool Close() override { return target_->Close(); }

 private:
  std::unique_ptr<ReadableFile> target_;
};

}  // namespace platform
