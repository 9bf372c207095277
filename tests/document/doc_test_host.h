// A document host for tests: records everything the document asks of the framework, answers
// message boxes and dialogs as the test says, and drives the idle processing the way the
// application's message loop does. Like a list view, it keeps the rows of the last document that
// sent a hint (dropped at RCLR, rebuilt at RFSH) and reads every row's cells at each hint and each
// message box, where a real view would paint: under AddressSanitizer an entry freed while a view
// may still hold it is caught in every document test.
#pragma once
#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "document/doc_host.h"
#include "document/entries/entry_columns.h"
#include "document/entry_rows.h"
#include "document/vemo_doc.h"
#include "foundation/process_values.h"
#include "support/process_values_reset.h"
#include "support/wait_until.h"

namespace vemo_test {

struct ShownMessage {
  std::wstring text;
  std::wstring caption;
  UINT style = 0;
};

class TestDocHost : public CVemoDocHost {
 public:
  int ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT style) override {
    PaintRows();
    messages.push_back({std::wstring(text), std::wstring(caption), style});
    if (!answers.empty()) {
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    const UINT type = style & MB_TYPEMASK;
    return type == MB_OK ? IDOK : IDCANCEL;
  }

  void UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column) override {
    hints.push_back(hint);
    if (&doc != rows_doc_) rows_.Clear();
    rows_doc_ = &doc;
    if (hint == RCLR) {
      rows_.Clear();
    } else if (hint == RFSH) {
      rows_.Rebuild(doc, ShowFlags.load());
      PaintRows();
    } else if (hint == RDRW && entry != nullptr) {
      painted_cells += GetColumnText(*entry, kColumnNote).size();
      const std::ptrdiff_t row = rows_.RowOf(entry);
      if (row >= 0) painted_cells += GetColumnText(*rows_[static_cast<std::size_t>(row)], 0).size();
    }
    if (hint == RDRW && entry != nullptr) ++redraws;
    if (hint == ACOL) fitted_columns.push_back(column);
  }

  bool PromptSaveFileName(std::wstring& path, bool replace) override {
    save_prompts.push_back({path, replace});
    if (save_as_answer.empty()) return false;
    path = save_as_answer;
    return true;
  }

  bool BrowseForFolder(std::wstring& folder, std::wstring_view title) override {
    folder_prompts.push_back({folder, std::wstring(title)});
    if (folder_answer.empty()) return false;
    folder = folder_answer;
    return true;
  }

  void OpenDocumentFile(const std::wstring& path) override { opened.push_back(path); }
  bool IsActiveInForeground() override { return in_foreground; }
  void PlayCompletionSound() override { ++beeps; }
  void CloseDocumentFrames(CVemoDoc& /*doc*/) override { ++frame_closes; }
  void PostCloseOnNoDocument() override { ++close_on_no_document; }

  // Reads every cell of every row held, as a view's paint does.
  void PaintRows() {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      for (int column = 0; column < kColumnCount; ++column) {
        painted_cells += GetColumnText(*rows_[i], column).size() +
                         static_cast<std::size_t>(GetColumnState(*rows_[i], column) + 1);
      }
    }
  }
  // The document is about to go without telling its views (its destructor): forget its rows.
  void ForgetRows() {
    rows_.Clear();
    rows_doc_ = nullptr;
  }

  [[nodiscard]] std::size_t CountHints(DWORD hint) const {
    std::size_t n = 0;
    for (DWORD h : hints) n += h == hint ? 1 : 0;
    return n;
  }

  // Scripted answers, taken in order; without one a message box answers IDOK (plain) or
  // IDCANCEL (a question).
  std::deque<int> answers;
  std::wstring save_as_answer;  // empty: the save-as dialog is cancelled
  std::wstring folder_answer;   // empty: the folder dialog is cancelled
  bool in_foreground = false;

  std::vector<ShownMessage> messages;
  std::vector<DWORD> hints;
  std::vector<int> fitted_columns;
  int redraws = 0;
  std::vector<std::pair<std::wstring, bool>> save_prompts;
  std::vector<std::pair<std::wstring, std::wstring>> folder_prompts;
  std::vector<std::wstring> opened;
  int beeps = 0;
  int frame_closes = 0;
  int close_on_no_document = 0;
  std::size_t painted_cells = 0;

 private:
  CVemoEntryRows rows_;
  const CVemoDoc* rows_doc_ = nullptr;
};

// One run of the application's idle processing: counts from 0 upwards while PollWork asks for
// more. Returns the highest count called.
inline long RunIdleOnce(CVemoDoc& doc) {
  long count = 0;
  while (doc.PollWork(count)) ++count;
  return count;
}

// Runs idle processing, with the main frame's timer restarting it (the helper's short pause in
// place of 100 ms), until the document is Idle. False when it is not Idle within the time limit.
inline bool RunUntilIdle(CVemoDoc& doc, std::chrono::milliseconds limit = kWaitLimit) {
  return WaitUntil(
      [&] {
        if (doc.GetState() != DocState::kIdle) RunIdleOnce(doc);
        return doc.GetState() == DocState::kIdle;
      },
      limit);
}

}  // namespace vemo_test
