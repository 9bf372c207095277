// CVemoNullDocHost: a document host that shows nothing and asks nobody, for documents run without
// a user (tests that need a document but none of its host calls, benchmarks, tools). A message box
// gives the answer that changes nothing: OK to a notice, No to a yes/no question, Cancel where
// cancelling is offered; dialogs are cancelled. Derive and override what a caller wants to see.
#pragma once
#include "document/doc_host.h"

class CVemoNullDocHost : public CVemoDocHost {
 public:
  int ShowMessageBox(std::wstring_view /*text*/, std::wstring_view /*caption*/,
                     UINT style) override {
    switch (style & MB_TYPEMASK) {
      case MB_YESNO:
        return IDNO;
      case MB_YESNOCANCEL:
        return IDCANCEL;
      default:
        return IDOK;
    }
  }
  void UpdateAllViews(CVemoDoc& /*doc*/, DWORD /*hint*/, const CVemoEntry* /*entry*/,
                      int /*column*/) override {}
  bool PromptSaveFileName(std::wstring& /*path*/, bool /*replace*/) override { return false; }
  bool BrowseForFolder(std::wstring& /*folder*/, std::wstring_view /*title*/) override {
    return false;
  }
  void OpenDocumentFile(const std::wstring& /*path*/) override {}
  // Taken as looked at: the document asks for no completion sound.
  bool IsActiveInForeground() override { return true; }
  void PlayCompletionSound() override {}
  void CloseDocumentFrames(CVemoDoc& /*doc*/) override {}
  void PostCloseOnNoDocument() override {}
};
