#include "records/scan_entry.h"

#include <cstdlib>
#include <utility>

#include "records/entry_key.h"

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
  m_pszKey = BuildEntryKey(m_strBaseDir.view(), m_strRelDir.view(), m_state.name.str(),
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
