// CNWinApp: the application object of the document/view framework. Exactly one exists while the
// windows do. It owns the open documents with their frames, the command manager, the recent-file
// list and the idle loop, creates documents through its template, routes commands in the classic
// order (active view, its document, active child frame, main frame, application) and is the
// documents' host (CVemoDocHost through CNQtDocHost).
//
// Document lifetime: a document is closed and destroyed when its last window closes, or by
// CloseDocument. While a call into the document runs (tracked by DocCall), closing is deferred
// until the call has returned: a message box's nested event loop can deliver a close request, and
// the document must not vanish under its own feet. Views are always destroyed before their
// document.
//
// User-interface thread only.
#pragma once
#include <QObject>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "document/doc_host.h"
#include "ui/framework/cmd_target.h"
#include "ui/framework/command_manager.h"
#include "ui/framework/dialog_hooks.h"
#include "ui/framework/doc_template.h"

class CNIdleLoop;
class CNMDIChildFrame;
class CNMDIFrame;
class CNQtDocHost;
class CNRecentFileList;
class CNView;

class CNWinApp : public QObject, public CNCmdTarget, public CNCommandRouter {
  Q_OBJECT

 public:
  // app_name: the program's name ("Vemo"); application_key: the registry key of the framework's
  // profile data (the recent-file list).
  CNWinApp(QString app_name, std::wstring application_key);
  ~CNWinApp() override;
  CNWinApp(const CNWinApp&) = delete;
  CNWinApp& operator=(const CNWinApp&) = delete;

  [[nodiscard]] static CNWinApp* Instance();

  [[nodiscard]] const QString& AppName() const { return app_name_; }
  void SetDocTemplate(CNDocTemplate doc_template) { template_ = std::move(doc_template); }
  [[nodiscard]] const CNDocTemplate& DocTemplate() const { return template_; }
  // The main window (not owned: the caller keeps it alive while the application runs).
  void SetMainFrame(CNMDIFrame* frame);
  [[nodiscard]] CNMDIFrame* MainFrame() const;
  [[nodiscard]] CNCommandManager& Commands() { return commands_; }
  [[nodiscard]] CNRecentFileList& RecentFiles() { return *recent_; }
  [[nodiscard]] CVemoDocHost& Host();
  [[nodiscard]] CNDialogHooks& DialogHooks() { return hooks_; }
  [[nodiscard]] CNIdleLoop& IdleLoop() { return *idle_; }

  // --- Documents ---
  // The open documents (not those waiting to close), in the order they were opened.
  [[nodiscard]] std::vector<CVemoDoc*> Documents() const;
  [[nodiscard]] bool IsOpenDocument(const CVemoDoc* doc) const;
  [[nodiscard]] std::vector<CNMDIChildFrame*> FramesOf(const CVemoDoc& doc) const;
  // File New: a new document in a new window; null when the document declined (cancelled folder
  // dialog, or an existing list opened instead).
  CVemoDoc* OnFileNew();
  // Opens path (made absolute) in a new window, or activates the window of the document that
  // already has it open. Null when the document could not be opened. A successful open puts the
  // path at the top of the recent-file list.
  CVemoDoc* OpenDocumentFile(const std::wstring& path);
  // File Open: the open dialog, then OpenDocumentFile for each file chosen.
  void OnFileOpen();
  // Another window on doc (Window New Window).
  CNMDIChildFrame* CreateNewWindow(CVemoDoc& doc);
  // Offers every modified document for saving; false when the user cancelled.
  bool SaveAllModified();
  // Closes every document without asking.
  void CloseAllDocuments();
  // Closes doc and its windows without asking (deferred while a call into it runs).
  void CloseDocument(CVemoDoc& doc);
  // File Close: offers to save, then closes doc and all its windows.
  bool CloseDocumentWithPrompt(CVemoDoc& doc);

  // --- Frames (called by CNMDIChildFrame) ---
  // Whether frame may close: the last window of a document asks the document (save prompt).
  bool CanCloseFrame(CNMDIChildFrame* frame);
  // The frame's close was accepted and its view destroyed.
  void OnFrameClosed(CNMDIChildFrame* frame);
  void OnFrameDestroyed(CNMDIChildFrame* frame);
  // Captions of doc's windows ("title", or "title:1", "title:2" ...) and the main window's.
  void UpdateFrameTitles(const CVemoDoc& doc);

  // Marks a call into a document: the document is not destroyed before the call returns.
  class DocCall {
   public:
    DocCall(CNWinApp& app, CVemoDoc& doc);
    ~DocCall();
    DocCall(const DocCall&) = delete;
    DocCall& operator=(const DocCall&) = delete;

   private:
    CNWinApp& app_;
    CVemoDoc* doc_;
  };

  // --- Idle processing ---
  // The framework's part: at count 0 the command states, the frames' bars and the main window's
  // bars are brought up to date. True for counts 0 and 1.
  virtual bool OnIdle(long count);

  // --- Command routing ---
  bool RouteCommand(UINT id) override;
  bool RouteUpdateCommand(UINT id, CCmdState& state) override;
  // The application's own commands: New, Open, Exit, the recent files.
  bool OnCommand(UINT id) override;
  bool UpdateCommand(UINT id, CCmdState& state) override;

  // --- Host services (CNQtDocHost forwards here) ---
  int ShowMessageBox(const QString& text, const QString& caption, UINT style);
  void UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column);
  // Posts a close to each window of doc.
  void PostCloseDocumentFrames(CVemoDoc& doc);
  // Posts the close-on-no-document message to the main window.
  void PostCloseOnNoDocument();
  bool PromptFileName(std::wstring& path, bool save, bool replace);
  bool BrowseForFolder(std::wstring& folder, std::wstring_view title);

 signals:
  // A document was opened or closed.
  void DocumentsChanged();

 private:
  struct DocRecord;
  [[nodiscard]] DocRecord* Find(const CVemoDoc* doc) const;
  [[nodiscard]] DocRecord* FindFrame(const CNMDIChildFrame* frame) const;
  // A new document record with one window; null when the frame or view could not be made.
  DocRecord* CreateDocumentWindow();
  // Removes a record whose document failed to start.
  void DiscardRecord(DocRecord* record);
  void FinishClose(CVemoDoc* doc);
  CNMDIChildFrame* CreateFrame(DocRecord& record);
  void OpenRecentFile(int index);
  // Where the Open dialog starts: the active list's folder, else the folder last opened from.
  [[nodiscard]] QString OpenDialogFolder() const;

  QString app_name_;
  CNDocTemplate template_;
  QPointer<CNMDIFrame> main_frame_;
  CNCommandManager commands_;
  std::unique_ptr<CNRecentFileList> recent_;
  std::unique_ptr<CNQtDocHost> host_;
  std::unique_ptr<CNIdleLoop> idle_;
  CNDialogHooks hooks_;
  QString last_open_folder_;
  std::vector<std::unique_ptr<DocRecord>> documents_;
};
