// Helpers for tests of records: time stamps from calendar seconds, the usual drive types and
// attributes, and file states made in one call.
#pragma once
#include <string>

#include "records/file_state.h"

namespace records_test {

// 2024-03-14 10:00:00 UTC plus `seconds`.
inline CNTimeStamp At(long long seconds, ULONGLONG fraction = 0) {
  constexpr long long kEpoch = 1710410400LL + 11644473600LL;  // Unix time + 1601..1970 offset
  return CNTimeStamp(static_cast<ULONGLONG>(kEpoch + seconds) * 10'000'000ULL + fraction);
}

inline constexpr DWORD kDriveFixed = 3;
inline constexpr DWORD kDriveCd = 5;
inline constexpr DWORD kArchive = 0x20;

inline FileState File(std::wstring name, ULONGLONG size = 100, CNTimeStamp time = At(0),
                      DWORD attributes = kArchive, DWORD crc1 = 0x1111, DWORD crc2 = 0x2222) {
  FileState s;
  s.name = std::move(name);
  s.size = size;
  s.time = time;
  s.attributes = attributes;
  s.dwCrc1 = crc1;
  s.dwCrc2 = crc2;
  return s;
}

}  // namespace records_test
