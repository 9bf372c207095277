// CNQtDocHost: the documents' host in the desktop program. Message boxes are QMessageBoxes owned
// by the main window (the MB_ styles and ID answers map one to one), the dialogs are QFileDialogs,
// view updates reach every view of the document, the completion sound is the desktop's beep, and
// the "posting" calls are queued to the event loop. The application does the work (CNWinApp).
#pragma once
#include "document/doc_host.h"

class CNWinApp;

class CNQtDocHost : public CVemoDocHost {
 public:
  explicit CNQtDocHost(CNWinApp& app) : app_(app) {}

  int ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT style) override;
  void UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column) override;
  bool PromptSaveFileName(std::wstring& path, bool replace) override;
  bool BrowseForFolder(std::wstring& folder, std::wstring_view title) override;
  void OpenDocumentFile(const std::wstring& path) override;
  bool IsActiveInForeground() override;
  void PlayCompletionSound() override;
  void CloseDocumentFrames(CVemoDoc& doc) override;
  void PostCloseOnNoDocument() override;
  void OnTitleChanged(CVemoDoc& doc) override;

 private:
  CNWinApp& app_;
};
