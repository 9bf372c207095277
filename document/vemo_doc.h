// CVemoDoc: one checksum document — the checksum list of one directory tree (its base directory),
// stored as a text file normally kept in that directory — with its lifecycle (new, open, save,
// close) and its cycle of phases: Loading (the file's lines become entries), Scanning (the tree is
// walked), Checksumming (files are read), Formatting (the entries become the new document text),
// then Idle. Each phase runs on a worker thread of the document's own; the document polls the
// current one from the host's idle processing (PollWork) and never blocks on a running worker.
//
// Framework state (path name, title, modified flag) is kept here; everything the framework shows
// or asks goes through the host (doc_host.h).
//
// Ownership: the document owns its entries (entry map), its file buffer and its four workers. The
// host owns the document; it calls OnCloseDocument before destroying it (the destructor also
// stops every worker). File systems passed in are not owned and must outlive the document.
//
// Threads: every member is for the user-interface thread that created the document; workers never
// touch entries, they publish their results under their own locks.
//
// Failures are shown to the user through the host's message boxes, naming the absolute path; no
// failure leaves a worker running or the old document file damaged.
#pragma once
#include <array>
#include <chrono>
#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/cmd_state.h"
#include "document/command_ids.h"
#include "document/doc_host.h"
#include "document/doc_state.h"
#include "document/document_signature.h"
#include "document/entries/entry.h"
#include "document/format_thread.h"
#include "document/import_thread.h"
#include "document/poll_budget.h"
#include "engine/checksum_job_batch.h"
#include "engine/checksum_worker.h"
#include "engine/scan_thread.h"
#include "foundation/byte_buffer.h"
#include "foundation/key_map.h"
#include "foundation/pointer_set.h"
#include "foundation/ptr_array.h"
#include "foundation/time_stamp.h"
#include "platform/file_store.h"
#include "platform/file_system.h"
#include "records/letter_case.h"

// The default document file names, in the order a new document looks for them.
inline constexpr wchar_t kDefaultDocName1[] = L"check.sum";
inline constexpr wchar_t kDefaultDocName2[] = L"CRCDir.crx";
// Whether name is one of the two, in any letter case.
[[nodiscard]] bool IsDefaultDocName(std::wstring_view name);

// The idle counts at which a document polls its current phase's worker (PollWork).
inline constexpr long kPollCountFirst = 100;
inline constexpr long kPollCountLast = 101;

class CVemoDoc {
 public:
  static constexpr int kColumnCount = 7;

  explicit CVemoDoc(CVemoDocHost& host,
                    platform::FileSystem* file_system = platform::FileSystem::Default(),
                    platform::FileStore* file_store = platform::FileStore::Default());
  // Stops every worker, waiting for each to end, then destroys the entries.
  virtual ~CVemoDoc();
  CVemoDoc(const CVemoDoc&) = delete;
  CVemoDoc& operator=(const CVemoDoc&) = delete;

  [[nodiscard]] const char* GetRuntimeClassName() const { return "CVemoDoc"; }

  // --- Framework state ---
  [[nodiscard]] const std::wstring& GetPathName() const { return path_name_; }
  // Sets the path name and the title (the name part, see SetTitle); never touches a recent-file
  // list (the host's open adds to it).
  void SetPathName(std::wstring_view path);
  [[nodiscard]] const std::wstring& GetTitle() const { return title_; }
  // The title becomes the base directory followed by title, so a frame shows the full path.
  virtual void SetTitle(std::wstring_view title);
  [[nodiscard]] virtual bool IsModified() const { return modified_; }
  virtual void SetModifiedFlag(bool modified = true) { modified_ = modified; }

  // --- Lifecycle (the host's File New, File Open, Save, close) ---
  // File New. The first new document of the process takes the current directory; later ones ask
  // for a folder. An existing "check.sum" or "CRCDir.crx" there is opened instead (through the
  // host), and this document then fails. True when a new document for the folder started.
  virtual bool OnNewDocument();
  // File Open (also the reload of a Rescan). Reads the file and starts Loading; a missing file
  // with a default name starts a new document for its directory. False (after a message) when the
  // file cannot be read or is missing under another name.
  virtual bool OnOpenDocument(std::wstring_view path);
  // Writes the file buffer to path (safely: the old file stays intact on any failure). Saved into
  // the base directory, the current state of every entry becomes the listed one and a Rescan New
  // cycle starts (unless turned off with SetRescanAfterSave). Refused while a cycle runs.
  virtual bool OnSaveDocument(std::wstring_view path);
  // Stops every worker and destroys the contents. The host destroys the document afterwards.
  virtual void OnCloseDocument();
  // Asked before closing: offers to save a modified, idle document. False: do not close.
  virtual bool SaveModified();
  // File Save: checks the target (a directory blocks the save; a read-only file is made writable
  // after asking), then saves under the path name.
  virtual bool DoFileSave();
  // Saves to path, or, with an empty path, to a file the host's save-as dialog asks for; replace
  // makes that the document's path name.
  bool DoSave(std::wstring_view path, bool replace);
  // Stops every worker, destroys all entries and empties the file buffer.
  virtual void DeleteContents();

  // --- Commands ---
  void OnFileSave() { (void)DoFileSave(); }
  void OnFileSaveCopyAs() { (void)DoSave({}, false); }
  // The state of a command the document handles (Save, Save Copy As, Rescan All and Rescan New
  // are enabled only while Idle; the freeze and save-and-close toggles carry a check mark). False,
  // with state untouched, for a command the document does not handle, so that a router can ask the
  // next object in its order.
  bool UpdateCommand(UINT id, CCmdState& state) const;
  [[nodiscard]] bool IsCommandEnabled(UINT id) const;
  [[nodiscard]] bool IsCommandChecked(UINT id) const;
  // Carries out a command the document handles (when enabled); false for one it does not handle.
  bool OnCommand(UINT id);
  // Rescan All (kAll) or Rescan New (kNew); only while Idle. Reloads the document file when it
  // exists, otherwise rescans the entries held.
  void Rescan(RescanMode mode);
  // Applies the comparison rules afresh to every entry (after a tolerance setting changed), then
  // refreshes the views. Only while Idle; false otherwise.
  bool RecompareEntries();
  // Freezes or thaws every worker of every document.
  static void ToggleFreeze();
  void ToggleSaveAndCloseWhenDone() { save_and_close_ = !save_and_close_; }
  // Whether a save into the base directory starts the follow-up Rescan New cycle (on by default,
  // as the GUI's Save does). A host that ends right after saving turns it off: the commit still
  // runs, and the document stays Idle instead of walking the tree a second time.
  void SetRescanAfterSave(bool rescan) { rescan_after_save_ = rescan; }
  [[nodiscard]] bool GetSaveAndCloseWhenDone() const { return save_and_close_; }
  // Whether a cycle ends by formatting the new document text (on by default). A host that only
  // reports and never saves turns it off and saves the text of a million entries; the file
  // buffer then lets go of the text as read once it is loaded (about 95 bytes an entry), and a save
  // is refused until a cycle formats the whole text again.
  void SetFormatsText(bool formats) { formats_text_ = formats; }
  // Whether the text as read stays until a complete cycle formats its replacement (on by
  // default): a save after a cycle that could not see the tree writes it again. A host that never
  // saves after such a cycle turns it off, and the text goes once it is loaded.
  void SetKeepsTextAsRead(bool keeps) { keeps_text_as_read_ = keeps; }

  // --- The cycle ---
  // Stops the phases' workers, marks every entry as awaiting the scan and starts the walk.
  void StartRescan(RescanMode mode);
  // The idle step: does nothing below count 100, polls the current phase's worker at counts 100
  // and 101, and answers false above. True while more idle calls are wanted.
  virtual bool PollWork(long count);
  // The time one PollWork may spend on a long step (adopting the loaded entries, merging the
  // walk's records, ending a phase) before it returns and goes on at the next poll; 10 ms by
  // default, so that the two polls of an idle round and a slice of a view's rebuild stay well
  // within the 50 ms a window may take to answer (15 ms left 60 ms peaks on a million entries).
  // Tests make it zero to cut every step into the smallest slices.
  void SetPollBudget(std::chrono::microseconds budget) { poll_budget_ = budget; }

  // --- Status ---
  [[nodiscard]] std::wstring GetPaneText(UINT pane) const;
  [[nodiscard]] std::wstring GetPhaseText() const { return GetPaneText(ID_PANE_PHASE); }
  [[nodiscard]] std::wstring GetCountText() const { return GetPaneText(ID_PANE_COUNT); }
  [[nodiscard]] std::wstring GetModifiedText() const { return GetPaneText(ID_PANE_MODIFIED); }
  [[nodiscard]] std::wstring GetRateText() const { return GetPaneText(ID_PANE_RATE); }
  [[nodiscard]] std::wstring GetElapsedText() const { return GetPaneText(ID_PANE_ELAPSED); }
  [[nodiscard]] std::wstring GetRemainingText() const { return GetPaneText(ID_PANE_REMAINING); }
  // 0..15 while checksumming, else -1.
  [[nodiscard]] int GetProgressStep() const;

  // --- Data for views and hosts ---
  [[nodiscard]] DocState GetState() const { return state_; }
  [[nodiscard]] RescanMode GetRescanMode() const { return rescan_mode_; }
  [[nodiscard]] const std::wstring& GetBaseDir() const { return base_dir_; }
  [[nodiscard]] KeyCase GetKeyCase() const { return key_case_; }
  // True when the current cycle could not see the whole tree (the walk failed, or a worker could
  // not start) or the document file could not be read (IsListUnread): its entries show as not
  // found or new, but the document file keeps the last complete list and nothing is committed or
  // saved automatically.
  [[nodiscard]] bool IsCycleIncomplete() const { return cycle_incomplete_ || list_unread_; }
  // True from the end of a loading that read no list (an encoding not recognised, no memory, a
  // text without a single line of a checksum list) until
  // another document file is opened or a new one started: the file's entries are unknown, and
  // every cycle counts as incomplete so that no save replaces the file with a list of the tree.
  [[nodiscard]] bool IsListUnread() const { return list_unread_; }
  // The entries in key order.
  [[nodiscard]] const CNObjectKeyMap<CVemoEntry>& GetEntries() const { return entries_; }
  // Whether entry still belongs to this document (views ask before they use a stored pointer).
  [[nodiscard]] bool ContainsEntry(const void* entry) const { return entry_set_.Contains(entry); }
  // The signature check of the document file as last read (kEmpty also for a document that was
  // not read from a file). kUnsigned: the file carries no trailer, so it was never verified; a
  // list cut short before or inside its trailer reads so.
  [[nodiscard]] SignatureStatus GetReadSignatureStatus() const { return read_signature_; }
  // The exact bytes the next save writes.
  [[nodiscard]] const CNByteBuffer& GetFileBuffer() const { return file_buffer_; }
  // Found entries that the last formatting left out of the text, as the list format cannot carry
  // their names.
  [[nodiscard]] std::size_t GetLeftOutCount() const { return formatter_.LeftOutCount(); }
  // Width of list column index (0..6); -1 for another index.
  [[nodiscard]] int GetColumnWidth(int index) const;
  // False for an index outside 0..6.
  bool SetColumnWidth(int index, int width);
  [[nodiscard]] CVemoDocHost& Host() const { return host_; }

 protected:
  // The framework's own parts of new, open and save.
  bool FrameworkNewDocument();
  bool FrameworkOpenDocument(const std::wstring& path);
  bool FrameworkSaveDocument(const std::wstring& path);

  // Reads the whole file into out (empty), with the empty-file and signature warnings.
  bool ReadDocumentFile(const std::wstring& path, CNByteBuffer& out);
  // Writes the file buffer to path without ever damaging what was there; with create_only, path
  // must not exist (and fails, keeping what is there, when something appeared meanwhile).
  bool WriteDocumentFile(const std::wstring& path, bool create_only = false);

  // The phases, called from PollWork.
  bool PollLoading();
  bool PollScanning();
  bool PollChecksumming();
  bool PollFormatting();
  // A scan record, or null at the end of the scan; hint: what a Prefetch of its key found.
  void MergeScanRecord(const CVemoScanEntry* record, const CNKeyMap::Hint* hint = nullptr);
  // A checksum result, or null when checksumming has ended.
  void ApplyChecksumResult(const ChecksumJob* result);
  void FinishFormatting();
  void CommitAfterSave();
  // The end of every cycle: Idle, the views told, the completion sound or save and close.
  void EnterIdle();

 private:
  void SetBaseDir(std::wstring dir);
  // StartRescan; mark_entries false when every entry is marked as awaiting the walk already.
  void StartWalk(RescanMode mode, bool mark_entries);
  // Views are told (RCLR) before entries go, unless the document is being destroyed.
  void StopWorkersAndClear(bool notify_views = true);
  // Each long step goes on where the last poll left it; true when it is done.
  bool AdoptLoadedEntries();
  void FinishLoading();
  bool MergeScanRecords();
  bool FinishScanPhase();
  bool FinishChecksumPhase();
  // Frees what a phase step still held (the loaded entries not yet adopted, the walk's records
  // not yet merged, the entries the walk did not see); views are told first when entries they may
  // hold go.
  void DropPendingSteps(bool notify_views);
  // Puts a new entry into the map and the set; false (the entry destroyed) when it cannot be held.
  bool AdoptEntry(CVemoEntry* entry);
  void RemoveEntry(CVemoEntry* entry);
  void SendUpdate(DWORD hint, const CVemoEntry* entry = nullptr, int column = -1);
  void PhaseChanged() { column_fit_countdown_ = 0; }
  // "Error (%u): <system text>\r<path>" with the error icon; marks the cycle incomplete.
  void ReportCycleError(DWORD error, const std::wstring& path);
  // A message box of lines (host ShowMessageLines): each path is a line of its own, so that a
  // line break in it never breaks the message. Error icon and set-foreground unless style says.
  int ShowLines(std::initializer_list<std::wstring> lines, UINT style = 0,
                std::wstring_view caption = {});

  CVemoDocHost& host_;
  platform::FileSystem* const file_system_;
  platform::FileStore* const file_store_;

  std::wstring base_dir_;
  CNByteBuffer file_buffer_;
  DocState state_ = DocState::kNone;
  RescanMode rescan_mode_ = RescanMode::kAll;
  bool save_and_close_ = false;
  bool rescan_after_save_ = true;
  bool formats_text_ = true;
  bool keeps_text_as_read_ = true;
  // The file buffer does not hold the entries' text (the text as read was let go, or a cycle
  // ended without formatting): saves are refused until a complete cycle formats the whole text.
  bool text_behind_ = false;
  // Mutable: reading a worker's progress takes its lock.
  mutable CVemoImportThread loader_;
  mutable CVemoScanThread scanner_;
  mutable CChecksumWorker checksummer_;
  mutable CVemoFormatThread formatter_;
  // Keyed by the key each entry holds.
  CNObjectKeyMap<CVemoEntry> entries_{true, CNKeyMap::KeyStorage::kBorrowed};
  CNPointerSet entry_set_;  // the entries of entries_, by address
  CNTimeStamp checksum_start_;
  std::array<int, kColumnCount> column_widths_;
  int column_fit_countdown_ = -1;

  KeyCase key_case_ = KeyCase::kExact;
  bool cycle_incomplete_ = false;
  bool list_unread_ = false;
  // The document's file did not exist when the document began (a new list): its first save into
  // that path creates the file and never replaces one that appeared meanwhile (another program
  // making the same list). A path the user chose in the save dialog is replaced as asked.
  bool file_is_new_ = false;
  bool save_path_chosen_ = false;  // during DoSave: the host's dialog gave the path
  SignatureStatus read_signature_ = SignatureStatus::kEmpty;
  bool in_poll_ = false;
  // The walk runs since the document file was opened, for the cycle that its loading begins; the
  // Scanning phase takes it over instead of starting another.
  bool early_walk_ = false;
  std::chrono::microseconds poll_budget_{10000};
  CVemoPollBudget slice_;  // the budget of the poll in progress

  // Loading: the reader's entries still to be adopted, and the directory whose entry the last one
  // counted as its parent (entries come grouped by directory: one key lookup a directory).
  std::unique_ptr<CVemoEntryList> pending_entries_;
  SharedText last_parent_dir_;
  CVemoEntry* last_parent_ = nullptr;
  bool last_parent_known_ = false;
  // Scanning: the walk's records still to be merged, then the end of the walk over a snapshot of
  // the entries. Entries the walk did not see leave the map at once but are freed only at the
  // end, between RCLR and RFSH, as views may still hold them.
  std::unique_ptr<CVemoScanList> pending_records_;
  std::deque<CVemoScanEntry> records_ahead_;  // taken from it, their entries being fetched
  struct EntryAhead {
    const void* entry = nullptr;  // the entry the record may match (or null)
    CNKeyMap::Hint hint;
  };
  std::deque<EntryAhead> entries_ahead_;
  bool scan_merged_ = false;
  bool scan_snapshot_taken_ = false;
  bool scan_snapshot_complete_ = false;
  bool scan_collecting_ = false;  // the snapshot is being collected, scan_collect_ goes on
  CNKeyMap::Traversal scan_collect_;
  std::size_t scan_collect_index_ = 0;
  ChecksumJobBatch scan_jobs_;  // the checksum queue, built while the walk's end goes on
  std::size_t scan_finish_index_ = 0;
  // The entries of the cycle in key order, those the walk did not see nulled out; kept until the
  // formatter takes it, as nothing adds or removes entries in between.
  CNObjectArray<CVemoEntry> scan_snapshot_{false};
  std::size_t snapshot_live_ = 0;  // its non-null elements
  // Checksumming's end: the snapshot's entries are unmarked in slices.
  bool checksum_ending_ = false;
  std::size_t checksum_end_index_ = 0;
  std::vector<CVemoEntry*> unseen_entries_;
  std::size_t format_total_ = 0;  // entries handed to the formatter

  std::wstring path_name_;
  std::wstring title_;
  bool modified_ = false;
};
