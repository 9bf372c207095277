// A document host for the list view tests: forwards every hint to the views of its document, the
// way the application's UpdateAllViews does, answers message boxes as the test says, and lets a
// test look at the views at each message box and each hint (a QMessageBox runs a nested event loop
// in which a real window would paint).
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "document/doc_host.h"

class CNView;

namespace vemo_test {

struct ViewHostMessage {
  std::wstring text;
  std::wstring caption;
  UINT style = 0;
};

class TestViewHost : public CVemoDocHost {
 public:
  void Attach(CNView& view) { views_.push_back(&view); }
  void Detach(CNView& view);
  [[nodiscard]] const std::vector<CNView*>& Views() const { return views_; }

  int ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT style) override;
  void UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column) override;
  bool PromptSaveFileName(std::wstring& /*path*/, bool /*replace*/) override { return false; }
  bool BrowseForFolder(std::wstring& /*folder*/, std::wstring_view /*title*/) override {
    return false;
  }
  void OpenDocumentFile(const std::wstring& path) override { opened.push_back(path); }
  bool IsActiveInForeground() override { return true; }
  void PlayCompletionSound() override {}
  void CloseDocumentFrames(CVemoDoc& /*doc*/) override {}
  void PostCloseOnNoDocument() override {}

  [[nodiscard]] std::size_t CountHints(DWORD hint) const;

  // Scripted answers, taken in order; without one a message box answers IDOK (plain) or IDNO
  // (a question).
  std::deque<int> answers;
  // Called while each message box is up.
  std::function<void()> on_message;
  // Called with each hint before and after the views have seen it.
  std::function<void(DWORD hint, const CVemoEntry* entry)> before_hint;
  std::function<void(DWORD hint, const CVemoEntry* entry)> after_hint;
  // A broken host that never passes RCLR on, so that views keep entries the document deletes.
  bool drop_entries_going = false;

  std::vector<ViewHostMessage> messages;
  std::vector<DWORD> hints;
  std::vector<std::wstring> opened;

 private:
  std::vector<CNView*> views_;
};

}  // namespace vemo_test
