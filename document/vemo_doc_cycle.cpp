// CVemoDoc: the cycle of phases (Loading, Scanning, Checksumming, Formatting, Idle), the commands
// that start it, and the status texts.
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

#include "document/checksum_jobs.h"
#include "document/status_texts.h"
#include "document/vemo_doc.h"
#include "foundation/format_text.h"
#include "foundation/paths.h"
#include "foundation/process_values.h"
#include "foundation/ptr_array.h"
#include "foundation/system_error.h"
#include "platform/error_codes.h"
#include "platform/file_attributes.h"
#include "platform/file_store.h"
#include "platform/heap_memory.h"
#include "platform/last_error.h"
#include "platform/tick.h"
#include "records/entry_key.h"

// --- Entry bookkeeping ---

void CVemoDoc::SendUpdate(DWORD hint, const CVemoEntry* entry, int column) {
  host_.UpdateAllViews(*this, hint, entry, column);
}

bool CVemoDoc::AdoptEntry(CVemoEntry* entry) {
  // An entry without a key (memory ran out) or a second line for the same item is dropped: a key
  // maps to exactly one entry, and the set must hold only entries the map owns.
  if (entry->m_pszKey == nullptr || !entries_.Add(entry->m_pszKey, entry)) {
    delete entry;
    return false;
  }
  if (!entry_set_.Add(entry)) {
    (void)entries_.SetAt(entry->m_pszKey, nullptr);
    delete entry;
    return false;
  }
  return true;
}

void CVemoDoc::RemoveEntry(CVemoEntry* entry) {
  entry_set_.Remove(entry);
  (void)entries_.SetAt(entry->m_pszKey, nullptr);
  delete entry;
}

void CVemoDoc::ReportCycleError(DWORD error, const std::wstring& path) {
  cycle_incomplete_ = true;
  if (error == 0) error = ERROR_INVALID_FUNCTION;
  ShowLines({FormatText(L"Error (%u): ", error) + FormatSystemError(error), path});
}

// --- Starting a cycle ---

void CVemoDoc::StartRescan(RescanMode mode) { StartWalk(mode, true); }

void CVemoDoc::StartWalk(RescanMode mode, bool mark_entries) {
  loader_.StopAndClear();
  // The walk started with the loading is this cycle's (the mode only tells how its records merge).
  const bool walking = early_walk_;
  if (!walking) scanner_.StopAndDiscard();
  formatter_.Stop(INFINITE);
  std::free(formatter_.TakeOutput());
  checksummer_.Clear(true);
  DropPendingSteps(true);
  state_ = DocState::kScanning;
  rescan_mode_ = mode;
  checksum_start_ = kNullTimeStamp;
  cycle_incomplete_ = false;
  if (mark_entries) {
    entries_.ForEach(
        [](CVemoEntry* entry) { entry->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN); });
  }
  if (!walking && !scanner_.Start(base_dir_, key_case_)) {
    ReportCycleError(platform::LastError(), base_dir_);
  }
  SendUpdate(RFSH);
}

void CVemoDoc::Rescan(RescanMode mode) {
  if (state_ != DocState::kIdle) return;
  DWORD attributes = 0;
  if (PathExists(path_name_, &attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    rescan_mode_ = mode;
    (void)OnOpenDocument(path_name_);
  } else {
    StartRescan(mode);
  }
}

void CVemoDoc::ToggleFreeze() {
  std::uint32_t value = FreezeScans.load();
  while (!FreezeScans.compare_exchange_weak(value, value == 0 ? 1 : 0)) {
  }
}

bool CVemoDoc::UpdateCommand(UINT id, CCmdState& state) const {
  switch (id) {
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_COPY_AS:
    case ID_RESCAN_ALL:
    case ID_RESCAN_NEW:
      state.enabled = state_ == DocState::kIdle;
      state.checked = false;
      return true;
    case ID_FILE_FREEZE:
      state.enabled = true;
      state.checked = FreezeScans.load() != 0;
      return true;
    case ID_FILE_SAVE_CLOSE_WHEN_DONE:
      state.enabled = true;
      state.checked = save_and_close_;
      return true;
    default:
      return false;
  }
}

bool CVemoDoc::IsCommandEnabled(UINT id) const {
  CCmdState state;
  return UpdateCommand(id, state) && state.enabled;
}

bool CVemoDoc::IsCommandChecked(UINT id) const {
  CCmdState state;
  return UpdateCommand(id, state) && state.checked;
}

bool CVemoDoc::RecompareEntries() {
  if (state_ != DocState::kIdle) return false;
  entries_.ForEach([](CVemoEntry* entry) { entry->Recompare(); });
  SendUpdate(RFSH);
  return true;
}

bool CVemoDoc::OnCommand(UINT id) {
  switch (id) {
    case ID_FILE_SAVE:
      if (IsCommandEnabled(id)) OnFileSave();
      return true;
    case ID_FILE_SAVE_COPY_AS:
      if (IsCommandEnabled(id)) OnFileSaveCopyAs();
      return true;
    case ID_RESCAN_ALL:
      Rescan(RescanMode::kAll);
      return true;
    case ID_RESCAN_NEW:
      Rescan(RescanMode::kNew);
      return true;
    case ID_FILE_FREEZE:
      ToggleFreeze();
      return true;
    case ID_FILE_SAVE_CLOSE_WHEN_DONE:
      ToggleSaveAndCloseWhenDone();
      return true;
    default:
      return false;
  }
}

// --- Polling ---

bool CVemoDoc::PollWork(long count) {
  if (count < kPollCountFirst) return true;
  if (count > kPollCountLast) return false;
  // A host whose message boxes run a nested event loop may come back here while a phase step
  // waits for the user; the step in progress finishes first.
  if (in_poll_) return false;
  in_poll_ = true;
  slice_ = CVemoPollBudget(poll_budget_);
  bool fitting = false;
  if (column_fit_countdown_ >= 0) {
    SendUpdate(ACOL, nullptr, column_fit_countdown_);
    if (++column_fit_countdown_ > 10) column_fit_countdown_ = -1;
    fitting = column_fit_countdown_ >= 0;
  }
  bool more = false;
  try {
    switch (state_) {
      case DocState::kLoading:
        more = PollLoading();
        break;
      case DocState::kScanning:
        more = PollScanning();
        break;
      case DocState::kChecksumming:
        more = PollChecksumming();
        break;
      case DocState::kFormatting:
        more = PollFormatting();
        break;
      case DocState::kIdle:
      case DocState::kNone:
        break;
    }
  } catch (const std::bad_alloc&) {
    // The step that ran out of memory left its phase unfinished: the cycle cannot be trusted, so
    // it is marked incomplete (nothing of it is saved or committed) and the next polls carry the
    // phases on to Idle.
    cycle_incomplete_ = true;
    try {
      ReportCycleError(ERROR_NOT_ENOUGH_MEMORY, base_dir_);
    } catch (const std::bad_alloc&) {
    }
    more = true;
  }
  in_poll_ = false;
  return fitting || more;
}

bool CVemoDoc::PollLoading() {
  if (pending_entries_) {
    if (!AdoptLoadedEntries()) return true;
    FinishLoading();
    return false;
  }
  if (loader_.IsRunning()) return true;
  std::unique_ptr<CVemoEntryList> list = loader_.TakeResultList();
  CNByteBuffer text = loader_.TakeFileBytes();
  // A text of which not one line belongs to a checksum list (a README or a picture opened by
  // mistake) is no list: the tree must not be listed into it. Its buffer keeps the bytes read.
  const bool not_a_list = list && !file_buffer_.IsEmpty() && !loader_.ReadListLine();
  if (not_a_list) {
    list.reset();
  } else if (!text.IsEmpty() || file_buffer_.IsEmpty()) {
    // The loader's bytes replace the buffer only when they hold the text (a conversion that
    // could not be made must not turn the document into an empty file).
    file_buffer_ = std::move(text);
  }
  if (not_a_list) {
    list_unread_ = true;
    ShowLines({L"Not a Vemo document file", path_name_});
  } else if (!list && !file_buffer_.IsEmpty()) {
    // No list was read: the tree would show as all new and a save would replace the user's list
    // with it. The file buffer still holds the file as it was read. (An empty file, already
    // warned about, is an empty list.)
    list_unread_ = true;
    const DWORD error = loader_.ExitCode();
    if (error == ERROR_INVALID_DATA) {
      ShowLines({L"Vemo document file could not be read", path_name_});
    } else {
      ReportCycleError(error, path_name_);
    }
  }
  if ((!formats_text_ || !keeps_text_as_read_) && !list_unread_) {
    // Nothing will save the text as read: a million entries' list need not stay in memory while
    // they are adopted and the walk is merged.
    file_buffer_.Clear();
    text_behind_ = true;
  }
  if (list && !list->IsEmpty()) {
    // Adopted over as many polls as it takes; the document stays in Loading meanwhile.
    pending_entries_ = std::move(list);
    last_parent_known_ = false;
    if (!AdoptLoadedEntries()) return true;
  }
  FinishLoading();
  return false;
}

bool CVemoDoc::AdoptLoadedEntries() {
  // The set's slot of an entry lies anywhere in its table: it is fetched a few entries ahead.
  constexpr int kAhead = 8;
  auto ahead = pending_entries_->begin();
  for (int i = 0; i < kAhead && ahead != pending_entries_->end(); ++i)
    entry_set_.Prefetch(*ahead++);
  while (!pending_entries_->IsEmpty()) {
    if (ahead != pending_entries_->end()) entry_set_.Prefetch(*ahead++);
    CVemoEntry* entry = pending_entries_->RemoveHead();
    const bool directory = entry->IsDirectory();
    // Marked for the walk that follows here, saving it a pass over a million entries.
    entry->SetFlags(EF_AWAITING_SCAN, EF_AWAITING_SCAN);
    if (AdoptEntry(entry) && !entry->m_strRelDir.empty()) {
      // The parent is looked up once for a run of entries in the same directory. A parent not
      // found yet may be listed later: any directory adopted makes the next entry look again.
      if (!last_parent_known_ || !(entry->m_strRelDir == last_parent_dir_)) {
        last_parent_ = nullptr;
        last_parent_known_ = false;
        const LookupKey parent_key =
            BuildDirectoryKey(base_dir_, entry->m_strRelDir.view(), key_case_);
        if (parent_key != nullptr) {
          last_parent_ = entries_.Lookup(parent_key.get());
          last_parent_dir_ = entry->m_strRelDir;
          last_parent_known_ = true;
        }
      }
      if (last_parent_ != nullptr) last_parent_->AddChild();
    }
    if (directory && last_parent_ == nullptr) last_parent_known_ = false;
    if (slice_.Spent()) return pending_entries_->IsEmpty();
  }
  return true;
}

void CVemoDoc::FinishLoading() {
  pending_entries_.reset();
  last_parent_dir_ = SharedText();
  last_parent_ = nullptr;
  last_parent_known_ = false;
  // The walk's start refreshes the views (one rebuild for the two phase changes); every entry
  // adopted is marked for it already.
  PhaseChanged();
  StartWalk(RescanMode::kAll, false);
}

bool CVemoDoc::PollScanning() {
  if (!scan_merged_ && !pending_records_) {
    if (scanner_.IsRunning()) return true;
    pending_records_ = scanner_.TakeResults();
    early_walk_ = false;
    if (!pending_records_) {
      // Nothing published by a walk that was not cancelled: it did not see the tree (its thread
      // ran out of memory, say).
      if (const DWORD error = scanner_.ExitCode(); error != 0) {
        ReportCycleError(error, base_dir_);
      }
      cycle_incomplete_ = true;
      scan_merged_ = true;
    }
  }
  if (!scan_merged_) {
    if (!MergeScanRecords()) return true;
    pending_records_.reset();
    platform::ReturnFreeHeapMemory();  // the walk's records, before the checksum jobs are made
    scan_merged_ = true;
  }
  if (!FinishScanPhase()) return true;
  scan_merged_ = false;
  return false;
}

bool CVemoDoc::MergeScanRecords() {
  // The walk's order is not the entries' order in memory: the entries of the records a few places
  // ahead are fetched while this one merges, instead of each being waited for in turn. The records
  // ahead are made (with their keys) as they are fetched, and wait for the next slice if need be.
  // Halfway, the entry has come and the name it lists is fetched too.
  constexpr std::size_t kAhead = 8;
  for (;;) {
    while (records_ahead_.size() < kAhead && !pending_records_->IsEmpty()) {
      records_ahead_.push_back(pending_records_->RemoveHead());
      const LookupKey& key = records_ahead_.back().m_pszKey;
      EntryAhead& ahead = entries_ahead_.emplace_back();
      if (key != nullptr) ahead.entry = entries_.Prefetch(key, &ahead.hint);
    }
    if (records_ahead_.empty()) return true;
    if (entries_ahead_.size() > kAhead / 2) {
      if (const auto* halfway = static_cast<const CVemoEntry*>(entries_ahead_[kAhead / 2].entry)) {
        __builtin_prefetch(halfway->m_stored.name.Address());
      }
    }
    const CVemoScanEntry record = std::move(records_ahead_.front());
    records_ahead_.pop_front();
    const CNKeyMap::Hint hint = entries_ahead_.front().hint;
    entries_ahead_.pop_front();
    if (record.m_dwError != 0) {
      ReportCycleError(record.m_dwError, record.m_strBaseDir.str() + record.m_strRelDir.str());
    } else {
      MergeScanRecord(&record, &hint);
    }
    if (slice_.Spent()) return records_ahead_.empty() && pending_records_->IsEmpty();
  }
}

void CVemoDoc::MergeScanRecord(const CVemoScanEntry* record, const CNKeyMap::Hint* hint) {
  if (record == nullptr) {
    while (!FinishScanPhase()) {
    }
    return;
  }
  if (record->m_strRelDir.empty() && IsDefaultDocName(record->m_state.name.str())) return;
  // A save's temporary file (one in progress, or left by a save that was killed) is never part
  // of the tree; the next save in its directory removes a stale one.
  // Such names begin with '.': the others are not made wide text for the test.
  const std::string_view name = record->m_state.name.bytes();
  if (!name.empty() && name[0] == '.' &&
      platform::IsTemporaryFileName(record->m_state.name.str())) {
    return;
  }
  if (record->m_strBaseDir.str() != base_dir_ || record->m_pszKey == nullptr) return;
  bool needs_checksum = false;
  CVemoEntry* entry = hint != nullptr ? entries_.Lookup(record->m_pszKey, *hint)
                                      : entries_.Lookup(record->m_pszKey);
  if (entry != nullptr) {
    if (!entry->ApplyScanRecord(*record, needs_checksum)) return;
    if (needs_checksum) SetModifiedFlag(true);
  } else {
    entry = new CVemoEntry(*record);
    if (!AdoptEntry(entry)) return;
    SetModifiedFlag(true);
    needs_checksum = true;
  }
  if (!(entry->m_current.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!needs_checksum && rescan_mode_ == RescanMode::kNew) {
      entry->AssumeCrcUnchanged();
    } else {
      entry->SetFlags(EF_CRC_PENDING, EF_CRC_PENDING);
    }
  }
}

bool CVemoDoc::FinishScanPhase() {
  if (!scan_snapshot_taken_) {
    // The snapshot is collected in slices too; nothing adds or removes entries meanwhile.
    if (!scan_collecting_) {
      scan_collecting_ = true;
      scan_snapshot_complete_ =
          scan_snapshot_.SetSize(0) && scan_snapshot_.SetSize(entries_.GetCount());
      if (!scan_snapshot_complete_) {
        scan_snapshot_.RemoveAll(false);
        platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      }
      scan_collect_ = CNKeyMap::Traversal(entries_);
      scan_collect_index_ = 0;
      scan_jobs_ = ChecksumJobBatch();
    }
    if (scan_snapshot_complete_) {
      const std::size_t size = scan_snapshot_.GetSize();
      const bool collected = scan_collect_.Continue([&](void* value) {
        if (scan_collect_index_ < size) {
          scan_snapshot_.SetAt(scan_collect_index_, static_cast<CVemoEntry*>(value));
        }
        ++scan_collect_index_;
        return !slice_.Spent();
      });
      if (!collected) return false;
      // A slice cut short (by running out of memory) leaves some entries out.
      if (!scan_collect_.IsValid() || scan_collect_index_ != size) {
        scan_snapshot_complete_ = false;
        scan_snapshot_.RemoveAll(false);
        platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      }
    }
    scan_collect_ = CNKeyMap::Traversal();
    scan_collecting_ = false;
    scan_snapshot_taken_ = true;
    scan_finish_index_ = 0;
    snapshot_live_ = scan_snapshot_.GetSize();
    if (slice_.Spent()) return false;
  }
  // Entries the scan did not see leave the map now; they are freed below, after RCLR, as views
  // may hold them until then.
  while (scan_finish_index_ < scan_snapshot_.GetSize()) {
    const std::size_t i = scan_finish_index_++;
    CVemoEntry* entry = scan_snapshot_[i];
    if (!entry->FinishScan()) {
      unseen_entries_.push_back(entry);
      entry_set_.Remove(entry);
      (void)entries_.SetAt(entry->m_pszKey, nullptr);
      scan_snapshot_.SetAt(i, nullptr);
      --snapshot_live_;
    } else {
      // The checksum queue is built in the same slices, in the snapshot's (key) order.
      AddIfQueued(scan_jobs_, *entry);
      // A walk that failed says nothing about the files: their absence is no change to save.
      if (IsNotFound(entry->m_dwFlags) && !IsCycleIncomplete()) SetModifiedFlag(true);
    }
    if (slice_.Spent()) return false;
  }
  // Views drop their rows before the unseen entries go, and rebuild at the RFSH below (an error
  // box in between runs a nested event loop that may paint).
  SendUpdate(RCLR);
  for (CVemoEntry* entry : unseen_entries_) delete entry;
  unseen_entries_.clear();
  state_ = DocState::kChecksumming;
  checksum_start_ = CNTimeStamp::Now();
  // The snapshot, the removed entries nulled out, is the queue in key order (the nulls are
  // skipped). A snapshot that memory did not allow is a cycle that cannot go on.
  const bool queued = scan_snapshot_complete_ && checksummer_.QueueJobs(std::move(scan_jobs_));
  scan_jobs_ = ChecksumJobBatch();
  scan_snapshot_taken_ = false;
  if (!queued) ReportCycleError(platform::LastError(), base_dir_);
  SendUpdate(RFSH);
  PhaseChanged();
  return true;
}

void CVemoDoc::DropPendingSteps(bool notify_views) {
  pending_entries_.reset();
  last_parent_dir_ = SharedText();
  last_parent_ = nullptr;
  last_parent_known_ = false;
  records_ahead_.clear();
  entries_ahead_.clear();
  pending_records_.reset();
  scan_merged_ = false;
  scan_snapshot_.RemoveAll(false);
  scan_collect_ = CNKeyMap::Traversal();
  scan_collecting_ = false;
  scan_jobs_ = ChecksumJobBatch();
  scan_snapshot_taken_ = false;
  scan_finish_index_ = 0;
  snapshot_live_ = 0;
  checksum_ending_ = false;
  checksum_end_index_ = 0;
  if (!unseen_entries_.empty()) {
    if (notify_views) SendUpdate(RCLR);
    for (CVemoEntry* entry : unseen_entries_) delete entry;
    unseen_entries_.clear();
  }
}

bool CVemoDoc::PollChecksumming() {
  if (checksum_ending_) return !FinishChecksumPhase();
  for (;;) {
    // Noted before the take: a worker that had ended then has left every result in it.
    const bool running = checksummer_.IsRunning();
    auto results = checksummer_.TakeResults();
    if (results.empty()) {
      if (running) return true;
      return !FinishChecksumPhase();
    }
    for (const std::unique_ptr<ChecksumJob>& job : results) ApplyChecksumResult(job.get());
  }
}

void CVemoDoc::ApplyChecksumResult(const ChecksumJob* result) {
  if (result == nullptr) {
    while (!FinishChecksumPhase()) {
    }
    return;
  }
  if (result->key == nullptr) return;
  CVemoEntry* entry = entries_.Lookup(result->key);
  if (entry == nullptr) return;
  if (entry->ApplyCrcResult(result->error, result->crc1, result->crc2)) SendUpdate(RDRW, entry);
  if (entry->m_dwError != 0 || (entry->m_dwFlags & EF_CHANGE_MASK) != 0) SetModifiedFlag(true);
}

bool CVemoDoc::FinishChecksumPhase() {
  if (!checksum_ending_) {
    checksum_ending_ = true;
    checksum_end_index_ = 0;
    // A worker that ended early (out of memory) left files without a result.
    if (const DWORD error = checksummer_.ExitCode(); error != 0) ReportCycleError(error, base_dir_);
  }
  // The snapshot of the walk's end is the map's entries exactly when nothing was lost making it.
  const bool whole_snapshot =
      scan_snapshot_complete_ && snapshot_live_ == entries_.GetCount() && !entries_.IsEmpty();
  if (whole_snapshot) {
    while (checksum_end_index_ < scan_snapshot_.GetSize()) {
      if (CVemoEntry* entry = scan_snapshot_[checksum_end_index_++]) {
        entry->SetFlags(EF_AWAITING_SCAN, 0);
      }
      if (slice_.Spent()) return false;
    }
  } else {
    entries_.ForEach([](CVemoEntry* entry) { entry->SetFlags(EF_AWAITING_SCAN, 0); });
  }
  checksum_ending_ = false;
  platform::ReturnFreeHeapMemory();  // the checksum jobs, before the new text grows
  if (!formats_text_) {
    scan_snapshot_.RemoveAll(false);
    snapshot_live_ = 0;
    text_behind_ = true;
    EnterIdle();
    return true;
  }
  if (!IsCycleIncomplete()) {
    // The new text replaces the list as read; both at once would be the cycle's peak. Until the
    // new text is whole, nothing is saved: the text as read no longer lists these entries.
    file_buffer_.Clear();
    text_behind_ = true;
  }
  state_ = DocState::kFormatting;
  SendUpdate(RFSH);
  PhaseChanged();
  format_total_ = entries_.GetCount();
  const bool started = whole_snapshot ? formatter_.Start(base_dir_, scan_snapshot_)
                                      : formatter_.Start(base_dir_, entries_);
  scan_snapshot_.RemoveAll(false);
  snapshot_live_ = 0;
  if (!started) {
    format_total_ = 0;
    ReportCycleError(platform::LastError(), base_dir_);
  }
  return true;
}

bool CVemoDoc::PollFormatting() {
  if (formatter_.IsRunning()) return true;
  FinishFormatting();
  return false;
}

void CVemoDoc::FinishFormatting() {
  std::size_t length = 0;
  char* output = formatter_.TakeOutput(&length);
  format_total_ = 0;
  if (output == nullptr) {
    // The formatter ran out of memory (it reports nothing else). The text as read went when the
    // formatting began: saves stay refused until a cycle formats the whole text.
    if (!IsCycleIncomplete()) ReportCycleError(formatter_.ExitCode(), base_dir_);
  } else if (IsCycleIncomplete()) {
    // The text of a tree the walk could not see would list none of its files; the buffer keeps
    // the last complete list, so that no save can drop the listed entries.
    std::free(output);
  } else {
    CNByteBuffer text;
    if (text.Adopt(output, length)) {
      file_buffer_ = std::move(text);
      text_behind_ = false;
    } else {
      ReportCycleError(ERROR_NOT_ENOUGH_MEMORY, base_dir_);
    }
  }
  EnterIdle();
}

void CVemoDoc::EnterIdle() {
  state_ = DocState::kIdle;
  SendUpdate(RFSH);
  PhaseChanged();
  if (!save_and_close_) {
    if (!host_.IsActiveInForeground()) host_.PlayCompletionSound();
    return;
  }
  if (!IsModified()) {
    host_.CloseDocumentFrames(*this);
    host_.PostCloseOnNoDocument();
  } else if (!IsCycleIncomplete()) {
    (void)OnSaveDocument(path_name_);
  }
  // Modified after an incomplete cycle: nothing is saved automatically and the document stays
  // open, showing what could not be checked.
}

void CVemoDoc::CommitAfterSave() {
  SendUpdate(RCLR);
  CNObjectArray<CVemoEntry> snapshot(false);
  (void)entries_.Collect(snapshot);
  for (CVemoEntry* entry : snapshot) {
    if (!entry->AcceptCurrent()) RemoveEntry(entry);
  }
  SendUpdate(RFSH);
}

// --- Status ---

std::wstring CVemoDoc::GetPaneText(UINT pane) const {
  CVemoStatusFigures f;
  f.state = state_;
  f.modified = IsModified();
  f.frozen = FreezeScans.load() != 0 && ActiveWorkerCount.load() >= 1;
  f.tick_ms = platform::TickCount();
  switch (state_) {
    case DocState::kLoading:
    case DocState::kScanning:
      f.listed_files = loader_.GetFileCount();
      f.listed_directories = loader_.GetDirectoryCount();
      if (state_ == DocState::kLoading && pane == ID_PANE_PHASE)
        f.load_text = loader_.GetStatusText();
      if (state_ == DocState::kScanning && pane == ID_PANE_PHASE) {
        f.scan_directory = scanner_.GetScanDirectory();
      }
      break;
    case DocState::kChecksumming:
      if (pane == ID_PANE_PHASE)
        f.checksum_fraction = checksummer_.GetCurrentFile(&f.checksum_text);
      checksummer_.GetProgress(&f.bytes_done, &f.bytes_queued, &f.smoothed_rate);
      f.checksum_start = checksum_start_;
      f.now = CNTimeStamp::Now();
      break;
    case DocState::kFormatting: {
      f.records_total = format_total_;
      const double fraction = formatter_.GetProgress();
      if (fraction >= 0.0 && format_total_ != 0) {
        f.records_done =
            static_cast<std::size_t>(std::llround(fraction * static_cast<double>(format_total_)));
      }
      break;
    }
    case DocState::kIdle:
    case DocState::kNone:
      break;
  }
  return FormatStatusPane(pane, f);
}

int CVemoDoc::GetProgressStep() const {
  if (state_ != DocState::kChecksumming) return -1;
  CVemoStatusFigures f;
  f.state = state_;
  double rate = 0.0;
  checksummer_.GetProgress(&f.bytes_done, &f.bytes_queued, &rate);
  return ComputeProgressStep(f);
}
