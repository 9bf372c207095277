// CVemoApp: the application object of the desktop program. It loads the settings at start-up and
// saves them at exit, ties CVemoDoc, CVemoChildFrame and the list view together in its document
// template, makes the main window, registers the file types, carries out the command line and
// drives every document's idle step.
//
// Start-up (InitInstance), in order: the program identity and the integrity check of the
// executable; handing the files to a program already running; the recent-file list; the settings;
// the document template; the main window; the file types; the command line; showing the window.
// ExitInstance saves the settings and the recent-file list on every way out.
//
// User-interface thread only; one per process, made after the QApplication.
#pragma once
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "ui/framework/win_app.h"

class CNSingleInstance;
class CVemoMainFrame;
class QSessionManager;

class CVemoApp : public CNWinApp {
  Q_OBJECT

 public:
  CVemoApp();
  ~CVemoApp() override;

  // args: the command line after the program's name. False ends the program (ExitInstance still
  // runs).
  bool InitInstance(const QStringList& args);
  // Saves what is kept; returns code.
  int ExitInstance(int code);

  bool OnIdle(long count) override;
  bool OnCommand(UINT id) override;
  bool UpdateCommand(UINT id, CCmdState& state) override;

  [[nodiscard]] CVemoMainFrame* VemoMainFrame() const { return main_frame_.get(); }
  // Start-up ended because a running program took the files.
  [[nodiscard]] bool HandedOver() const { return handed_over_; }

  // --- Choices for tests and scripted runs ---
  // The executable whose integrity start-up checks (default: the running program).
  void SetExecutablePath(std::string path) { executable_path_ = std::move(path); }
  // Whether start-up hands its files to a running program and listens for later starts
  // (default on).
  void SetSingleInstance(bool on) { single_instance_ = on; }
  // The view factory of the document template (default: the list view).
  void SetViewFactory(std::function<CNView*(CVemoDoc&, QWidget*)> factory) {
    view_factory_ = std::move(factory);
  }
  // Whether InitInstance shows the main window (default on).
  void SetShowMainWindow(bool on) { show_main_window_ = on; }

  // The session is ending: asks about modified documents when the session allows it (false:
  // the user cancelled), else marks the shutdown and closes everything without asking.
  bool OnSessionEnding(bool allow_interaction);
  // HKCR entries for ".sum" (and ".crx") naming "Vemo.Document"; best effort.
  void RegisterShellFileTypes();
  // Writes text as value name (empty: the key's default value) of HKCR\key_path.
  static bool RegisterShellValue(const std::wstring& key_path, const std::wstring& text,
                                 const std::wstring& name = {});
  void OpenHandedOverFiles(const QStringList& files);

 private:
  void OnCommitDataRequest(QSessionManager& manager);
  void ShowAbout();
  void PrintSetup();

  std::unique_ptr<CVemoMainFrame> main_frame_;
  std::unique_ptr<CNSingleInstance> instance_server_;
  std::function<CNView*(CVemoDoc&, QWidget*)> view_factory_;
  std::string executable_path_;
  bool single_instance_ = true;
  bool show_main_window_ = true;
  bool settings_loaded_ = false;
  bool handed_over_ = false;
};
