// Lookup keys: the narrow byte string that identifies a file or directory inside one document and
// orders the document's entries. Built from the relative directory and the name; the base
// directory, which every item of a document shares, would only repeat the same bytes in front of
// every key (a million times), so the builders take it and leave it out:
//
//   - every '/' becomes the byte 0x01, and a file gets one more 0x01 in front of its name, so a
//     file and a directory of the same name never share a key and the items of one directory sort
//     together, before any deeper one;
//   - with KeyCase::kFold every letter is upper-cased first (FoldLetterCase);
//   - text becomes UTF-8, except the stand-ins U+DC80..U+DCFF, which become the single bytes 0x80..
//     0xFF they stand for, so a name that is not UTF-8 keeps its own bytes and its own key;
//   - the bytes 0x01 and 0x02 inside a name (legal on Linux) are written as 0x02 0x03 and 0x02
//   0x04,
//     so no name can imitate a separator and distinct items always have distinct keys.
//
// Keys are compared as byte strings (strcmp). The builders give them as owned LookupKeys (null only
// when memory runs out). Thread-safe.
#pragma once
#include <string>
#include <string_view>

#include "records/entry_name.h"
#include "records/letter_case.h"
#include "records/lookup_key.h"

// Key of the item `name` (a directory when `isDirectory`) lying in baseDir + relDir. baseDir ends
// in '/', relDir is empty or ends in '/'.
[[nodiscard]] LookupKey BuildEntryKey(std::wstring_view baseDir, std::wstring_view relDir,
                                      std::wstring_view name, bool isDirectory, KeyCase mode);

// Key of the directory baseDir + relPath, where relPath ("a/b/" or "a/b") is not empty: the key
// its own entry has, which is how the entries inside it find their parent.
[[nodiscard]] LookupKey BuildDirectoryKey(std::wstring_view baseDir, std::wstring_view relPath,
                                          KeyCase mode);

// The bytes every key of an item in baseDir + relDir begins with (no terminator). Worked out once
// per directory, it spares BuildEntryKeyWithPrefix the encoding of both directories for every
// item. Throws std::bad_alloc when memory runs out.
[[nodiscard]] std::string BuildEntryKeyPrefix(std::wstring_view baseDir, std::wstring_view relDir,
                                              KeyCase mode);

// The same key as BuildEntryKey(baseDir, relDir, name, isDirectory, mode), given
// prefix == BuildEntryKeyPrefix(baseDir, relDir, mode).
[[nodiscard]] LookupKey BuildEntryKeyWithPrefix(std::string_view prefix, std::wstring_view name,
                                                bool isDirectory, KeyCase mode);
// The same for a name held as an EntryName: a plain ASCII name is copied as it stands, without
// making its wide text.
[[nodiscard]] LookupKey BuildEntryKeyWithPrefix(std::string_view prefix, const EntryName& name,
                                                bool isDirectory, KeyCase mode);

// The bytes of that key without its terminator, and the key written with its terminator into
// `out`, which has room for EntryKeySizeWithPrefix(...) + 1 bytes: for keys stored in place.
// Writing returns the position of the terminator.
[[nodiscard]] std::size_t EntryKeySizeWithPrefix(std::string_view prefix, std::wstring_view name,
                                                 bool isDirectory, KeyCase mode);
char* WriteEntryKeyWithPrefix(char* out, std::string_view prefix, std::wstring_view name,
                              bool isDirectory, KeyCase mode);
