// ParseEntryLine: turns one entry line of a checksum document back into a listed CVemoEntry.
//
// A line is an entry line when it begins with a blank or a digit and SplitFields gives exactly
// seven valid fields (size, two checksums, time, attributes, relative directory, name; see
// document_format.h). On top of the field rules, lines that cannot describe an item of the tree
// are refused: a name that is empty, "." or "..", or holds '/' or NUL; a relative directory with an
// empty, "." or ".." component (so no line reaches outside the base directory or imitates another
// item). Relative directories may use '\' or '/' as separator; in memory they use '/' and end in
// '/'.
//
// CVemoEntryLineReader keeps one SharedText per distinct relative directory, so the entries of a
// document share their directory texts, and with it the first bytes of the keys of its items, so
// only the name is encoded per line. One reader belongs to one thread.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "document/entries/entry.h"
#include "foundation/comma_field_splitter.h"

class CVemoEntryLineReader {
 public:
  // baseDir: absolute, ends in '/'; every entry gets it and keyCase. With an arena, the entries
  // are made in it (CVemoEntry::CreateInArena); it must outlive the reader's use, not the entries.
  CVemoEntryLineReader(SharedText baseDir, KeyCase keyCase, CVemoEntryArena* arena = nullptr)
      : base_dir_(std::move(baseDir)), key_case_(keyCase), arena_(arena) {}

  // A new entry with EF_LISTED only, error 0 and the stored state read from the line; null when the
  // line is not a valid entry line (or memory ran out for its key). The caller owns the entry.
  [[nodiscard]] std::unique_ptr<CVemoEntry> ParseEntryLine(std::wstring_view line);

 private:
  struct RelDir {
    SharedText text;        // the directory in memory
    std::string keyPrefix;  // BuildEntryKeyPrefix of base and this directory
  };

  // The directory of a relative directory field, or null when the field is not acceptable.
  const RelDir* RelativeDirectory(std::wstring_view field);

  // Lookup by the field's view, without making a string of it.
  struct FieldHash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view text) const {
      return std::hash<std::wstring_view>()(text);
    }
  };

  SharedText base_dir_;
  KeyCase key_case_;
  CVemoEntryArena* arena_;
  CNCommaFieldSplitter splitter_;
  // field text -> directory in memory
  std::unordered_map<std::wstring, RelDir, FieldHash, std::equal_to<>> rel_dirs_;
  // The entry of rel_dirs_ found last: a document lists a directory's entries one after another.
  const std::pair<const std::wstring, RelDir>* last_rel_dir_ = nullptr;
};

// One-off form of CVemoEntryLineReader::ParseEntryLine.
[[nodiscard]] std::unique_ptr<CVemoEntry> ParseEntryLine(std::wstring_view line,
                                                         const SharedText& baseDir,
                                                         KeyCase keyCase = KeyCase::kExact);
