// ChecksumJob: one file whose contents the checksum worker is to read; the same record carries the
// result back to the document, which finds its entry again by the key.
//
// The file is named in native bytes: its directory, one text shared by the jobs of that
// directory, and its name. A path that no name on disk can carry is recorded instead as the error
// the conversion gave (path_error), which the worker reports as the job's result.
//
// Owns its key, name and any wide path. Created on the user-interface thread, owned by the worker's
// pending list, then by the worker thread while it reads, then by the finished list, and finally
// by whoever PopResult hands it to. The shared directory text never changes, so copies of it may be
// read and released on any thread.
#pragma once
#include <memory>
#include <string>

#include "platform/file_name_text.h"
#include "platform/win_types.h"
#include "records/lookup_key.h"

struct ChecksumJob {
  using SharedDir = std::shared_ptr<const std::string>;

  // Copies the key; a null key stays null.
  ChecksumJob(SharedDir file_dir, std::string file_name, const char* entry_key,
              ULONGLONG entry_size)
      : dir(std::move(file_dir)),
        name(std::move(file_name)),
        key(LookupKey::Copy(entry_key)),
        size(entry_size) {}
  // Takes the key over.
  ChecksumJob(SharedDir file_dir, std::string file_name, LookupKey entry_key, ULONGLONG entry_size)
      : dir(std::move(file_dir)),
        name(std::move(file_name)),
        key(std::move(entry_key)),
        size(entry_size) {}
  // The size and last-write time the scan saw (0: no time stamp, not compared). A file that no
  // longer has them once read changed after the scan or while it was read: its checksums would
  // not belong to the size and time the entry lists, so the job ends in ERROR_SHARING_VIOLATION.
  void SetScanState(ULONGLONG scan_size, ULONGLONG scan_time) {
    seen_size = scan_size;
    seen_time = scan_time;
    check_seen = true;
  }
  // A file whose wide path has no native form: conversion_error is its result.
  ChecksumJob(std::wstring wide_path, DWORD conversion_error, const char* entry_key,
              ULONGLONG entry_size)
      : unconvertible_path(std::make_unique<std::wstring>(std::move(wide_path))),
        key(LookupKey::Copy(entry_key)),
        size(entry_size),
        path_error(conversion_error) {}
  ChecksumJob(const ChecksumJob&) = delete;
  ChecksumJob& operator=(const ChecksumJob&) = delete;

  // The native full path.
  [[nodiscard]] std::string NativePath() const { return (dir ? *dir : std::string()) + name; }
  // The full path as wide text (the entry's GetEntryPath).
  [[nodiscard]] std::wstring Path() const {
    if (path_error != 0) return unconvertible_path ? *unconvertible_path : std::wstring();
    return platform::FileNameToWide(NativePath());
  }

  // Largest fields first, so that no padding lies between them: a pass holds one job per file.
  SharedDir dir;     // native directory, ending in '/'
  std::string name;  // native name inside it
  // The wide path of a path_error job; behind a pointer, as the ordinary job has none.
  std::unique_ptr<std::wstring> unconvertible_path;
  LookupKey key;  // copy of the entry's lookup key
  // The length of the base directory at the start of dir: the rest is reached below the base
  // without following links (DirectoryHandle::OpenSubdirectory). 0: dir is opened as it stands.
  std::size_t base_length = 0;
  ULONGLONG size;           // the entry's size when queued; the size measured on opening once read
  ULONGLONG seen_size = 0;  // SetScanState
  ULONGLONG seen_time = 0;
  DWORD path_error = 0;     // not 0: the path has no native form; this code is the result
  DWORD error = 0;          // 0, or the Windows error code of the failure
  DWORD crc1 = 0xFFFFFFFF;  // standard CRC-32 of the contents; all ones until computed
  DWORD crc2 = 0xFFFFFFFF;  // second checksum; all ones until computed
  bool check_seen = false;
};
