// CVemoChildFrame: the window of one open document inside the main window: the document's list
// view above a status bar of its own, the progress bar, with six panes in this order: phase (101,
// stretching), count (102), rate (104), elapsed (105), remaining (106) and modified (103). The
// document computes the texts; the frame lays the panes out and asks for them at idle time.
//
// The progress bar toggle acts on this window only. User-interface thread only.
#pragma once
#include <array>

#include "ui/framework/mdi_child_frame.h"

class QLabel;
class QStatusBar;

class CVemoChildFrame : public CNMDIChildFrame {
  Q_OBJECT

 public:
  static constexpr int kPaneCount = 6;
  // The pane identifiers in display order.
  static constexpr std::array<UINT, kPaneCount> kPaneIds = {101, 102, 104, 105, 106, 103};
  // Widths of panes 1 to 5 at the classic status-bar font; pane 0 takes the rest.
  static constexpr std::array<int, kPaneCount> kPaneWidths = {0, 192, 64, 48, 48, 28};

  explicit CVemoChildFrame(CVemoDoc& doc, QWidget* parent = nullptr);
  [[nodiscard]] static const char* GetRuntimeClassName() { return "CVemoChildFrame"; }

  // Makes the progress bar with its panes and their initial texts.
  bool Create() override;
  // Pane texts from the document.
  void OnIdleUpdate() override;

  bool OnCommand(UINT id) override;
  bool UpdateCommand(UINT id, CCmdState& state) override;

  [[nodiscard]] QStatusBar* ProgressBar() const { return bar_; }
  [[nodiscard]] QLabel* Pane(int index) const { return panes_.at(static_cast<size_t>(index)); }

 private:
  QStatusBar* bar_ = nullptr;
  std::array<QLabel*, kPaneCount> panes_{};
};
