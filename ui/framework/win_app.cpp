#include "ui/framework/win_app.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

#include "document/command_ids.h"
#include "document/vemo_doc.h"
#include "foundation/paths.h"
#include "ui/framework/idle_loop.h"
#include "ui/framework/mdi_child_frame.h"
#include "ui/framework/mdi_frame.h"
#include "ui/framework/qt_doc_host.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/recent_file_list.h"
#include "ui/framework/view.h"

namespace {
CNWinApp* g_app = nullptr;
}  // namespace

struct CNWinApp::DocRecord {
  std::unique_ptr<CVemoDoc> doc;
  std::vector<QPointer<CNMDIChildFrame>> frames;
  int busy = 0;  // calls into the document that have not returned
  bool close_pending = false;
};

CNWinApp::CNWinApp(QString app_name, std::wstring application_key)
    : app_name_(std::move(app_name)),
      recent_(std::make_unique<CNRecentFileList>(std::move(application_key),
                                                 CNRecentFileList::kMaxEntries)),
      host_(std::make_unique<CNQtDocHost>(*this)) {
  g_app = this;
  commands_.SetRouter(this);
  connect(recent_.get(), &CNRecentFileList::OpenRequested, this, &CNWinApp::OpenRecentFile);
  idle_ = std::make_unique<CNIdleLoop>([this](long count) { return OnIdle(count); });
}

CNWinApp::~CNWinApp() {
  idle_.reset();
  commands_.SetRouter(nullptr);
  CloseAllDocuments();
  documents_.clear();
  g_app = nullptr;
}

CNWinApp* CNWinApp::Instance() { return g_app; }

CVemoDocHost& CNWinApp::Host() { return *host_; }

void CNWinApp::SetMainFrame(CNMDIFrame* frame) { main_frame_ = frame; }

CNMDIFrame* CNWinApp::MainFrame() const { return main_frame_.data(); }

// --- Documents ---

CNWinApp::DocRecord* CNWinApp::Find(const CVemoDoc* doc) const {
  for (const auto& record : documents_) {
    if (record->doc.get() == doc) return record.get();
  }
  return nullptr;
}

CNWinApp::DocRecord* CNWinApp::FindFrame(const CNMDIChildFrame* frame) const {
  for (const auto& record : documents_) {
    for (const auto& f : record->frames) {
      if (f == frame) return record.get();
    }
  }
  return nullptr;
}

std::vector<CVemoDoc*> CNWinApp::Documents() const {
  std::vector<CVemoDoc*> docs;
  for (const auto& record : documents_) {
    if (!record->close_pending) docs.push_back(record->doc.get());
  }
  return docs;
}

bool CNWinApp::IsOpenDocument(const CVemoDoc* doc) const {
  const DocRecord* record = Find(doc);
  return record != nullptr && !record->close_pending;
}

std::vector<CNMDIChildFrame*> CNWinApp::FramesOf(const CVemoDoc& doc) const {
  std::vector<CNMDIChildFrame*> frames;
  if (DocRecord* record = Find(&doc)) {
    for (const auto& f : record->frames) {
      if (f != nullptr) frames.push_back(f.data());
    }
  }
  return frames;
}

CNMDIChildFrame* CNWinApp::CreateFrame(DocRecord& record) {
  CNMDIChildFrame* frame = template_.create_frame(*record.doc);
  if (frame == nullptr) return nullptr;
  if (!frame->Create()) {
    delete frame;
    return nullptr;
  }
  CNView* view = template_.create_view(*record.doc, frame);
  if (view == nullptr) {
    delete frame;
    return nullptr;
  }
  frame->SetView(view);
  record.frames.emplace_back(frame);
  if (main_frame_ != nullptr) main_frame_->AddChildFrame(frame);
  UpdateFrameTitles(*record.doc);
  return frame;
}

CNWinApp::DocRecord* CNWinApp::CreateDocumentWindow() {
  auto record = std::make_unique<DocRecord>();
  record->doc = template_.create_document(*host_);
  DocRecord* created = record.get();
  documents_.push_back(std::move(record));
  if (CreateFrame(*created) == nullptr) {
    CloseDocument(*created->doc);
    return nullptr;
  }
  return created;
}

CVemoDoc* CNWinApp::OnFileNew() {
  DocRecord* record = CreateDocumentWindow();
  if (record == nullptr) return nullptr;
  CVemoDoc* doc = record->doc.get();
  bool started = false;
  {
    DocCall call(*this, *doc);
    started = doc->OnNewDocument();
  }
  if (!started || record->close_pending) {
    CloseDocument(*doc);
    return nullptr;
  }
  for (const auto& frame : record->frames) {
    if (frame != nullptr) frame->InitialUpdateFrame();
  }
  emit DocumentsChanged();
  return doc;
}

CVemoDoc* CNWinApp::OpenDocumentFile(const std::wstring& path) {
  std::wstring full = path;
  MakeAbsolute(full);
  for (const auto& record : documents_) {
    if (record->close_pending || record->doc->GetPathName() != full) continue;
    for (const auto& frame : record->frames) {
      if (frame != nullptr && main_frame_ != nullptr) {
        main_frame_->MdiArea()->setActiveSubWindow(frame);
        break;
      }
    }
    return record->doc.get();
  }
  DocRecord* record = CreateDocumentWindow();
  if (record == nullptr) return nullptr;
  CVemoDoc* doc = record->doc.get();
  bool opened = false;
  {
    DocCall call(*this, *doc);
    opened = doc->OnOpenDocument(full);
  }
  if (!opened || record->close_pending) {
    CloseDocument(*doc);
    return nullptr;
  }
  recent_->Add(doc->GetPathName());
  recent_->Save();
  for (const auto& frame : record->frames) {
    if (frame != nullptr) frame->InitialUpdateFrame();
  }
  emit DocumentsChanged();
  return doc;
}

QString CNWinApp::OpenDialogFolder() const {
  // The lists a user opens next usually sit beside the one in front, not in the folder the
  // program happened to be started from.
  CNMDIChildFrame* frame = main_frame_ != nullptr ? main_frame_->MDIGetActive() : nullptr;
  if (frame != nullptr) {
    const std::wstring& path = frame->GetDocument().GetPathName();
    const std::size_t slash = path.rfind(L'/');
    if (slash != std::wstring::npos) return PathToQString(path.substr(0, slash + 1));
  }
  return last_open_folder_;
}

void CNWinApp::OnFileOpen() {
  QStringList files;
  const QString title = QStringLiteral("Open");
  const QString start = OpenDialogFolder();
  if (hooks_.file) {
    if (auto chosen = hooks_.file(title, start, false)) files << *chosen;
  } else {
    files = QFileDialog::getOpenFileNames(main_frame_, title, start,
                                          template_.filter + QStringLiteral(";;All Files (*)"));
  }
  if (!files.isEmpty()) last_open_folder_ = QFileInfo(files.first()).absolutePath();
  for (const QString& file : files) OpenDocumentFile(PathFromQString(file));
}

void CNWinApp::OpenRecentFile(int index) {
  if (index < 0 || index >= recent_->Count()) return;
  const std::wstring path = recent_->Path(index);
  if (OpenDocumentFile(path) == nullptr) {
    // A list that cannot be opened any more leaves the menu, as it always has.
    for (int i = 0; i < recent_->Count(); ++i) {
      if (recent_->Path(i) == path) {
        recent_->Remove(i);
        recent_->Save();
        break;
      }
    }
  }
}

CNMDIChildFrame* CNWinApp::CreateNewWindow(CVemoDoc& doc) {
  DocRecord* record = Find(&doc);
  if (record == nullptr || record->close_pending) return nullptr;
  CNMDIChildFrame* frame = CreateFrame(*record);
  if (frame != nullptr) frame->InitialUpdateFrame();
  return frame;
}

bool CNWinApp::SaveAllModified() {
  for (CVemoDoc* doc : Documents()) {
    if (Find(doc) == nullptr) continue;
    DocCall call(*this, *doc);
    if (!doc->SaveModified()) return false;
  }
  return true;
}

void CNWinApp::CloseAllDocuments() {
  std::vector<CVemoDoc*> docs;
  for (const auto& record : documents_) docs.push_back(record->doc.get());
  for (CVemoDoc* doc : docs) CloseDocument(*doc);
}

void CNWinApp::CloseDocument(CVemoDoc& doc) {
  DocRecord* record = Find(&doc);
  if (record == nullptr) return;
  // Views go first and at once, so that none outlives the document.
  std::vector<QPointer<CNMDIChildFrame>> frames;
  frames.swap(record->frames);
  for (const auto& frame : frames) {
    if (frame == nullptr) continue;
    frame->ReleaseView();
    if (main_frame_ != nullptr) main_frame_->MdiArea()->removeSubWindow(frame);
    frame->hide();
    frame->deleteLater();
  }
  if (record->busy > 0) {
    record->close_pending = true;
    return;
  }
  FinishClose(&doc);
}

void CNWinApp::FinishClose(CVemoDoc* doc) {
  const auto it = std::find_if(documents_.begin(), documents_.end(),
                               [doc](const auto& record) { return record->doc.get() == doc; });
  if (it == documents_.end()) return;
  std::unique_ptr<DocRecord> record = std::move(*it);
  documents_.erase(it);
  record->doc->OnCloseDocument();
  record.reset();
  if (main_frame_ != nullptr) main_frame_->UpdateFrameTitle();
  emit DocumentsChanged();
}

bool CNWinApp::CloseDocumentWithPrompt(CVemoDoc& doc) {
  {
    DocCall call(*this, doc);
    if (!doc.SaveModified()) return false;
  }
  CloseDocument(doc);
  return true;
}

CNWinApp::DocCall::DocCall(CNWinApp& app, CVemoDoc& doc) : app_(app), doc_(&doc) {
  if (DocRecord* record = app_.Find(doc_)) ++record->busy;
}

CNWinApp::DocCall::~DocCall() {
  DocRecord* record = app_.Find(doc_);
  if (record == nullptr || --record->busy > 0 || !record->close_pending) return;
  // The caller may still hold the document until it returns to the event loop.
  CNWinApp* app = &app_;
  CVemoDoc* doc = doc_;
  QTimer::singleShot(0, app, [app, doc] {
    DocRecord* pending = app->Find(doc);
    if (pending != nullptr && pending->busy == 0 && pending->close_pending) app->FinishClose(doc);
  });
}

// --- Frames ---

bool CNWinApp::CanCloseFrame(CNMDIChildFrame* frame) {
  DocRecord* record = FindFrame(frame);
  if (record == nullptr || record->close_pending) return true;
  const auto open = std::count_if(record->frames.begin(), record->frames.end(),
                                  [](const auto& f) { return f != nullptr; });
  if (open > 1) return true;
  DocCall call(*this, *record->doc);
  return record->doc->SaveModified();
}

void CNWinApp::OnFrameClosed(CNMDIChildFrame* frame) {
  DocRecord* record = FindFrame(frame);
  if (record == nullptr) return;
  auto& frames = record->frames;
  frames.erase(std::remove_if(frames.begin(), frames.end(),
                              [frame](const auto& f) { return f == nullptr || f == frame; }),
               frames.end());
  if (frames.empty()) {
    CloseDocument(*record->doc);
  } else {
    UpdateFrameTitles(*record->doc);
  }
}

void CNWinApp::OnFrameDestroyed(CNMDIChildFrame* frame) { OnFrameClosed(frame); }

void CNWinApp::UpdateFrameTitles(const CVemoDoc& doc) {
  const std::vector<CNMDIChildFrame*> frames = FramesOf(doc);
  const QString title = ToQString(doc.GetTitle());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    frames[i]->setWindowTitle(
        frames.size() == 1 ? title : title + QLatin1Char(':') + QString::number(i + 1));
  }
  if (main_frame_ != nullptr) main_frame_->UpdateFrameTitle();
}

// --- Idle processing ---

bool CNWinApp::OnIdle(long count) {
  if (count == 0) {
    commands_.UpdateAll();
    for (const auto& record : documents_) {
      for (const auto& frame : record->frames) {
        if (frame != nullptr) frame->OnIdleUpdate();
      }
    }
    if (main_frame_ != nullptr) main_frame_->OnIdleUpdate();
  }
  return count < 2;
}

// --- Command routing ---

bool CNWinApp::RouteCommand(UINT id) {
  CNMDIChildFrame* frame = main_frame_ != nullptr ? main_frame_->MDIGetActive() : nullptr;
  if (frame != nullptr) {
    CVemoDoc& doc = frame->GetDocument();
    {
      DocCall call(*this, doc);
      if (CNView* view = frame->GetView(); view != nullptr && view->OnCommand(id)) return true;
      if (doc.OnCommand(id)) return true;
    }
    if (id == ID_FILE_CLOSE) {
      CloseDocumentWithPrompt(doc);
      return true;
    }
    if (frame->OnCommand(id)) return true;
  }
  if (main_frame_ != nullptr && main_frame_->OnCommand(id)) return true;
  return OnCommand(id);
}

bool CNWinApp::RouteUpdateCommand(UINT id, CCmdState& state) {
  CNMDIChildFrame* frame = main_frame_ != nullptr ? main_frame_->MDIGetActive() : nullptr;
  if (frame != nullptr) {
    if (CNView* view = frame->GetView(); view != nullptr && view->UpdateCommand(id, state)) {
      return true;
    }
    if (frame->GetDocument().UpdateCommand(id, state)) return true;
    if (id == ID_FILE_CLOSE) {
      state.enabled = true;
      return true;
    }
    if (frame->UpdateCommand(id, state)) return true;
  }
  if (main_frame_ != nullptr && main_frame_->UpdateCommand(id, state)) return true;
  return UpdateCommand(id, state);
}

bool CNWinApp::OnCommand(UINT id) {
  switch (id) {
    case ID_FILE_NEW:
      OnFileNew();
      return true;
    case ID_FILE_OPEN:
      OnFileOpen();
      return true;
    case ID_APP_EXIT:
      if (main_frame_ != nullptr) main_frame_->close();
      return true;
    default:
      if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) {
        OpenRecentFile(static_cast<int>(id - ID_FILE_MRU_FIRST));
        return true;
      }
      return false;
  }
}

bool CNWinApp::UpdateCommand(UINT id, CCmdState& state) {
  switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_APP_EXIT:
      state.enabled = true;
      return true;
    default:
      if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) {
        state.enabled = static_cast<int>(id - ID_FILE_MRU_FIRST) < recent_->Count();
        return true;
      }
      return false;
  }
}

// --- Host services ---

int CNWinApp::ShowMessageBox(const QString& raw_text, const QString& caption, UINT style) {
  QString text = raw_text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QString title = caption.isEmpty() ? app_name_ : caption;
  if (hooks_.message_box) return hooks_.message_box(text, title, style);

  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton second = QMessageBox::NoButton;
  QMessageBox::StandardButton escape = QMessageBox::Ok;
  QMessageBox::StandardButton first = QMessageBox::Ok;
  switch (style & MB_TYPEMASK) {
    case MB_YESNOCANCEL:
      buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      first = QMessageBox::Yes;
      second = QMessageBox::No;
      escape = QMessageBox::Cancel;
      break;
    case MB_YESNO:
      buttons = QMessageBox::Yes | QMessageBox::No;
      first = QMessageBox::Yes;
      second = QMessageBox::No;
      escape = QMessageBox::No;
      break;
    default:
      break;
  }
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
      icon = QMessageBox::Critical;
      break;
    case MB_ICONQUESTION:
      icon = QMessageBox::Question;
      break;
    case 0x30:  // MB_ICONEXCLAMATION
      icon = QMessageBox::Warning;
      break;
    case 0x40:  // MB_ICONINFORMATION
      icon = QMessageBox::Information;
      break;
    default:
      break;
  }
  if ((style & MB_SETFOREGROUND) != 0 && main_frame_ != nullptr) {
    main_frame_->raise();
    main_frame_->activateWindow();
  }
  QMessageBox box(icon, title, text, buttons, main_frame_);
  box.setDefaultButton((style & MB_DEFBUTTON2) != 0 && second != QMessageBox::NoButton ? second
                                                                                       : first);
  box.setEscapeButton(escape);
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    case QMessageBox::Cancel:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

void CNWinApp::UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column) {
  for (CNMDIChildFrame* frame : FramesOf(doc)) {
    if (CNView* view = frame->GetView()) view->OnUpdate(nullptr, hint, entry, column);
  }
}

void CNWinApp::PostCloseDocumentFrames(CVemoDoc& doc) {
  CVemoDoc* target = &doc;
  QTimer::singleShot(0, this, [this, target] {
    for (CNMDIChildFrame* frame : FramesOf(*target)) frame->close();
  });
}

void CNWinApp::PostCloseOnNoDocument() {
  QTimer::singleShot(0, this, [this] {
    if (main_frame_ != nullptr) main_frame_->OnCloseOnNoDocument();
  });
}

bool CNWinApp::PromptFileName(std::wstring& path, bool save, bool replace) {
  const QString title = !save     ? QStringLiteral("Open")
                        : replace ? QStringLiteral("Save As")
                                  : QStringLiteral("Save Copy As");
  const QString start = PathToQString(path);
  std::optional<QString> chosen;
  if (hooks_.file) {
    chosen = hooks_.file(title, start, save);
  } else {
    QFileDialog dialog(main_frame_, title, start, template_.filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(template_.default_suffix);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      chosen = dialog.selectedFiles().first();
    }
  }
  if (!chosen || chosen->isEmpty()) return false;
  path = PathFromQString(*chosen);
  return true;
}

bool CNWinApp::BrowseForFolder(std::wstring& folder, std::wstring_view title) {
  const QString start = PathToQString(folder);
  std::optional<QString> chosen;
  if (hooks_.folder) {
    chosen = hooks_.folder(ToQString(title), start);
  } else {
    const QString dir = QFileDialog::getExistingDirectory(main_frame_, ToQString(title), start);
    if (!dir.isEmpty()) chosen = dir;
  }
  if (!chosen || chosen->isEmpty()) return false;
  folder = PathFromQString(*chosen);
  if (folder.back() != L'/') folder.push_back(L'/');
  return true;
}
