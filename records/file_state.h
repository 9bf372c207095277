// FileState: what one file or directory looked like at one moment (as listed in a document, or as
// found on disk). A plain value; every "no value" is marked by all ones, "no time" by time 0.
#pragma once
#include "foundation/time_stamp.h"
#include "platform/file_attributes.h"
#include "platform/win_types.h"
#include "records/entry_name.h"

inline constexpr ULONGLONG kNoSize = ~ULONGLONG{0};
inline constexpr DWORD kNoAttributes = ~DWORD{0};
inline constexpr DWORD kNoCrc = ~DWORD{0};

struct FileState {
  EntryName name;  // last path component, as the file system reports it
  ULONGLONG size = kNoSize;
  CNTimeStamp time;                  // last write, UTC; 0 = no time
  DWORD attributes = kNoAttributes;  // Windows attribute bits
  // Directories: files directly inside (scanned state) or entries directly inside (listed state).
  DWORD nChildCount = 0;
  DWORD dwCrc1 = kNoCrc;  // CRC-32 of the contents
  DWORD dwCrc2 = kNoCrc;  // the second checksum of the contents

  // Both checksums are known.
  [[nodiscard]] bool HasChecksums() const { return dwCrc1 != kNoCrc && dwCrc2 != kNoCrc; }
  [[nodiscard]] bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// The state every state starts from: empty name, no size, attributes, time or checksums. Built on
// first use; safe to read from any thread.
[[nodiscard]] const FileState& EmptyFileState();

// A file system time stamp cut down to the whole second (the scanner records no fractions).
[[nodiscard]] CNTimeStamp TruncateToSecond(const CNTimeStamp& time);

// The whole seconds of a time stamp (its 100 ns count divided down).
[[nodiscard]] constexpr LONGLONG WholeSeconds(const CNTimeStamp& time) {
  return static_cast<LONGLONG>(time.Value() / kTimeStampSecond);
}
