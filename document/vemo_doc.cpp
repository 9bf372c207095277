// CVemoDoc: construction, framework state, new, open, save and close.
#include "document/vemo_doc.h"

#include <cassert>
#include <cstdlib>
#include <vector>

#include "document/document_signature.h"
#include "foundation/environment_var.h"
#include "foundation/paths.h"
#include "foundation/process_values.h"
#include "foundation/system_error.h"
#include "platform/error_codes.h"
#include "platform/file_attributes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"
#include "records/letter_case.h"

namespace {

constexpr UINT kErrorBox = MB_ICONERROR | MB_SETFOREGROUND;

// The directory new documents start from: the current one, else TEMP (TMPDIR, /tmp on systems
// that do not set TEMP), ending in '/'.
std::wstring StartingDirectory() {
  std::wstring fallback;
  if (!GetEnvVar(L"TEMP", fallback) || fallback.empty()) {
    if (!GetEnvVar(L"TMPDIR", fallback) || fallback.empty()) fallback = L"/tmp";
  }
  return SetTrailingChar(GetCurrentDirOr(fallback), true, kPathSeparator);
}

std::wstring Absolute(std::wstring_view path) {
  std::wstring full(path);
  return MakeAbsolute(full);
}

}  // namespace

bool IsDefaultDocName(std::wstring_view name) {
  return TextEquals(name, kDefaultDocName1, KeyCase::kFold) ||
         TextEquals(name, kDefaultDocName2, KeyCase::kFold);
}

CVemoDoc::CVemoDoc(CVemoDocHost& host, platform::FileSystem* file_system,
                   platform::FileStore* file_store)
    : host_(host),
      file_system_(file_system),
      file_store_(file_store),
      scanner_(file_system),
      checksummer_(file_system) {
  column_widths_.fill(-2);
}

CVemoDoc::~CVemoDoc() { StopWorkersAndClear(false); }

// --- Framework state ---

void CVemoDoc::SetPathName(std::wstring_view path) {
  path_name_ = Absolute(path);
  SetTitle(PathNamePart(path_name_));
}

void CVemoDoc::SetTitle(std::wstring_view title) {
  title_ = base_dir_ + std::wstring(title);
  host_.OnTitleChanged(*this);
}

void CVemoDoc::SetBaseDir(std::wstring dir) {
  base_dir_ = std::move(dir);
  // The volume decides once whether names match regardless of letter case; a folder that does not
  // exist (yet) is taken as case-sensitive.
  std::string native;
  key_case_ = platform::FileNameFromWide(base_dir_, native) && file_system_->FoldsLetterCase(native)
                  ? KeyCase::kFold
                  : KeyCase::kExact;
}

int CVemoDoc::GetColumnWidth(int index) const {
  if (index < 0 || index >= kColumnCount) return -1;
  return column_widths_[static_cast<std::size_t>(index)];
}

bool CVemoDoc::SetColumnWidth(int index, int width) {
  if (index < 0 || index >= kColumnCount) return false;
  column_widths_[static_cast<std::size_t>(index)] = width;
  return true;
}

int CVemoDoc::ShowLines(std::initializer_list<std::wstring> lines, UINT style,
                        std::wstring_view caption) {
  const std::vector<std::wstring> all(lines);
  return host_.ShowMessageLines(all, caption, style != 0 ? style : kErrorBox);
}

// --- New and open ---

bool CVemoDoc::FrameworkNewDocument() {
  DeleteContents();
  read_signature_ = SignatureStatus::kEmpty;
  SetModifiedFlag(false);
  return true;
}

bool CVemoDoc::OnNewDocument() {
  const bool skip_prompt = SkipBaseDirPrompt.exchange(0) != 0;
  const std::wstring start = StartingDirectory();
  std::wstring a = Absolute(start + kDefaultDocName1);
  const std::wstring b = Absolute(start + kDefaultDocName2);
  if (!skip_prompt) {
    std::wstring folder = PathDirPart(a);
    if (!host_.BrowseForFolder(folder, L"Select base CRC dir")) return false;
    ReplaceDirPart(a, folder);
    if (a.empty()) return false;
  }
  if (PathExists(a)) {
    host_.OpenDocumentFile(a);
    return false;
  }
  if (PathExists(b)) {
    host_.OpenDocumentFile(b);
    return false;
  }
  if (!FrameworkNewDocument()) return false;
  SetBaseDir(PathDirPart(a));
  SetPathName(a);
  file_is_new_ = true;
  StartRescan(RescanMode::kAll);
  return true;
}

bool CVemoDoc::FrameworkOpenDocument(const std::wstring& path) {
  // The file is read before anything is cleared: a document that cannot be read again keeps what
  // it shows.
  CNByteBuffer loaded;
  if (!ReadDocumentFile(path, loaded)) return false;
  DeleteContents();
  std::swap(loaded, file_buffer_);
  SetModifiedFlag(false);
  file_is_new_ = false;
  return true;
}

bool CVemoDoc::ReadDocumentFile(const std::wstring& path, CNByteBuffer& out) {
  const std::wstring full = Absolute(path);
  std::string native;
  void* block = nullptr;
  std::size_t size = 0;
  if (!platform::FileNameFromWide(full, native) ||
      !file_store_->ReadWholeFileBlock(native, &block, &size) || !out.Adopt(block, size)) {
    ShowLines({FormatSystemError(kUseLastError, true, true), full});
    return false;
  }
  // An empty or tampered file is shown and read all the same.
  read_signature_ = CheckDocumentSignature(out, full, [this, &full](const std::wstring& text) {
    // The warning's own line, then the path.
    ShowLines({text.substr(0, text.size() - full.size() - 1), full});
  });
  // A save never writes through a link (it could point anywhere, outside the tree too): it
  // replaces the link itself. The user is told now, before anything is saved.
  DWORD attributes = 0;
  if (PathExists(full, &attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    ShowLines(
        {L"Warning: Vemo document file is a symbolic link; saving replaces the link with a "
         L"file",
         full});
  }
  return true;
}

bool CVemoDoc::OnOpenDocument(std::wstring_view path) {
  SkipBaseDirPrompt.store(0);
  const std::wstring full = Absolute(path);
  if (full.empty()) {
    ShowLines({FormatSystemError(kUseLastError, true, true), std::wstring(path)});
    return false;
  }
  DWORD attributes = 0;
  if (PathExists(full, &attributes)) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      // Said as plainly as a save into it would say it (not "Access is denied").
      ShowLines({L"A directory of the desired document name exists", full});
      return false;
    }
    SetBaseDir(PathDirPart(full));
    SetPathName(full);
    if (!FrameworkOpenDocument(full)) return false;
    // The loader reads the file buffer in place: nothing changes it before the loader has ended
    // or been stopped (every path that replaces or clears it stops the loader first).
    if (!loader_.StartReading(base_dir_, file_buffer_, key_case_)) {
      // Without a loader the document shows nothing; its file buffer still holds the file as read,
      // so saving cannot lose it.
      ReportCycleError(platform::LastError(), full);
      state_ = DocState::kIdle;
      return false;
    }
    state_ = DocState::kLoading;
    // The walk does not depend on the list: it runs while the list loads, and the Scanning phase
    // that follows merges its records as those of a walk started then.
    early_walk_ = scanner_.Start(base_dir_, key_case_);
    SendUpdate(RFSH);
    return true;
  }
  if (platform::LastError() == ERROR_FILE_NOT_FOUND && !IsDefaultDocName(PathNamePart(full))) {
    ShowLines({FormatSystemError(ERROR_FILE_NOT_FOUND, true, true), full});
    return false;
  }
  if (!FrameworkNewDocument()) return false;
  SetBaseDir(PathDirPart(full));
  SetPathName(full);
  file_is_new_ = true;
  StartRescan(rescan_mode_);
  return true;
}

// --- Save ---

bool CVemoDoc::WriteDocumentFile(const std::wstring& path, bool create_only) {
  if (text_behind_) {
    // The text is not that of the entries shown: writing it would save an older list as theirs.
    platform::SetLastError(ERROR_INVALID_FUNCTION);
    ShowLines({L"Failed to save document.", FormatSystemError(kUseLastError, true), path});
    return false;
  }
  std::vector<std::span<const BYTE>> pieces;
  pieces.reserve(file_buffer_.GetChunkCount());
  for (std::size_t i = 0; i < file_buffer_.GetChunkCount(); ++i) {
    pieces.push_back(file_buffer_.GetChunk(i));
  }
  std::string native;
  if (!platform::FileNameFromWide(path, native) ||
      !(create_only ? platform::CreateFileContents(*file_store_, native, pieces)
                    : platform::ReplaceFileContents(*file_store_, native, pieces))) {
    ShowLines({L"Failed to save document.", FormatSystemError(kUseLastError, true), path});
    return false;
  }
  return true;
}

bool CVemoDoc::FrameworkSaveDocument(const std::wstring& path) {
  const bool own_file = path == path_name_;
  if (!WriteDocumentFile(path, own_file && file_is_new_ && !save_path_chosen_)) return false;
  if (own_file) file_is_new_ = false;
  SetModifiedFlag(false);
  return true;
}

bool CVemoDoc::OnSaveDocument(std::wstring_view path) {
  if (state_ != DocState::kIdle) {
    host_.ShowMessageBox(L"Document is being updated, please wait with saving data till finished.",
                         {}, MB_ICONERROR);
    return false;
  }
  const std::wstring full = Absolute(path);
  if (full.empty()) {
    ShowLines(
        {L"Failed to save document.", FormatSystemError(kUseLastError, true), std::wstring(path)});
    return false;
  }
  const bool was_modified = IsModified();
  if (!FrameworkSaveDocument(full)) return false;
  if (PathDirPart(full) != base_dir_) {
    SetModifiedFlag(was_modified);  // a copy elsewhere leaves the document as it was
    return true;
  }
  // After an incomplete cycle the entries describe a tree that could not be seen: committing
  // would drop every listed entry. The file written is the last complete list.
  if (!IsCycleIncomplete()) CommitAfterSave();
  if (rescan_after_save_) StartRescan(RescanMode::kNew);
  return true;
}

bool CVemoDoc::DoSave(std::wstring_view path, bool replace) {
  std::wstring name(path);
  bool chosen = false;
  if (name.empty()) {
    name = path_name_;
    if (replace && name.empty()) name = base_dir_ + std::wstring(PathNamePart(title_));
    if (!host_.PromptSaveFileName(name, replace)) return false;
    chosen = true;  // the dialog asked before replacing a file
  }
  save_path_chosen_ = chosen;
  const bool saved = OnSaveDocument(name);
  save_path_chosen_ = false;
  if (!saved) return false;
  if (replace) {
    if (Absolute(name) != path_name_) file_is_new_ = false;  // the chosen file now exists
    SetPathName(name);
  }
  return true;
}

bool CVemoDoc::DoFileSave() {
  DWORD attributes = 0;
  if (PathExists(path_name_, &attributes)) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      ShowLines({L"A directory of the desired document name exists", path_name_});
      return false;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      const int answer = ShowLines({L"File is read/only", path_name_, L"Override anyway?"},
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND);
      if (answer != IDYES) return false;
      std::string native;
      if (!platform::FileNameFromWide(path_name_, native) || !file_store_->MakeWritable(native)) {
        const std::wstring reason = FormatSystemError(kUseLastError, true);
        ShowLines({L"Could not make the file read/write", path_name_, reason});
        return false;
      }
    }
  }
  return DoSave(path_name_, true);
}

bool CVemoDoc::SaveModified() {
  if (!IsModified() || state_ != DocState::kIdle || ShutdownPending.load() != 0) return true;
  std::wstring name = path_name_;
  if (name.empty()) name = title_;  // the title already begins with the base directory
  if (name.empty() || name == base_dir_) name = base_dir_ + host_.UntitledName();
  name = Absolute(name);
  switch (ShowLines({L"Save new data to\n", name}, MB_YESNOCANCEL | MB_ICONQUESTION,
                    L"Please select")) {
    case IDYES:
      return DoSave(name, true);
    case IDNO:
      return true;
    default:
      return false;
  }
}

// --- Close ---

void CVemoDoc::StopWorkersAndClear(bool notify_views) {
  if (notify_views && (!entries_.IsEmpty() || !unseen_entries_.empty())) SendUpdate(RCLR);
  // The formatter reads the entries: it stops before they go.
  formatter_.Stop(INFINITE);
  free(formatter_.TakeOutput());
  loader_.StopAndClear();
  scanner_.StopAndDiscard();
  early_walk_ = false;
  checksummer_.Clear(true);
  DropPendingSteps(false);
  entry_set_.RemoveAll();
  entries_.RemoveAll(true);
  file_buffer_.Clear();
  text_behind_ = false;
  list_unread_ = false;
}

void CVemoDoc::DeleteContents() { StopWorkersAndClear(); }

void CVemoDoc::OnCloseDocument() { StopWorkersAndClear(); }
