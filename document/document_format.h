// The text of a checksum document, line by line: the constants both directions share, how one
// entry becomes an entry line, and which entries the format can carry at all.
//
// On disk the text is UTF-8 with CR LF line ends. Relative directories are written with '\' as
// separator (as on Windows, so lists made there and here are interchangeable) and turned back into
// '/' when read. A name that is not UTF-8 holds its stray bytes as U+DC80..U+DCFF
// (platform/file_name_text.h); EncodeDocumentText writes those as the original bytes, and the
// reader gives them back (see import_thread.h), so such a name matches the same file again.
//
// Pure functions of their arguments (the time formatting reads the time zone only for the date
// header); any thread may call them on entries no other thread changes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "document/entries/entry.h"

inline constexpr char kSignatureMarker[] = "~ AutoSigned ";  // 13 bytes, trailing blank
inline constexpr std::size_t kSignatureMarkerLength = sizeof(kSignatureMarker) - 1;
inline constexpr wchar_t kIdentityFormat[] = L"; %p %g %V";
inline constexpr wchar_t kDateHeaderPrefix[] = L"% Date ";
inline constexpr wchar_t kDateHeaderFormat[] = L"%Y-%m-%d %H:%M:%S (GMT%G)";
inline constexpr wchar_t kSystemHeaderPrefix[] = L"@ System ";
inline constexpr wchar_t kPathHeaderPrefix[] = L"$ Path ";
inline constexpr wchar_t kEntryTimeFormat[] = L"%Y-%m-%d %H:%M:%S";
// The first comma of an entry line stands at this index (the size field is right-aligned).
inline constexpr std::size_t kSizeColumns = 13;
inline constexpr std::size_t kEntryFieldCount = 7;
// The time field of an entry without a time stamp.
inline constexpr std::wstring_view kNoTimeField = L"                   ";  // 19 blanks

// True when the entry's saved state (CVemoEntry::GetSavedState) can be written so that reading it
// back gives the same item and nothing else: a non-empty name without '/', CR, LF or NUL that is
// not "." or ".."; a relative directory whose components are such names and hold no '\' either (it
// would read back as a separator); and only characters that have bytes on disk (no surrogate
// outside U+DC80..U+DCFF, nothing above U+10FFFF). The writer leaves out every other entry.
[[nodiscard]] bool CanCarryEntry(const CVemoEntry& entry);

// The line of an entry's saved state (CVemoEntry::GetSavedState), without line end: seven
// QuoteField'ed fields joined by commas, padded in front so that the first comma stands at
// kSizeColumns. A size of 13 or more digits pushes the comma further and the line then begins with
// a digit.
[[nodiscard]] std::wstring FormatEntryLine(const CVemoEntry& entry);

// Appends the bytes EncodeDocumentText gives for FormatEntryLine(entry), without building the wide
// line or any string on the way. Returns true when every byte is below 0x80.
bool AppendEntryLineBytes(const CVemoEntry& entry, std::string& out);

// The relative directory field of entry lines, encoded once for all entries of a directory.
struct EncodedRelDir {
  bool carried = true;   // the directory part of CanCarryEntry
  bool sevenBit = true;  // every byte below 0x80
  std::string bytes;     // the field as AppendEntryLineBytes writes it
};
[[nodiscard]] EncodedRelDir EncodeRelDir(std::wstring_view relDir);

// CanCarryEntry and AppendEntryLineBytes for an entry whose relative directory is `relDir`.
[[nodiscard]] bool CanCarryEntry(const CVemoEntry& entry, const EncodedRelDir& relDir);
bool AppendEntryLineBytes(const CVemoEntry& entry, const EncodedRelDir& relDir, std::string& out);

// Whether a line of document bytes (without its line end) is one of the date, system or path
// header lines or the trailer: the lines by which a checksum list is told from any other text
// (the identity line is left out, since "; " begins the comments of many other formats).
[[nodiscard]] bool IsHeaderOrTrailerLine(std::string_view line);

// The time field text: kNoTimeField for the zero time stamp, otherwise kEntryTimeFormat.
[[nodiscard]] std::wstring FormatEntryTime(const CNTimeStamp& time);

// Appends the document bytes of text: UTF-8, except that U+DC80..U+DCFF become the single byte
// they stand for. Any other surrogate and values above U+10FFFF become U+FFFD (CanCarryEntry keeps
// them out of entry lines). Returns true when every character was below U+0080.
bool EncodeDocumentText(std::wstring_view text, std::string& out);

// Decodes one line of document bytes, the inverse of EncodeDocumentText: well-formed UTF-8 as
// usual, every byte of an ill-formed sequence as U+DC00 + byte. Replaces out.
void DecodeDocumentText(std::string_view bytes, std::wstring& out);
