#include "ui/framework/mdi_child_frame.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "ui/framework/view.h"
#include "ui/framework/win_app.h"

CNMDIChildFrame::CNMDIChildFrame(CVemoDoc& doc, QWidget* parent)
    : QMdiSubWindow(parent), doc_(doc) {
  setAttribute(Qt::WA_DeleteOnClose);
  content_ = new QWidget(this);
  layout_ = new QVBoxLayout(content_);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  setWidget(content_);
}

CNMDIChildFrame::~CNMDIChildFrame() {
  ReleaseView();
  if (CNWinApp* app = CNWinApp::Instance()) app->OnFrameDestroyed(this);
}

void CNMDIChildFrame::SetView(CNView* view) {
  view_ = view;
  QWidget* widget = view->Widget();
  widget->setParent(content_);
  layout_->insertWidget(0, widget, 1);
  setFocusProxy(widget);
}

void CNMDIChildFrame::AddBottomBar(QWidget* bar) { layout_->addWidget(bar, 0); }

void CNMDIChildFrame::InitialUpdateFrame() {
  show();
  if (view_ != nullptr && !initial_update_done_) {
    initial_update_done_ = true;
    view_->OnInitialUpdate();
    view_->Widget()->setFocus();
  }
}

void CNMDIChildFrame::ReleaseView() {
  CNView* view = view_;
  view_ = nullptr;
  delete view;  // the concrete view is a QWidget; its destructor takes it out of the layout
}

void CNMDIChildFrame::closeEvent(QCloseEvent* event) {
  CNWinApp* app = CNWinApp::Instance();
  // A second close while the save prompt of the first is open waits for the first.
  if (closing_) {
    event->ignore();
    return;
  }
  closing_ = true;
  if (app != nullptr && !app->CanCloseFrame(this)) {
    closing_ = false;
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
  if (!event->isAccepted()) {
    closing_ = false;
    return;
  }
  ReleaseView();
  if (app != nullptr) app->OnFrameClosed(this);
}
