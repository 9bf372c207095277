// Helpers for the entry tests (beside those of records/file_state_fixture.h): the tolerance
// settings held for one test, and entries brought into a listed/found state the way the document
// does it.
#pragma once
#include <memory>
#include <string>

#include "document/entries/entry.h"
#include "foundation/process_values.h"
#include "records/file_state_fixture.h"
#include "records/scan_entry.h"

namespace records_test {

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
