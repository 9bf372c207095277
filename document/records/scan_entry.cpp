#include "document/records/scan_entry.h"

#include <cstdlib>
#include <utility>

#include "document/records/entry_key.h"

namespace {

// What a scan records of an item: its time in whole seconds, no children counted, no checksums.
FileState AsScanned(FileState state) {
  state.time = TruncateToSecond(state.time);
  state.nChildCount = 0;
  state.dwCrc1 = kNoCrc;
  state.dwCrc2 = kNoCrc;
  return state;
}

}  // namespace

CVemoScanEntry::CVemoScanEntry(FileState found, SharedText baseDir, SharedText relDir,
                               DWORD driveType, KeyCase keyCase)
    : m_strBaseDir(std::move(baseDir)),
      m_strRelDir(std::move(relDir)),
      m_state(AsScanned(std::move(found))),
      m_nDriveType(driveType),
      m_keyCase(keyCase) {
  m_pszKey = BuildEntryKey(m_strBaseDir.view(), m_strRelDir.view(), m_state.name,
                           m_state.IsDirectory(), m_keyCase);
}

CVemoScanEntry::CVemoScanEntry(FileState found, SharedText baseDir, SharedText relDir,
                               DWORD driveType, KeyCase keyCase, std::string_view keyPrefix)
    : m_strBaseDir(std::move(baseDir)),
      m_strRelDir(std::move(relDir)),
      m_state(AsScanned(std::move(found))),
      m_nDriveType(driveType),
      m_keyCase(keyCase) {
  m_pszKey = BuildEntryKeyWithPrefix(keyPrefix, m_state.name, m_state.IsDirectory(), m_keyCase);
}

CVemoScanEntry::CVemoScanEntry(DWORD error, SharedText baseDir, SharedText relDir, DWORD driveType)
    : m_strBaseDir(std::move(baseDir)),
      m_strRelDir(std::move(relDir)),
      m_state(EmptyFileState()),
      m_nDriveType(driveType),
      m_dwError(error) {}

CVemoScanEntry::CVemoScanEntry(CVemoScanEntry&& other) noexcept
    : CVemoRecord(other),
      m_strBaseDir(std::move(other.m_strBaseDir)),
      m_strRelDir(std::move(other.m_strRelDir)),
      m_state(std::move(other.m_state)),
      m_pszKey(std::exchange(other.m_pszKey, nullptr)),
      m_nDriveType(other.m_nDriveType),
      m_dwError(other.m_dwError),
      m_keyCase(other.m_keyCase) {}

CVemoScanEntry& CVemoScanEntry::operator=(CVemoScanEntry&& other) noexcept {
  if (this != &other) {
    m_strBaseDir = std::move(other.m_strBaseDir);
    m_strRelDir = std::move(other.m_strRelDir);
    m_state = std::move(other.m_state);
    std::free(m_pszKey);
    m_pszKey = std::exchange(other.m_pszKey, nullptr);
    m_nDriveType = other.m_nDriveType;
    m_dwError = other.m_dwError;
    m_keyCase = other.m_keyCase;
  }
  return *this;
}

CVemoScanEntry::~CVemoScanEntry() { std::free(m_pszKey); }
