#include "ui/vemo_app.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSessionManager>

#include "document/app_settings.h"
#include "document/command_ids.h"
#include "document/vemo_doc.h"
#include "foundation/paths.h"
#include "foundation/process_values.h"
#include "foundation/program_identity.h"
#include "foundation/reg_data.h"
#include "foundation/reg_key.h"
#include "platform/executable_path.h"
#include "platform/file_name_text.h"
#include "ui/executable_signature.h"
#include "ui/framework/idle_loop.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/recent_file_list.h"
#include "ui/framework/single_instance.h"
#include "ui/vemo_about_box.h"
#include "ui/vemo_child_frame.h"
#include "ui/vemo_main_frame.h"
#include "ui/vemo_view.h"

namespace {

// The document template's registry file type and its description.
constexpr wchar_t kFileType[] = L"Vemo.Document";
constexpr wchar_t kFileTypeName[] = L"Vemo Document";

std::wstring WithoutFinalBackslash(std::wstring key) {
  while (!key.empty() && key.back() == L'\\') key.pop_back();
  return key;
}

}  // namespace

CVemoApp::CVemoApp()
    : CNWinApp(QStringLiteral("Vemo"), WithoutFinalBackslash(kApplicationKeyPath)),
      view_factory_(
          [](CVemoDoc& doc, QWidget* parent) -> CNView* { return new CVemoView(doc, parent); }) {
  connect(qApp, &QGuiApplication::commitDataRequest, this, &CVemoApp::OnCommitDataRequest);
}

CVemoApp::~CVemoApp() {
  CloseAllDocuments();
  SetMainFrame(nullptr);
}

bool CVemoApp::InitInstance(const QStringList& args) {
  // The identity is read before anything else runs; the computer's name with it.
  (void)ProgramIdentity();
  (void)ComputerName();
  std::string executable = executable_path_;
  if (executable.empty() && !platform::ExecutablePath(executable)) executable.clear();
  if (!executable.empty() &&
      CheckExecutableSignature(executable) == ExecutableSignature::kTampered) {
    ShowMessageBox(ToQString(TamperedExecutableMessage(platform::FileNameToWide(executable))),
                   QString(), MB_ICONERROR | MB_SETFOREGROUND);
    return false;
  }

  QStringList files;
  for (const QString& arg : args) {
    std::wstring path = PathFromQString(arg);
    if (path.empty()) continue;
    MakeAbsolute(path);
    files << PathToQString(path);
  }
  if (single_instance_) {
    if (!files.isEmpty() && CNSingleInstance::HandOver(files)) {
      handed_over_ = true;
      return false;
    }
    instance_server_ = std::make_unique<CNSingleInstance>();
    connect(instance_server_.get(), &CNSingleInstance::FilesReceived, this,
            &CVemoApp::OpenHandedOverFiles);
    instance_server_->Listen();
  }

  RecentFiles().Load();
  LoadAppSettings();
  settings_loaded_ = true;

  CNDocTemplate doc_template;
  doc_template.create_document = [](CVemoDocHost& host) {
    return std::make_unique<CVemoDoc>(host);
  };
  doc_template.create_frame = [](CVemoDoc& doc) -> CNMDIChildFrame* {
    return new CVemoChildFrame(doc);
  };
  doc_template.create_view = view_factory_;
  doc_template.filter = QStringLiteral("Vemo Files (*.sum *.crx)");
  doc_template.default_suffix = QStringLiteral("sum");
  SetDocTemplate(std::move(doc_template));

  main_frame_ = std::make_unique<CVemoMainFrame>();
  SetMainFrame(main_frame_.get());
  if (!main_frame_->Create()) return false;

  RegisterShellFileTypes();

  if (files.isEmpty()) {
    OnFileNew();
  } else {
    bool opened = false;
    for (const QString& file : files) opened = OpenDocumentFile(PathFromQString(file)) || opened;
    if (!opened) return false;
  }

  if (show_main_window_) main_frame_->show();
  return true;
}

int CVemoApp::ExitInstance(int code) {
  if (settings_loaded_) {
    RecentFiles().Save();
    SaveAppSettings();
  }
  return code;
}

bool CVemoApp::OnIdle(long count) {
  bool more = CNWinApp::OnIdle(count);
  if (count == 50 && main_frame_ != nullptr) more = main_frame_->UpdateActiveProgressIcon() || more;
  for (CVemoDoc* doc : Documents()) {
    // A document closed by another one's step (a nested loop of a message box) is skipped.
    if (!IsOpenDocument(doc)) continue;
    DocCall call(*this, *doc);
    more = doc->PollWork(count) || more;
  }
  return more;
}

bool CVemoApp::OnCommand(UINT id) {
  switch (id) {
    case ID_APP_ABOUT:
      ShowAbout();
      return true;
    case ID_FILE_PRINT_SETUP:
      PrintSetup();
      return true;
    default:
      return CNWinApp::OnCommand(id);
  }
}

bool CVemoApp::UpdateCommand(UINT id, CCmdState& state) {
  switch (id) {
    case ID_APP_ABOUT:
    case ID_FILE_PRINT_SETUP:
      state.enabled = true;
      return true;
    default:
      return CNWinApp::UpdateCommand(id, state);
  }
}

void CVemoApp::ShowAbout() {
  CVemoAboutBox box(main_frame_.get());
  box.exec();
}

void CVemoApp::PrintSetup() {
  QPrinter printer;
  QPageSetupDialog dialog(&printer, main_frame_.get());
  dialog.exec();
}

bool CVemoApp::OnSessionEnding(bool allow_interaction) {
  if (allow_interaction && !SaveAllModified()) return false;
  // From here on documents close without asking.
  ShutdownPending.exchange(1);
  CloseAllDocuments();
  if (main_frame_ != nullptr) main_frame_->close();
  return true;
}

void CVemoApp::OnCommitDataRequest(QSessionManager& manager) {
  const bool interaction = manager.allowsInteraction();
  const bool ending = OnSessionEnding(interaction);
  if (interaction) manager.release();
  if (!ending) manager.cancel();
}

void CVemoApp::OpenHandedOverFiles(const QStringList& files) {
  for (const QString& file : files) OpenDocumentFile(PathFromQString(file));
  if (main_frame_ != nullptr) {
    if (main_frame_->isMinimized()) main_frame_->showNormal();
    main_frame_->raise();
    main_frame_->activateWindow();
  }
}

bool CVemoApp::RegisterShellValue(const std::wstring& key_path, const std::wstring& text,
                                  const std::wstring& name) {
  CNRegKey key;
  if (!key.Open((L"HKCR\\" + key_path).c_str(), KEY_ALL_ACCESS)) return false;
  // With its terminating zero either way: the registry adds it to a default value too, and the
  // store then shows the text readably.
  const CNRegData data(std::wstring_view(text), REG_SZ);
  CNRegData current;
  std::wstring current_text;
  if (key.QueryValue(name.empty() ? nullptr : name.c_str(), current) &&
      current.GetType() == REG_SZ && current.AsString(&current_text, false) &&
      current_text == text) {
    return true;  // each write rewrites the whole store; an equal value needs none
  }
  return key.SetValue(name.empty() ? nullptr : name.c_str(), data);
}

void CVemoApp::RegisterShellFileTypes() {
  std::string executable;
  const std::wstring program =
      platform::ExecutablePath(executable) ? platform::FileNameToWide(executable) : L"vemo";
  RegisterShellValue(L".sum", kFileType);
  RegisterShellValue(kFileType, kFileTypeName);
  RegisterShellValue(std::wstring(kFileType) + L"\\DefaultIcon", program + L",1");
  RegisterShellValue(std::wstring(kFileType) + L"\\shell\\open\\command",
                     L"\"" + program + L"\" \"%1\"");
  // ".crx" names the same file type.
  RegisterShellValue(L".crx", kFileType);
}
