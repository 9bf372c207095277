// ChecksumJob: one file whose contents the checksum worker is to read; the same record carries the
// result back to the document, which finds its entry again by the key.
//
// Owns its key (malloc) and path. Created on the user-interface thread, owned by the worker's
// pending list, then by the worker thread while it reads, then by the finished list, and finally
// by whoever PopResult hands it to.
#pragma once
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win_types.h"

struct ChecksumJob {
  // Copies the key; a null key stays null.
  ChecksumJob(std::wstring file_path, const char* entry_key, ULONGLONG entry_size)
      : path(std::move(file_path)),
        key(entry_key != nullptr ? strdup(entry_key) : nullptr),
        size(entry_size) {}
  ~ChecksumJob() { std::free(key); }
  ChecksumJob(const ChecksumJob&) = delete;
  ChecksumJob& operator=(const ChecksumJob&) = delete;

  std::wstring path;        // full path of the file (the entry's GetEntryPath)
  char* key;                // copy of the entry's lookup key
  ULONGLONG size;           // the entry's size when queued; the size measured on opening once read
  DWORD error = 0;          // 0, or the Windows error code of the failure
  DWORD crc1 = 0xFFFFFFFF;  // standard CRC-32 of the contents; all ones until computed
  DWORD crc2 = 0xFFFFFFFF;  // second checksum; all ones until computed
};
