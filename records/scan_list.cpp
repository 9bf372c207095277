#include "records/scan_list.h"

#include <new>
#include <utility>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "records/entry_key.h"

CVemoScanList::CVemoScanList(SharedText base_dir, DWORD drive_type, KeyCase key_case)
    : base_dir_(std::move(base_dir)), drive_type_(drive_type), key_case_(key_case) {}

CVemoScanList::~CVemoScanList() = default;

bool CVemoScanList::AddDirectory(SharedText rel, std::uint32_t* index) {
  try {
    std::string prefix = BuildEntryKeyPrefix(base_dir_.view(), rel.view(), key_case_);
    directories_.push_back({std::move(rel), std::move(prefix)});
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  *index = static_cast<std::uint32_t>(directories_.size() - 1);
  return true;
}

bool CVemoScanList::Add(std::uint32_t directory, const FileState& found) {
  if (count_ % kItemsPerBlock == 0 && count_ / kItemsPerBlock == blocks_.size()) {
    try {
      auto block = std::make_unique<Item[]>(kItemsPerBlock);
      blocks_.push_back(std::move(block));
    } catch (const std::bad_alloc&) {
      platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
  }
  Item& item = blocks_[count_ / kItemsPerBlock][count_ % kItemsPerBlock];
  item.name = found.name;
  item.size = found.size;
  item.time = found.time.Value();
  item.attributes = found.attributes;
  item.child_count = found.nChildCount;
  item.directory = directory;
  ++count_;
  return true;
}

void CVemoScanList::Fail(DWORD error, SharedText rel) {
  blocks_.clear();
  directories_.clear();
  removed_ = 0;
  count_ = 1;
  error_ = error;
  error_rel_ = std::move(rel);
}

CVemoScanEntry CVemoScanList::RecordAt(std::size_t position) const {
  if (error_ != 0) return CVemoScanEntry(error_, base_dir_, error_rel_, drive_type_);
  const Item& item = ItemAt(position);
  const Directory& directory = directories_[item.directory];
  FileState state;
  state.name = item.name;
  state.size = item.size;
  state.time = CNTimeStamp(item.time);
  state.attributes = item.attributes;
  CVemoScanEntry record(std::move(state), base_dir_, directory.rel, drive_type_, key_case_,
                        directory.key_prefix);
  record.m_state.nChildCount = item.child_count;
  return record;
}

CVemoScanEntry CVemoScanList::Record(std::size_t index) const { return RecordAt(removed_ + index); }

CVemoScanEntry CVemoScanList::RemoveHead() {
  CVemoScanEntry record = RecordAt(removed_);
  ++removed_;
  // A block whose items are all taken goes at once: the document merges a million of them.
  if (error_ == 0 && removed_ % kItemsPerBlock == 0) blocks_[removed_ / kItemsPerBlock - 1].reset();
  return record;
}
