#include "document/entries/entry.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "document/entries/compare_rules.h"
#include "document/entries/entry_columns.h"
#include "records/entry_key.h"

namespace {

// The directories a record was made for; the same SharedText object in the usual case.
bool SameDir(const SharedText& a, const SharedText& b, KeyCase mode) {
  return a.SameObject(b) || TextEquals(a.view(), b.view(), mode);
}

}  // namespace

CVemoEntry::CVemoEntry(const CVemoScanEntry& found)
    : m_strBaseDir(found.m_strBaseDir),
      m_strRelDir(found.m_strRelDir),
      m_stored(EmptyFileState()),
      m_current(found.m_state),
      m_nDriveType(found.m_nDriveType),
      m_dwError(found.m_dwError),
      m_dwFlags(EF_FOUND),
      m_keyCase(found.m_keyCase),
      m_pszKey(LookupKey::Copy(found.m_pszKey)) {}

CVemoEntry::CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring_view name,
                       DWORD attributes, KeyCase keyCase, WithoutKey)
    : m_strBaseDir(std::move(baseDir)),
      m_strRelDir(std::move(relDir)),
      m_stored(EmptyFileState()),
      m_current(EmptyFileState()),
      m_keyCase(keyCase) {
  m_stored.name = EntryName(name);
  m_stored.attributes = attributes;
}

CVemoEntry::CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring name, DWORD attributes,
                       KeyCase keyCase)
    : CVemoEntry(std::move(baseDir), std::move(relDir), name, attributes, keyCase, WithoutKey{}) {
  m_pszKey = BuildEntryKey(m_strBaseDir.view(), m_strRelDir.view(), name, m_stored.IsDirectory(),
                           m_keyCase);
}

CVemoEntry::CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring name, DWORD attributes,
                       KeyCase keyCase, std::string_view keyPrefix)
    : CVemoEntry(std::move(baseDir), std::move(relDir), name, attributes, keyCase, WithoutKey{}) {
  m_pszKey = BuildEntryKeyWithPrefix(keyPrefix, name, m_stored.IsDirectory(), m_keyCase);
}

CVemoEntry::CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring_view name,
                       DWORD attributes, KeyCase keyCase, std::string_view keyPrefix, KeyInPlace)
    : CVemoEntry(std::move(baseDir), std::move(relDir), name, attributes, keyCase, WithoutKey{}) {
  // Released with the entry's storage.
  char* key = reinterpret_cast<char*>(this + 1);
  WriteEntryKeyWithPrefix(key, keyPrefix, name, m_stored.IsDirectory(), m_keyCase);
  m_pszKey = LookupKey::Borrow(key);
}

std::unique_ptr<CVemoEntry> CVemoEntry::CreateInArena(CVemoEntryArena& arena, SharedText baseDir,
                                                      SharedText relDir, std::wstring_view name,
                                                      DWORD attributes, KeyCase keyCase,
                                                      std::string_view keyPrefix) {
  static_assert(alignof(CVemoEntry) <= alignof(void*), "arena pieces are pointer-aligned");
  const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const std::size_t keyBytes = EntryKeySizeWithPrefix(keyPrefix, name, directory, keyCase) + 1;
  void* storage = arena.Allocate(sizeof(CVemoEntry) + keyBytes);
  if (storage == nullptr) {
    return std::make_unique<CVemoEntry>(std::move(baseDir), std::move(relDir), std::wstring(name),
                                        attributes, keyCase, keyPrefix);
  }
  // Only the name's block may fail to be made: the storage then goes back.
  try {
    return std::unique_ptr<CVemoEntry>(::new (storage) CVemoEntry(
        std::move(baseDir), std::move(relDir), name, attributes, keyCase, keyPrefix, KeyInPlace{}));
  } catch (...) {
    ReleaseEntryStorage(storage);
    throw;
  }
}

CVemoEntry::~CVemoEntry() = default;

std::wstring CVemoEntry::GetEntryPath() const {
  const EntryName& name = GetCurrentState().name;
  std::wstring path;
  path.reserve(m_strBaseDir.size() + m_strRelDir.size() + name.bytes().size());
  path.append(m_strBaseDir.str()).append(m_strRelDir.str());
  name.AppendTo(path);
  return path;
}

std::wstring CVemoEntry::GetColumnText(int column) const { return ::GetColumnText(*this, column); }
int CVemoEntry::GetColumnImage(int column) const { return ::GetColumnImage(*this, column); }
int CVemoEntry::GetColumnState(int column) const { return ::GetColumnState(*this, column); }

bool CVemoEntry::SetFlags(DWORD mask, DWORD value) {
  const DWORD flags = (m_dwFlags & ~mask) | (mask & value);
  if (flags == m_dwFlags) return false;
  m_dwFlags = flags;
  return true;
}

bool CVemoEntry::ApplyScanRecord(const CVemoScanEntry& scan, bool& needsChecksum) {
  if (!SameDir(m_strBaseDir, scan.m_strBaseDir, m_keyCase) ||
      !SameDir(m_strRelDir, scan.m_strRelDir, m_keyCase)) {
    return false;
  }
  m_nDriveType = scan.m_nDriveType;
  if (m_dwFlags & EF_FOUND) {
    // A second report of the same item keeps the checksums computed for the first.
    const DWORD crc1 = m_current.dwCrc1;
    const DWORD crc2 = m_current.dwCrc2;
    FileState found = scan.m_state;
    found.dwCrc1 = crc1;
    found.dwCrc2 = crc2;
    needsChecksum =
        NeedsChecksum((m_dwFlags & EF_LISTED) ? m_stored : m_current, found, m_nDriveType);
    m_current = std::move(found);
  } else {
    // The usual case: the current state is empty and the record's state is taken as it is.
    needsChecksum =
        NeedsChecksum((m_dwFlags & EF_LISTED) ? m_stored : m_current, scan.m_state, m_nDriveType);
    m_current = scan.m_state;
  }
  // The usual case: found under the listed name, which both states then share.
  if ((m_dwFlags & EF_LISTED) && m_current.name == m_stored.name) m_current.name = m_stored.name;
  m_dwFlags = (m_dwFlags & ~EF_AWAITING_SCAN) | EF_FOUND;
  Recompare();
  return true;
}

void CVemoEntry::AssumeCrcUnchanged() {
  m_current.dwCrc1 = m_stored.dwCrc1;
  m_current.dwCrc2 = m_stored.dwCrc2;
  m_dwFlags &= ~EF_CRC_CHANGED;
}

bool CVemoEntry::ApplyCrcResult(DWORD error, DWORD crc1, DWORD crc2) {
  const bool changed = error != m_dwError || crc1 != m_current.dwCrc1 || crc2 != m_current.dwCrc2;
  m_dwError = error;
  m_current.dwCrc1 = crc1;
  m_current.dwCrc2 = crc2;
  m_dwFlags &= ~EF_CRC_PENDING;
  Recompare();
  return changed;
}

bool CVemoEntry::AcceptCurrent() {
  if (!(m_dwFlags & EF_FOUND)) return false;
  if (&GetSavedState() != &m_stored) m_stored = m_current;
  m_dwFlags |= EF_LISTED;
  // The listed state is now the found one: differences of the old listing no longer hold.
  Recompare();
  return true;
}

bool CVemoEntry::FinishScan() {
  if (m_dwFlags & EF_AWAITING_SCAN) {
    m_dwFlags &= ~(EF_FOUND | EF_AWAITING_SCAN | EF_CRC_PENDING);
    m_current = EmptyFileState();
    m_dwError = 0;
    // Nothing left to compare with: the differences of an earlier pass no longer hold.
    Recompare();
  }
  return (m_dwFlags & (EF_FOUND | EF_LISTED)) != 0;
}

void CVemoEntry::Recompare() { ::Recompare(*this); }
