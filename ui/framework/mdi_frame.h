// CNMDIFrame: the main window of a multiple-document program: a QMainWindow around a QMdiArea in
// which the child frames live. It carries out the framework's own window commands (cascade, tile,
// arrange icons, new window, tool bar and status bar toggles), opens files dropped on it, and
// asks the application before it closes (modified documents are offered for saving).
//
// The main window's title is the program's name, followed by the active document's title.
// User-interface thread only.
#pragma once
#include <QMainWindow>
#include <QString>

#include "ui/framework/cmd_target.h"

class CNMDIChildFrame;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;

class CNMDIFrame : public QMainWindow, public CNCmdTarget {
  Q_OBJECT

 public:
  explicit CNMDIFrame(QString app_name, QWidget* parent = nullptr);

  [[nodiscard]] QMdiArea* MdiArea() const { return mdi_area_; }
  // The active child frame (also while the main window itself is not the active window).
  [[nodiscard]] CNMDIChildFrame* MDIGetActive() const;
  void AddChildFrame(CNMDIChildFrame* frame);

  // The tool bar that the tool-bar toggle shows and hides (null: none).
  [[nodiscard]] virtual QToolBar* MainToolBar() const { return nullptr; }
  // Brings the bars up to date at the idle loop's first pass.
  virtual void OnIdleUpdate() {}
  // The registered close-on-no-document message.
  virtual void OnCloseOnNoDocument() {}
  // The active child frame changed (or a document's title did).
  virtual void OnActiveChildChanged();
  void UpdateFrameTitle();

  bool OnCommand(UINT id) override;
  bool UpdateCommand(UINT id, CCmdState& state) override;

  // Moves the minimised child frames into a row along the bottom of the client area.
  void ArrangeIcons();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QString app_name_;
  QMdiArea* mdi_area_;
};
