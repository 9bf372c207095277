// Letter case of entry names. Volumes that fold case (vfat, exfat, ntfs, cifs/smb, iso9660) treat
// Readme.txt and README.TXT as one file, so a document of such a tree matches names regardless of
// case; everywhere else two names differing only in case are two files. The mode is chosen once per
// document from its base directory and carried by every record and key built for it.
#pragma once
#include <cstdint>
#include <string_view>

enum class KeyCase : std::uint8_t {
  kExact = 0,  // names match only as written (the usual Linux file systems)
  kFold = 1,   // names match regardless of letter case (upper-cased in keys)
};

// Simple Unicode upper-casing, independent of the process locale. Characters without an upper-case
// form, and the U+DC80..U+DCFF stand-ins for bytes that are not UTF-8, come back unchanged.
// Thread-safe.
[[nodiscard]] wchar_t FoldNonAsciiLetterCase(wchar_t c);
[[nodiscard]] inline wchar_t FoldLetterCase(wchar_t c) {
  if (c >= 0x80) return FoldNonAsciiLetterCase(c);
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

// Equal as written (kExact) or after FoldLetterCase of every character (kFold).
[[nodiscard]] bool TextEquals(std::wstring_view a, std::wstring_view b, KeyCase mode);
