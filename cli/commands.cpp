#include "cli/commands.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/cli_doc_host.h"
#include "cli/cycle_driver.h"
#include "cli/interrupt.h"
#include "cli/move_pairing.h"
#include "cli/progress_line.h"
#include "cli/report_writer.h"
#include "cli/tracking_file_store.h"
#include "document/document_format.h"
#include "document/document_signature.h"
#include "document/entries/entry.h"
#include "document/entries/entry_category.h"
#include "document/vemo_doc.h"
#include "foundation/paths.h"
#include "foundation/system_error.h"
#include "platform/error_codes.h"
#include "platform/file_attributes.h"
#include "platform/file_name_text.h"
#include "platform/file_paths.h"
#include "platform/last_error.h"
#include "records/shared_text.h"

namespace {

// Everything one command needs: the host, the progress line, the store that tracks a save's
// temporary file, the report, and the document (destroyed first).
class Session {
 public:
  Session(const CliOptions& options, const CliFileAccess& files)
      : options_(options),
        file_system_(files.file_system),
        progress_(!options.no_progress && isatty(STDERR_FILENO) == 1),
        host_(&progress_),
        store_(files.file_store),
        report_(stdout,
                options.json ? CliReportWriter::Format::kJson : CliReportWriter::Format::kText,
                options.all, options.quiet) {}
  ~Session() {
    if (doc_) doc_->OnCloseDocument();
  }

  CVemoDoc& NewDocument() {
    doc_ = std::make_unique<CVemoDoc>(host_, file_system_, &store_);
    return *doc_;
  }
  CVemoDoc& Doc() { return *doc_; }
  const CliOptions& Options() const { return options_; }
  CliDocHost& Host() { return host_; }
  CliReportWriter& Report() { return report_; }

  void Message(std::wstring_view text) { PrintCliMessage(&progress_, text); }
  void Info(std::wstring_view text) {
    if (!options_.quiet) Message(text);
  }

  // Runs the document's cycle to its end. Returns -1 when it ended with the whole tree seen,
  // otherwise the exit status to end with (interrupted, or the walk failed).
  int RunCycle(bool rescan_new_after_loading) {
    const CycleOutcome outcome = RunCycleToIdle(*doc_, {rescan_new_after_loading, &progress_});
    progress_.Clear();
    switch (outcome) {
      case CycleOutcome::kInterrupted:
        return Interrupted();
      case CycleOutcome::kNotStarted:
        return kExitFailure;
      case CycleOutcome::kIdle:
        break;
    }
    if (doc_->IsListUnread()) {
      Message(doc_->GetPathName() +
              L": The list could not be read, so nothing is reported or saved.");
      return kExitFailure;
    }
    if (doc_->IsCycleIncomplete()) {
      Message(doc_->GetBaseDir() +
              L": The tree could not be checked completely, so nothing is reported or saved.");
      return kExitFailure;
    }
    return -1;
  }

  // Stops every worker (waiting for each) and gives the interrupted status.
  int Interrupted() {
    progress_.Clear();
    if (doc_) doc_->OnCloseDocument();
    NoteInterruptReported();
    Message(L"Interrupted.");
    return kInterruptedExitStatus;
  }

  // Reports every entry in key order (create: errors only, every entry with --all). A verify or
  // update reports a missing entry found again elsewhere once, as moved (unless --no-moves).
  void ReportEntries(bool creating) {
    const bool pair_moves = !creating && !options_.no_moves;
    MovePairing pairing;
    if (pair_moves) {
      doc_->GetEntries().ForEach(
          [&pairing](const CVemoEntry* entry) { pairing.Add(*entry, CategorizeEntry(*entry)); });
      pairing.Pair();
    }
    found_files_ = 0;
    found_directories_ = 0;
    changed_while_read_ = false;
    doc_->GetEntries().ForEach([&](const CVemoEntry* listed) {
      const CVemoEntry& entry = *listed;
      // What the warnings after the report need, in the same pass over a million entries.
      if ((entry.m_dwFlags & EF_FOUND) != 0)
        ++(entry.IsDirectory() ? found_directories_ : found_files_);
      changed_while_read_ = changed_while_read_ || entry.m_dwError == ERROR_SHARING_VIOLATION;
      CliReportItem item{&entry, ToCliCategory(CategorizeEntry(entry))};
      const bool pairable =
          item.category == CliCategory::kMissing || item.category == CliCategory::kNew;
      if (const MovePairing::Match* match = pairable ? pairing.Find(entry) : nullptr) {
        switch (match->role) {
          case MovePairing::Role::kLeft:
            return;
          case MovePairing::Role::kInsideMove:
            report_.CountOnly(CliCategory::kMoved, entry.IsDirectory());
            return;
          case MovePairing::Role::kMovedFile:
          case MovePairing::Role::kMovedFolder:
            item.category = CliCategory::kMoved;
            item.from = match->from;
            item.files = match->files;
            break;
          case MovePairing::Role::kUnpaired:
            item.missing_alike = match->missing_alike;
            item.new_alike = match->new_alike;
            break;
        }
      }
      report_.Entry(item, !creating || options_.all || item.category == CliCategory::kError);
    });
  }

  // Says so when files changed after the walk or while they were read (their entries are errors:
  // their checksums are not taken). True when there was one. After ReportEntries.
  bool WarnChangedWhileRead() {
    const bool any = changed_while_read_;
    if (any) {
      Message(doc_->GetBaseDir() +
              L": Files changed while they were read, so their new checksums are not listed; run "
              L"'vemo-cli update' again.");
    }
    return any;
  }

  // Names the found entries the list format cannot hold (they are left out of a saved list) and
  // counts the files and directories a saved list holds. True when one was left out. After
  // ReportEntries.
  bool WarnLeftOut() {
    if (doc_->GetLeftOutCount() == 0) {
      // The text to be saved leaves nothing out: no name needs a look.
      listed_files_ = found_files_;
      listed_directories_ = found_directories_;
      return false;
    }
    bool any = false;
    // The entries of a directory follow each other: its text is checked once for all of them.
    SharedText rel_dir_text;
    EncodedRelDir rel_dir;
    doc_->GetEntries().ForEach([&](const CVemoEntry* listed) {
      const CVemoEntry& entry = *listed;
      if ((entry.m_dwFlags & EF_FOUND) == 0) return;
      if (!entry.m_strRelDir.SameObject(rel_dir_text)) {
        rel_dir = EncodeRelDir(entry.m_strRelDir.view());
        rel_dir_text = entry.m_strRelDir;
      }
      if (!CanCarryEntry(entry, rel_dir)) {
        Message(entry.GetEntryPath() + L": Left out of the list, which cannot hold this name.");
        any = true;
        return;
      }
      ++(entry.IsDirectory() ? listed_directories_ : listed_files_);
    });
    return any;
  }

  // The summary and the status the output allows: 2 when writing it failed (a reader that closed
  // the pipe early is not a failure), else status.
  int Finish(int status) {
    if (creating_) {
      report_.CreateSummary(listed_files_, listed_directories_);
    } else {
      report_.Summary(list_);
    }
    if (report_.Failed() && report_.Error() != EPIPE) {
      Message(L"standard output: The report could not be written (" +
              platform::FileNameToWide(std::strerror(report_.Error())) + L").");
      return kExitFailure;
    }
    return status;
  }

  // Makes Finish write the summary of a create.
  void SetCreating() { creating_ = true; }
  // What the summary of a verify or update says of the list that was read.
  void SetListCondition(const CliListCondition& list) { list_ = list; }

  // Saves the document as the GUI's Save does. Returns -1 on success, else the exit status to end
  // with.
  int Save() {
    if (!doc_->DoFileSave()) return kExitFailure;
    Info(doc_->GetPathName() + L": Saved.");
    return -1;
  }

  // Saves, then runs the follow-up Rescan New cycle to its end. Returns as Save.
  int SaveAndFollowUp() {
    if (const int failed = Save(); failed >= 0) return failed;
    if (InterruptRequested()) return Interrupted();
    const int failed = RunCycle(false);
    if (failed >= 0) return failed;
    if (doc_->IsModified()) {
      Message(doc_->GetBaseDir() +
              L": The tree changed while the list was saved; run 'vemo-cli update' again.");
    }
    return -1;
  }

 private:
  const CliOptions& options_;
  platform::FileSystem* file_system_;
  CliProgressLine progress_;
  CliDocHost host_;
  CliTrackingFileStore store_;
  CliReportWriter report_;
  std::unique_ptr<CVemoDoc> doc_;
  bool creating_ = false;
  CliListCondition list_;
  std::size_t listed_files_ = 0;
  std::size_t listed_directories_ = 0;
  // Counted by ReportEntries.
  std::size_t found_files_ = 0;
  std::size_t found_directories_ = 0;
  bool changed_while_read_ = false;
};

std::wstring AbsoluteOrEmpty(const std::wstring& path) {
  std::wstring full = path.empty() ? std::wstring(L".") : path;
  return MakeAbsolute(full);
}

std::wstring SystemText() { return FormatSystemError(kUseLastError); }

// Why `given` has no absolute path: usually the system's text; a current directory that was
// deleted is named (the kernel keeps its last path, "/tmp/work (deleted)"), since "." or a
// relative path alone would tell nothing.
std::wstring NoAbsolutePathMessage(const std::wstring& given) {
  const std::wstring reason = SystemText();
  const std::wstring former = platform::DeletedCurrentDirectory();
  if (!former.empty()) {
    return former + L": The current directory no longer exists, so '" +
           (given.empty() ? L"." : given) + L"' names nothing.";
  }
  return given + L": " + reason;
}

// The message for a list path that a directory holds.
std::wstring DirectoryInTheWay(const std::wstring& path) {
  return path + L": A directory of the desired document name exists.";
}

// The document file a verify or update works on: PATH itself, or check.sum / CRCDir.crx in the
// directory PATH. Empty (after a message) when there is none.
std::wstring FindDocument(Session& session) {
  const std::wstring& given = session.Options().path;
  const std::wstring full = AbsoluteOrEmpty(given);
  if (full.empty()) {
    session.Message(NoAbsolutePathMessage(given));
    return {};
  }
  DWORD attributes = 0;
  if (!PathExists(full, &attributes)) {
    session.Message(full + L": " + SystemText());
    return {};
  }
  if (!platform::IsDirectoryFollowingLinks(full)) return full;
  const std::wstring dir = SetTrailingChar(full, true, kPathSeparator);
  for (const wchar_t* name : {kDefaultDocName1, kDefaultDocName2}) {
    if (PathExists(dir + name)) return dir + name;
  }
  session.Message(dir +
                  L": There is no checksum list (check.sum or CRCDir.crx) here; "
                  L"'vemo-cli create' makes one.");
  return {};
}

int VerifyOrUpdate(const CliOptions& options, const CliFileAccess& files, bool update) {
  Session session(options, files);
  const std::wstring path = FindDocument(session);
  if (path.empty()) return kExitFailure;
  CVemoDoc& doc = session.NewDocument();
  // A verify saves nothing: the new list text would be made only to be thrown away.
  doc.SetFormatsText(update);
  // Nothing is saved after a cycle that could not see the tree, so the list as read is not kept.
  doc.SetKeepsTextAsRead(false);
  if (!doc.OnOpenDocument(path)) return kExitFailure;
  if (const int failed = session.RunCycle(options.only_new); failed >= 0) return failed;
  // The format lets a list end without its trailer, so a list cut short reads without a word;
  // the user is told that it was not verified.
  const bool unsigned_list = doc.GetReadSignatureStatus() == SignatureStatus::kUnsigned;
  if (unsigned_list) {
    session.Message(path +
                    L": The list carries no signature, so nothing shows whether it was "
                    L"changed.");
  }
  session.ReportEntries(false);
  (void)session.WarnChangedWhileRead();
  // A list that was tampered with, or lists nothing, never verifies a tree as unchanged.
  const bool tampered = session.Host().SawTamperedWarning();
  const bool empty = session.Host().SawEmptyWarning();
  session.SetListCondition({tampered, empty, unsigned_list});
  int status = session.Report().Counts().AnyDifference() || tampered || empty ? kExitDifferences
                                                                              : kExitUnchanged;
  if (update) {
    if (session.WarnLeftOut()) status = kExitDifferences;
    // An intact list that matches the tree is left as it is: only its header's date would change.
    if (doc.IsModified() || tampered || unsigned_list || empty) {
      if (const int failed = session.SaveAndFollowUp(); failed >= 0) {
        (void)session.Finish(status);
        return failed;
      }
    } else {
      session.Info(path + L": Nothing changed, so the list is left as it is.");
    }
  }
  return session.Finish(status);
}

}  // namespace

int RunCreateCommand(const CliOptions& options, const CliFileAccess& files) {
  Session session(options, files);
  const std::wstring dir = AbsoluteOrEmpty(options.path);
  if (dir.empty()) {
    session.Message(NoAbsolutePathMessage(options.path));
    return kExitFailure;
  }
  if (!platform::IsDirectoryFollowingLinks(dir)) {
    session.Message(dir + L": " + SystemText());
    return kExitFailure;
  }
  const std::wstring base = SetTrailingChar(dir, true, kPathSeparator);
  for (const wchar_t* name : {kDefaultDocName1, kDefaultDocName2}) {
    DWORD attributes = 0;
    if (PathExists(base + name, &attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      session.Message(DirectoryInTheWay(base + name));
      return kExitFailure;
    }
    if (PathExists(base + name)) {
      session.Message(base + name +
                      L": A checksum list is already here; 'vemo-cli update' changes it.");
      return kExitFailure;
    }
  }
  session.SetCreating();
  CVemoDoc& doc = session.NewDocument();
  // A missing default-named file is a new document for its directory, as in the GUI.
  if (!doc.OnOpenDocument(base + kDefaultDocName1)) return kExitFailure;
  if (const int failed = session.RunCycle(false); failed >= 0) return failed;
  session.ReportEntries(true);
  (void)session.WarnChangedWhileRead();
  int status =
      session.Report().Counts().Total(CliCategory::kError) != 0 ? kExitDifferences : kExitUnchanged;
  if (session.WarnLeftOut()) status = kExitDifferences;
  // The list is complete once saved: a follow-up cycle would only walk the tree a second time.
  doc.SetRescanAfterSave(false);
  if (const int failed = session.Save(); failed >= 0) {
    (void)session.Finish(status);
    return failed;
  }
  return session.Finish(status);
}

int RunVerifyCommand(const CliOptions& options, const CliFileAccess& files) {
  return VerifyOrUpdate(options, files, false);
}

int RunUpdateCommand(const CliOptions& options, const CliFileAccess& files) {
  return VerifyOrUpdate(options, files, true);
}
