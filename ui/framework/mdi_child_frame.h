// CNMDIChildFrame: the window of one view of a document inside the main window's MDI area. Its
// content is the view with the frame's bars below it (AddBottomBar). The caption is the document's
// title, with ":n" when the document has several windows.
//
// Closing asks the application (CNWinApp::CanCloseFrame): the last window of a document offers
// to save it first. Once a close is accepted the view is destroyed at once, before the document
// may go, so that no view outlives its document; the frame itself is deleted later.
//
// A view that wants its frame maximised at first (the list view does) calls showMaximized() on
// the QMdiSubWindow it finds among its parents, from OnInitialUpdate. User-interface thread only.
#pragma once
#include <QMdiSubWindow>

#include "ui/framework/cmd_target.h"

class CVemoDoc;
class CNView;
class QVBoxLayout;

class CNMDIChildFrame : public QMdiSubWindow, public CNCmdTarget {
  Q_OBJECT

 public:
  explicit CNMDIChildFrame(CVemoDoc& doc, QWidget* parent = nullptr);
  ~CNMDIChildFrame() override;

  // The frame's own parts (bars); false makes the window fail to open. Called once by the
  // application before the view is put in.
  virtual bool Create() { return true; }
  // Takes the view (its widget becomes the frame's content above the bars).
  void SetView(CNView* view);
  [[nodiscard]] CNView* GetView() const { return view_; }
  [[nodiscard]] CVemoDoc& GetDocument() const { return doc_; }
  // Shows the frame and gives the view its initial update (once).
  void InitialUpdateFrame();
  // Destroys the view now (the frame is closing or its document goes).
  void ReleaseView();
  // Called by the idle loop's first pass: the frame brings its bars up to date.
  virtual void OnIdleUpdate() {}

  // A bar below the view (the frame takes it).
  void AddBottomBar(QWidget* bar);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  CVemoDoc& doc_;
  CNView* view_ = nullptr;
  QWidget* content_ = nullptr;
  QVBoxLayout* layout_ = nullptr;
  bool initial_update_done_ = false;
  bool closing_ = false;
};
