// Moved and renamed entries in the command line's report. Once a cycle has ended, each missing file
// is paired with the one new file of the same size and both checksums (two 32-bit checksums and
// the size make a false pair vanishingly rare); a missing file with several such candidates, or a
// new file that several missing files match, pairs with none. A missing directory all of whose
// files went, each under the same relative path, into one new directory is the directory's move,
// reported once; its files and subdirectories are not reported one by one.
//
// Empty files are paired only inside a directory move: every empty file looks alike, so a deleted
// and a created empty file elsewhere are not taken for a move.
//
// The pairing is a report only: the entries, their flags and the saved list are not touched.
// Cost: linear in the number of missing and new entries (hash maps keyed by size and checksums
// and by path), times the depth of the missing directories above a missing file. Holds pointers
// to the entries; they must outlive it. Main thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "document/entries/entry_category.h"

class CVemoEntry;

class MovePairing {
 public:
  enum class Role : std::uint8_t {
    kMovedFile,    // the new place of a moved file: reported as moved, `from` the missing one
    kMovedFolder,  // the new place of a moved directory: reported once, with `files` and `from`
    kInsideMove,   // a file or directory that came with a moved directory: counted, not shown
    kLeft,         // the old place of anything moved: neither counted nor shown
    kUnpaired,     // missing or new, with others alike that made the pairing ambiguous
  };
  struct Match {
    Role role = Role::kUnpaired;
    const CVemoEntry* from = nullptr;  // kMovedFile, kMovedFolder: the missing entry
    std::size_t files = 0;             // kMovedFolder: the files under the directory
    std::uint32_t missing_alike = 0;   // kUnpaired: missing files of this size and checksums
    std::uint32_t new_alike = 0;       // kUnpaired: new files of this size and checksums
  };

  // Offers an entry of the finished cycle with its category; only missing and new ones are kept.
  void Add(const CVemoEntry& entry, ReportCategory category);
  // Pairs what was added. Call once, after the last Add.
  void Pair();
  // How the entry takes part in a move, or null when it does not.
  [[nodiscard]] const Match* Find(const CVemoEntry& entry) const;

 private:
  struct Item {
    const CVemoEntry* entry;
    std::wstring path;  // relative, '/' separated, a directory's ending in '/'
  };
  // A missing directory as the old place of a directory move: its files, the new directory their
  // new places agree on, and whether one of them disagreed.
  struct FolderMove {
    std::size_t files = 0;
    std::wstring_view target;  // the new directory's path, ending in '/'; empty while unknown
    bool broken = false;
    bool is_move = false;
  };
  // Items by path; the views point into the items' paths, which stay put once Pair started.
  using PathIndex = std::unordered_map<std::wstring_view, std::size_t>;

  static PathIndex IndexByPath(const std::vector<Item>& items);

  void PairFiles();
  void FindFolderMoves();
  void AssignFolderMoves();

  std::vector<Item> missing_files_;
  std::vector<Item> new_files_;
  std::vector<Item> missing_dirs_;
  std::vector<Item> new_dirs_;
  // missing_files_ index -> new_files_ index of its unique pair, or kNone.
  std::vector<std::size_t> pair_of_missing_;
  std::vector<FolderMove> folders_;  // parallel to missing_dirs_
  PathIndex missing_dir_index_;
  PathIndex new_dir_index_;
  PathIndex new_file_index_;
  std::unordered_map<const CVemoEntry*, Match> matches_;
};
