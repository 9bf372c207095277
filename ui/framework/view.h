// CNView: the framework's side of a view of one document. A view is also a QWidget (the concrete
// class derives from both); the child frame shows it as its central widget.
//
// Lifecycle: the template creates the view with its document, then the child frame calls
// OnInitialUpdate once the frame is shown; after that the document's hints reach OnUpdate through
// the host's UpdateAllViews. User-interface thread only.
#pragma once
#include "platform/win_types.h"
#include "ui/framework/cmd_target.h"

class CVemoDoc;
class CVemoEntry;
class QWidget;

class CNView : public CNCmdTarget {
 public:
  explicit CNView(CVemoDoc& doc) : doc_(doc) {}
  [[nodiscard]] CVemoDoc& GetDocument() const { return doc_; }
  // The widget that shows this view.
  [[nodiscard]] virtual QWidget* Widget() = 0;
  // Once, when the view is first shown.
  virtual void OnInitialUpdate() {}
  // A hint from the document (RFSH, RDRW, ACOL, RCLR; doc_host.h) or from another view (sender).
  // entry is valid only during the call.
  virtual void OnUpdate(CNView* sender, DWORD hint, const CVemoEntry* entry, int column) = 0;

 private:
  CVemoDoc& doc_;
};
