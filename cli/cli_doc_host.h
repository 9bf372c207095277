// The command line's document host: message boxes go to standard error (their "\r"-separated
// lines as lines), questions are answered No or Cancel (nothing is overridden without a user to
// ask), views, sounds and window requests do nothing. It remembers the warnings the exit status
// depends on. Main thread.
#pragma once
#include <span>
#include <string>

#include "document/doc_host.h"

class CliProgressLine;

class CliDocHost : public CVemoDocHost {
 public:
  // progress: cleared before a message is written; not owned, may be null.
  explicit CliDocHost(CliProgressLine* progress) : progress_(progress) {}

  int ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT style) override;
  // Each line as one line of standard error, escaped as names are: a line break in a path stays
  // "\n" on its line.
  int ShowMessageLines(std::span<const std::wstring> lines, std::wstring_view caption,
                       UINT style) override;
  void UpdateAllViews(CVemoDoc&, DWORD, const CVemoEntry*, int) override {}
  bool PromptSaveFileName(std::wstring&, bool) override { return false; }
  bool BrowseForFolder(std::wstring&, std::wstring_view) override { return false; }
  void OpenDocumentFile(const std::wstring&) override {}
  // Nobody is looking at a window: answering "in the foreground" keeps the document from beeping.
  bool IsActiveInForeground() override { return true; }
  void PlayCompletionSound() override {}
  void CloseDocumentFrames(CVemoDoc&) override {}
  void PostCloseOnNoDocument() override {}

  // The list's signature did not verify / the list file was empty.
  [[nodiscard]] bool SawTamperedWarning() const { return tampered_; }
  [[nodiscard]] bool SawEmptyWarning() const { return empty_; }
  // Any message with the error icon (warnings included).
  [[nodiscard]] int ErrorMessageCount() const { return errors_; }

 private:
  // Writes the escaped lines of a box (first is its first line) and answers it.
  int Show(std::wstring_view first, const std::string& lines, UINT style);

  CliProgressLine* progress_;
  bool tampered_ = false;
  bool empty_ = false;
  int errors_ = 0;
};

// Writes a message of the program's own ("vemo-cli: " + text) to standard error, clearing the
// progress line first when one is given.
void PrintCliMessage(CliProgressLine* progress, std::wstring_view text);
