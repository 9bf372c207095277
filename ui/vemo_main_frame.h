// CVemoMainFrame: the program's main window: the tool bar, the application status bar (message
// pane with "Ready" and the prompts, then CAP, NUM and SCRL), the MDI area with the documents'
// windows, and four duties of its own: the window icon shows the active document's checksum
// progress, a 100 ms timer keeps the idle processing going, the close-on-no-document message
// closes the program when no document is left, and the web page command opens the browser.
//
// The menu bar shows the menu without a document while no document window is active, else the
// document menu. User-interface thread only.
#pragma once
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <array>
#include <vector>

#include "ui/framework/mdi_frame.h"

class QAction;
class QLabel;

class QToolBar;

class CVemoMainFrame : public CNMDIFrame {
  Q_OBJECT

 public:
  static constexpr int kProgressSteps = 15;

  explicit CVemoMainFrame(QWidget* parent = nullptr);
  ~CVemoMainFrame() override;
  [[nodiscard]] static const char* GetRuntimeClassName() { return "CVemoMainFrame"; }

  // Icons, actions, menus, tool bar, status bar and the timer; false when a part failed.
  bool Create();

  // Shows step in the window icon: 0..14 a progress picture, anything else the application
  // icon. 1 when the icon changed, 0 when step was already shown.
  int UpdateProgressIcon(int step);
  // The active document's progress step (-1 without an active window or document).
  [[nodiscard]] int ActiveProgressStep() const;
  [[nodiscard]] int LastStep() const { return last_step_; }
  // Finds the step and shows it (the idle work at count 50).
  int UpdateActiveProgressIcon() { return UpdateProgressIcon(ActiveProgressStep()); }

  // Opens the web page; a failure is shown in a message box.
  void BrowseWebPage();

  [[nodiscard]] QToolBar* MainToolBar() const override { return tool_bar_; }
  [[nodiscard]] bool IsTimerRunning() const { return timer_.isActive(); }
  [[nodiscard]] bool ShowsDocumentMenu() const { return document_menu_ == 1; }
  [[nodiscard]] QLabel* MessagePane() const { return message_; }
  [[nodiscard]] QLabel* Indicator(int i) const { return indicators_.at(static_cast<size_t>(i)); }

  // The open windows at the end of the Window menu, the active one checked (each time the menu
  // opens).
  void FillWindowMenu();
  [[nodiscard]] QMenu* WindowMenu() const { return window_menu_.data(); }

  void OnIdleUpdate() override;
  void OnCloseOnNoDocument() override;
  void OnActiveChildChanged() override;

  bool OnCommand(UINT id) override;
  bool UpdateCommand(UINT id, CCmdState& state) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateMenu();

  QToolBar* tool_bar_ = nullptr;
  QPointer<QMenu> window_menu_;
  std::vector<QPointer<QAction>> window_items_;
  QLabel* message_ = nullptr;
  std::array<QLabel*, 3> indicators_{};
  QTimer timer_;
  int last_step_ = -1;
  int document_menu_ = -1;  // the menu shown: -1 none yet, 0 without a document, 1 document
  QIcon app_icon_;
  std::array<QIcon, kProgressSteps> progress_icons_;
};
