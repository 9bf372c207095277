// CVemoScanList: what one walk of the directory scanner publishes, in the walk's order: every file
// and subdirectory found, or the single error record of a walk that failed.
//
// A walk of a million files is kept whole until it is published, so the list stores each item
// compactly (its name, size, time, attributes, child count and directory) and the texts its items
// share once: the base directory, each directory's relative path and the bytes its keys begin
// with. The full record, with its key, is made when it is asked for.
//
// Built on the scanner's thread and handed over whole to the document's thread; single-threaded.
// Not copyable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"
#include "records/file_state.h"
#include "records/letter_case.h"
#include "records/scan_entry.h"
#include "records/shared_text.h"

class CVemoScanList {
 public:
  // A list of items found below base_dir, on a volume of drive_type, keyed with key_case.
  CVemoScanList(SharedText base_dir, DWORD drive_type, KeyCase key_case);
  CVemoScanList(const CVemoScanList&) = delete;
  CVemoScanList& operator=(const CVemoScanList&) = delete;
  ~CVemoScanList();

  // A directory whose items follow (rel below the base: empty, or ending in '/'); its index for
  // Add. False with ERROR_NOT_ENOUGH_MEMORY when memory runs out.
  [[nodiscard]] bool AddDirectory(SharedText rel, std::uint32_t* index);
  // Appends an item of directory `directory` as the scanner found it; the record made of it takes
  // it as CVemoScanEntry's constructor does, except that a directory keeps its nChildCount. False
  // with ERROR_NOT_ENOUGH_MEMORY when memory runs out (the list is unchanged).
  [[nodiscard]] bool Add(std::uint32_t directory, const FileState& found);
  // Drops every item: the list holds the error record of a walk that failed in the directory rel
  // below the base.
  void Fail(DWORD error, SharedText rel);

  // The records not yet removed.
  [[nodiscard]] std::size_t GetCount() const { return count_ - removed_; }
  [[nodiscard]] bool IsEmpty() const { return GetCount() == 0; }
  // The record `index` places after the first one not yet removed (< GetCount()), with its key
  // (null when memory for it ran out).
  [[nodiscard]] CVemoScanEntry Record(std::size_t index) const;
  // The first record not yet removed, as Record(0); the list lets go of it.
  [[nodiscard]] CVemoScanEntry RemoveHead();

 private:
  struct Item {
    EntryName name;
    ULONGLONG size;
    ULONGLONG time;
    DWORD attributes;
    DWORD child_count;
    std::uint32_t directory;
  };
  struct Directory {
    SharedText rel;
    std::string key_prefix;
  };
  static constexpr std::size_t kItemsPerBlock = 4096;

  [[nodiscard]] const Item& ItemAt(std::size_t position) const {
    return blocks_[position / kItemsPerBlock][position % kItemsPerBlock];
  }
  [[nodiscard]] CVemoScanEntry RecordAt(std::size_t position) const;

  const SharedText base_dir_;
  const DWORD drive_type_;
  const KeyCase key_case_;
  std::vector<Directory> directories_;
  std::vector<std::unique_ptr<Item[]>> blocks_;
  std::size_t count_ = 0;    // items, or 1 for the error record
  std::size_t removed_ = 0;  // taken by RemoveHead, from the front
  DWORD error_ = 0;
  SharedText error_rel_;
};
