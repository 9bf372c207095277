// CVemoEntry: the document's record of one file or directory. It holds the state listed in the
// document (m_stored) and the state found on disk in the current pass (m_current) side by side; the
// flag word (entry_flags.h) says which of them exist, what is in progress and how they differ.
//
// Ownership and threads: the document owns its entries (in its key map, looked up by m_pszKey) and
// calls every operation on its user-interface thread; workers never touch entries. Each entry owns
// its key: a separate allocation, or for entries made in an arena (CreateInArena) the bytes right
// behind the entry in the same storage. Not copyable: an entry lives at one address. Entries made
// with new live in storage of entry_arena.h and are deleted as usual.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "document/entries/entry_arena.h"
#include "document/entries/entry_flags.h"
#include "platform/win_types.h"
#include "records/file_state.h"
#include "records/letter_case.h"
#include "records/lookup_key.h"
#include "records/record.h"
#include "records/scan_entry.h"
#include "records/shared_text.h"

class CVemoEntry : public CVemoRecord {
 public:
  // An item found on disk that the document does not list: found state and directories, drive type,
  // error and key case taken over, key copied; flags EF_FOUND only.
  explicit CVemoEntry(const CVemoScanEntry& found);
  // An item read from a document line: the stored state gets the name and attributes, the key is
  // built from it; flags, drive type and error start at 0. The reader fills in size, time and
  // checksums and then sets the flags to EF_LISTED.
  CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring name, DWORD attributes,
             KeyCase keyCase);
  // The same, with the key built from keyPrefix == BuildEntryKeyPrefix(baseDir, relDir, keyCase)
  // (entry_key.h): readers of many lines work the prefix out once per directory.
  CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring name, DWORD attributes,
             KeyCase keyCase, std::string_view keyPrefix);
  // The entry of the constructor above, made in `arena` together with its key (the heap serves
  // when the arena cannot). Throws std::bad_alloc when memory runs out.
  [[nodiscard]] static std::unique_ptr<CVemoEntry> CreateInArena(
      CVemoEntryArena& arena, SharedText baseDir, SharedText relDir, std::wstring_view name,
      DWORD attributes, KeyCase keyCase, std::string_view keyPrefix);
  CVemoEntry(const CVemoEntry&) = delete;
  CVemoEntry& operator=(const CVemoEntry&) = delete;
  ~CVemoEntry() override;

  static void* operator new(std::size_t bytes) { return AllocateEntryStorage(bytes); }
  static void operator delete(void* storage) noexcept { ReleaseEntryStorage(storage); }

  [[nodiscard]] const char* GetRuntimeClassName() const override { return "CVemoEntry"; }

  // --- Queries ---
  // The found state if EF_FOUND is set, otherwise the listed one.
  [[nodiscard]] const FileState& GetCurrentState() const {
    return (m_dwFlags & EF_FOUND) ? m_current : m_stored;
  }
  // Base directory + relative directory + name of GetCurrentState.
  [[nodiscard]] std::wstring GetEntryPath() const;
  [[nodiscard]] ULONGLONG GetSize() const { return GetCurrentState().size; }
  [[nodiscard]] DWORD GetAttributes() const { return GetCurrentState().attributes; }
  [[nodiscard]] bool IsDirectory() const { return GetCurrentState().IsDirectory(); }
  // The state a save writes and the commit after it lists: the found one, except that a listed
  // entry whose contents could not be read keeps its listed state, so that a read error never
  // replaces the listed checksums by unknown ones.
  [[nodiscard]] const FileState& GetSavedState() const {
    return (m_dwError != 0 && (m_dwFlags & EF_LISTED)) ? m_stored : m_current;
  }
  [[nodiscard]] bool HasChildren() const {
    return ULONGLONG{m_stored.nChildCount} + m_current.nChildCount > 0;
  }
  // True when the bits of `mask` equal those of `value`.
  [[nodiscard]] bool TestFlags(DWORD mask, DWORD value) const {
    return (m_dwFlags & mask) == (mask & value);
  }
  // List-view presentation of column 0..6 (Name, Ext, Size, Date, Attr, CRC, Note); see
  // entry_columns.h.
  [[nodiscard]] std::wstring GetColumnText(int column) const;
  [[nodiscard]] int GetColumnImage(int column) const;
  [[nodiscard]] int GetColumnState(int column) const;

  // --- Updates ---
  // Sets the bits of `mask` to those of `value`; true if the flag word changed.
  bool SetFlags(DWORD mask, DWORD value);
  // Takes over what a rescan found for this item. False, changing nothing, when the record belongs
  // to another base or relative directory. `needsChecksum` tells whether the contents must be read
  // again (NeedsChecksum); it is set only when the result is true.
  [[nodiscard]] bool ApplyScanRecord(const CVemoScanEntry& scan, bool& needsChecksum);
  // The listed checksums stand for the current ones (a Rescan New that need not read the file).
  void AssumeCrcUnchanged();
  // A checksum result of the worker: error code and both checksums. True if any of them differs
  // from what the entry held.
  bool ApplyCrcResult(DWORD error, DWORD crc1, DWORD crc2);
  // After a save: the saved state (GetSavedState) becomes the listed one. True if the entry was
  // found; false means the entry is not on disk and is to be removed.
  bool AcceptCurrent();
  // End of a scan: an entry the scan did not report loses its found state. True if the entry stays
  // (found or listed), false if it is to be removed.
  bool FinishScan();
  void AddChild() { ++m_stored.nChildCount; }
  // Recomputes the difference bits EF_COMPARE_MASK (compare_rules.h).
  void Recompare();

  SharedText m_strBaseDir;  // base directory, ends in '/'
  SharedText m_strRelDir;   // relative directory: empty, or ends in '/'
  FileState m_stored;       // as listed in the document (valid with EF_LISTED)
  FileState m_current;      // as found in this pass (valid with EF_FOUND)
  DWORD m_nDriveType = 0;   // drive type of the latest scan record
  DWORD m_dwError = 0;      // Windows error of the last failure to read the file, 0 = none
  DWORD m_dwFlags = 0;      // EF_ flags
  KeyCase m_keyCase = KeyCase::kExact;  // how names match: the key, the case note, the directories
  LookupKey m_pszKey;                   // lookup key; null only when memory ran out

 private:
  struct WithoutKey {};
  struct KeyInPlace {};
  // Directories, name, attributes and key case of an entry read from a line; the key comes after.
  CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring_view name, DWORD attributes,
             KeyCase keyCase, WithoutKey);
  // The key is written right behind the entry, where CreateInArena made room for it.
  CVemoEntry(SharedText baseDir, SharedText relDir, std::wstring_view name, DWORD attributes,
             KeyCase keyCase, std::string_view keyPrefix, KeyInPlace);
};
