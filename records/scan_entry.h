// CVemoScanEntry: one item as the directory scanner found it, or the error record of a walk that
// failed. Built on the scanner's thread and handed over, with its list, to the document's thread;
// it never points into document data. Owns its key. Movable, not copyable.
#pragma once
#include <string_view>

#include "platform/win_types.h"
#include "records/file_state.h"
#include "records/letter_case.h"
#include "records/lookup_key.h"
#include "records/record.h"
#include "records/shared_text.h"

class CVemoScanEntry : public CVemoRecord {
 public:
  // An item found on disk. `found` carries name, size, attributes and last-write time (UTC); the
  // time is cut to the whole second, the child count set to 0 (the scanner fills it in for
  // directories) and the checksums to none. `relDir` is empty or ends in '/'. The key is built with
  // `keyCase`; if memory for it runs out the key stays null (the record then matches no entry).
  CVemoScanEntry(FileState found, SharedText baseDir, SharedText relDir, DWORD driveType,
                 KeyCase keyCase);
  // The same, with the key built from keyPrefix == BuildEntryKeyPrefix(baseDir, relDir, keyCase)
  // (entry_key.h): the scanner works the prefix out once per directory.
  CVemoScanEntry(FileState found, SharedText baseDir, SharedText relDir, DWORD driveType,
                 KeyCase keyCase, std::string_view keyPrefix);
  // The error record of a failed walk: empty state, the Windows error code, no key.
  CVemoScanEntry(DWORD error, SharedText baseDir, SharedText relDir, DWORD driveType);

  CVemoScanEntry(CVemoScanEntry&& other) noexcept = default;
  CVemoScanEntry& operator=(CVemoScanEntry&& other) noexcept = default;
  CVemoScanEntry(const CVemoScanEntry&) = delete;
  CVemoScanEntry& operator=(const CVemoScanEntry&) = delete;
  ~CVemoScanEntry() override = default;

  [[nodiscard]] const char* GetRuntimeClassName() const override { return "CVemoScanEntry"; }
  [[nodiscard]] bool IsError() const { return m_dwError != 0; }

  SharedText m_strBaseDir;              // the document's base directory, as given to the scanner
  SharedText m_strRelDir;               // relative to the base: empty, or ending in '/'
  FileState m_state;                    // what the scanner saw
  LookupKey m_pszKey;                   // lookup key; null for error records
  DWORD m_nDriveType = 0;               // drive type of the volume (5 = CD-ROM)
  DWORD m_dwError = 0;                  // 0, or the Windows error code of an error record
  KeyCase m_keyCase = KeyCase::kExact;  // how the key treats letter case
};
