// Helpers for the record tests: time stamps from calendar seconds, the tolerance settings held for
// one test, and entries brought into a listed/found state the way the document does it.
#pragma once
#include <memory>
#include <string>

#include "document/entries/entry.h"
#include "foundation/process_values.h"
#include "records/scan_entry.h"

namespace records_test {

// 2024-03-14 10:00:00 UTC plus `seconds`.
inline CNTimeStamp At(long long seconds, ULONGLONG fraction = 0) {
  constexpr long long kBase = 1710410400LL + 11644473600LL;  // Unix time + 1601..1970 offset
  return CNTimeStamp(static_cast<ULONGLONG>(kBase + seconds) * 10'000'000ULL + fraction);
}

inline constexpr DWORD kDriveFixed = 3;
inline constexpr DWORD kDriveCd = 5;
inline constexpr DWORD kArchive = 0x20;

// Sets the three tolerances for the lifetime of the object and restores them after.
class Tolerances {
 public:
  Tolerances(bool tzShift, bool twoSeconds, bool cdAttr)
      : tz_(TolTZShift.exchange(tzShift)),
        two_(Tol2Seconds.exchange(twoSeconds)),
        cd_(TolARAttrOnCD.exchange(cdAttr)) {}
  ~Tolerances() {
    TolTZShift = tz_;
    Tol2Seconds = two_;
    TolARAttrOnCD = cd_;
  }

 private:
  std::uint32_t tz_, two_, cd_;
};

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

inline const wchar_t* kBase = L"/data/tree/";

// An entry as the reader makes it from a document line.
inline std::unique_ptr<CVemoEntry> Listed(const FileState& stored, const wchar_t* rel = L"sub/",
                                          KeyCase mode = KeyCase::kExact) {
  auto e = std::make_unique<CVemoEntry>(kBase, rel, stored.name, stored.attributes, mode);
  e->m_stored.size = stored.size;
  e->m_stored.time = stored.time;
  e->m_stored.dwCrc1 = stored.dwCrc1;
  e->m_stored.dwCrc2 = stored.dwCrc2;
  e->m_dwFlags = EF_LISTED;
  return e;
}

inline CVemoScanEntry Scanned(const FileState& found, const wchar_t* rel = L"sub/",
                              DWORD drive = kDriveFixed, KeyCase mode = KeyCase::kExact) {
  return CVemoScanEntry(found, kBase, rel, drive, mode);
}

// A listed entry taken through one full verification pass: awaiting the scan, scanned, read,
// checksummed with the found state's checksums (or `error`).
inline std::unique_ptr<CVemoEntry> Verified(const FileState& stored, const FileState& found,
                                            DWORD drive = kDriveFixed,
                                            KeyCase mode = KeyCase::kExact, DWORD error = 0) {
  auto e = Listed(stored, L"sub/", mode);
  e->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN);
  bool needsChecksum = false;
  if (!e->ApplyScanRecord(Scanned(found, L"sub/", drive, mode), needsChecksum)) return nullptr;
  e->SetFlags(EF_CRC_PENDING, EF_CRC_PENDING);
  e->SetFlags(EF_AWAITING_SCAN, 0);
  e->ApplyCrcResult(error, found.dwCrc1, found.dwCrc2);
  return e;
}

}  // namespace records_test
