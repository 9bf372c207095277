#include "ui/framework/mdi_frame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include "document/command_ids.h"
#include "document/vemo_doc.h"
#include "ui/framework/mdi_child_frame.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/win_app.h"

CNMDIFrame::CNMDIFrame(QString app_name, QWidget* parent)
    : QMainWindow(parent), app_name_(std::move(app_name)), mdi_area_(new QMdiArea(this)) {
  mdi_area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_area_);
  setAcceptDrops(true);
  setWindowTitle(app_name_);
  connect(mdi_area_, &QMdiArea::subWindowActivated, this, [this] { OnActiveChildChanged(); });
}

CNMDIChildFrame* CNMDIFrame::MDIGetActive() const {
  auto* frame = qobject_cast<CNMDIChildFrame*>(mdi_area_->currentSubWindow());
  // A frame that is closing has no view any more and waits to be deleted.
  return frame != nullptr && frame->GetView() != nullptr ? frame : nullptr;
}

void CNMDIFrame::AddChildFrame(CNMDIChildFrame* frame) { mdi_area_->addSubWindow(frame); }

void CNMDIFrame::OnActiveChildChanged() { UpdateFrameTitle(); }

void CNMDIFrame::UpdateFrameTitle() {
  CNMDIChildFrame* active = MDIGetActive();
  if (active == nullptr) {
    setWindowTitle(app_name_);
    return;
  }
  // A maximised child's caption is added by the MDI area itself, as "name - [caption]".
  if (active->isMaximized()) return;
  setWindowTitle(app_name_ + QStringLiteral(" - ") + active->windowTitle());
}

bool CNMDIFrame::OnCommand(UINT id) {
  switch (id) {
    case ID_WINDOW_CASCADE:
      mdi_area_->cascadeSubWindows();
      return true;
    case ID_WINDOW_TILE_HORZ:
      mdi_area_->tileSubWindows();
      return true;
    case ID_WINDOW_ARRANGE:
      ArrangeIcons();
      return true;
    case ID_WINDOW_NEW:
      if (CNMDIChildFrame* active = MDIGetActive()) {
        CNWinApp::Instance()->CreateNewWindow(active->GetDocument());
      }
      return true;
    case ID_VIEW_TOOLBAR:
      if (QToolBar* bar = MainToolBar()) bar->setVisible(!bar->isVisible());
      return true;
    case ID_VIEW_STATUS_BAR:
      statusBar()->setVisible(!statusBar()->isVisible());
      return true;
    default:
      return false;
  }
}

bool CNMDIFrame::UpdateCommand(UINT id, CCmdState& state) {
  switch (id) {
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_ARRANGE:
    case ID_WINDOW_NEW:
      state.enabled = MDIGetActive() != nullptr;
      return true;
    case ID_VIEW_TOOLBAR:
      state.enabled = MainToolBar() != nullptr;
      state.checked = MainToolBar() != nullptr && MainToolBar()->isVisible();
      return true;
    case ID_VIEW_STATUS_BAR:
      state.enabled = true;
      state.checked = statusBar()->isVisible();
      return true;
    default:
      return false;
  }
}

void CNMDIFrame::ArrangeIcons() {
  const QRect area = mdi_area_->viewport()->rect();
  int x = 0;
  int y = area.bottom();
  for (QMdiSubWindow* window : mdi_area_->subWindowList()) {
    if (!window->isMinimized()) continue;
    const QSize size = window->size();
    if (x > 0 && x + size.width() > area.width()) {
      x = 0;
      y -= size.height();
    }
    window->move(x, y - size.height() + 1);
    x += size.width();
  }
}

void CNMDIFrame::closeEvent(QCloseEvent* event) {
  CNWinApp* app = CNWinApp::Instance();
  if (app != nullptr && !app->SaveAllModified()) {
    event->ignore();
    return;
  }
  if (app != nullptr) app->CloseAllDocuments();
  QMainWindow::closeEvent(event);
}

void CNMDIFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CNMDIFrame::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  event->acceptProposedAction();
  activateWindow();
  for (const QUrl& url : urls) {
    if (url.isLocalFile())
      CNWinApp::Instance()->OpenDocumentFile(PathFromQString(url.toLocalFile()));
  }
}
