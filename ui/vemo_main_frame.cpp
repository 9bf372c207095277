#include "ui/vemo_main_frame.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include "document/command_ids.h"
#include "document/doc_host.h"
#include "document/vemo_doc.h"
#include "foundation/process_values.h"
#include "foundation/system_error.h"
#include "ui/framework/keyboard_locks.h"
#include "ui/framework/mdi_child_frame.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/win_app.h"
#include "ui/vemo_icons.h"
#include "ui/vemo_menus.h"

namespace {

// What the shell's open call answers for a missing file, and when no program takes the address.
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorNoAssociation = 31;

constexpr std::array<const char*, 3> kIndicatorTexts = {"CAP", "NUM", "SCRL"};

}  // namespace

CVemoMainFrame::CVemoMainFrame(QWidget* parent) : CNMDIFrame(QStringLiteral("Vemo"), parent) {
  setObjectName(QStringLiteral("CVemoMainFrame"));
}

CVemoMainFrame::~CVemoMainFrame() { timer_.stop(); }

bool CVemoMainFrame::Create() {
  CNWinApp* app = CNWinApp::Instance();
  if (app == nullptr) return false;

  app_icon_ = VemoAppIcon();
  for (int i = 0; i < kProgressSteps; ++i) {
    progress_icons_[static_cast<size_t>(i)] = VemoProgressIcon(i);
  }
  setWindowIcon(app_icon_);

  CreateVemoActions(app->Commands(), this);
  // Shortcuts must work wherever the focus is in this window.
  for (UINT id : app->Commands().Ids()) addAction(app->Commands().Action(id));

  tool_bar_ = new QToolBar(QStringLiteral("Toolbar"), this);
  tool_bar_->setObjectName(QStringLiteral("toolBar"));
  tool_bar_->setMovable(true);
  tool_bar_->setFloatable(false);
  BuildVemoToolBar(*tool_bar_, app->Commands());
  addToolBar(Qt::TopToolBarArea, tool_bar_);

  message_ = new QLabel(QStringLiteral("Ready"), this);
  message_->setObjectName(QStringLiteral("messagePane"));
  statusBar()->addWidget(message_, 1);
  const QFontMetrics metrics(statusBar()->font());
  for (size_t i = 0; i < indicators_.size(); ++i) {
    auto* indicator = new QLabel(this);
    indicator->setObjectName(QString::fromLatin1(kIndicatorTexts[i]));
    indicator->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    indicator->setAlignment(Qt::AlignCenter);
    indicator->setFixedWidth(metrics.horizontalAdvance(QString::fromLatin1(kIndicatorTexts[i])) +
                             10);
    statusBar()->addPermanentWidget(indicator);
    indicators_[i] = indicator;
  }

  // The system's default placement: most of the screen.
  if (const QScreen* screen = this->screen()) {
    const QRect available = screen->availableGeometry();
    resize(available.width() * 4 / 5, available.height() * 4 / 5);
  }

  UpdateMenu();
  connect(app, &CNWinApp::DocumentsChanged, this, [this] { OnActiveChildChanged(); });

  // Every tick is an event, and every event restarts the idle sequence: the documents' polls run
  // at least ten times a second.
  timer_.setInterval(100);
  timer_.start();
  return true;
}

int CVemoMainFrame::UpdateProgressIcon(int step) {
  if (step == last_step_) return 0;
  last_step_ = step;
  if (step >= 0 && step < kProgressSteps) {
    setWindowIcon(progress_icons_[static_cast<size_t>(step)]);
  } else {
    setWindowIcon(app_icon_);
  }
  return 1;
}

int CVemoMainFrame::ActiveProgressStep() const {
  CNMDIChildFrame* active = MDIGetActive();
  if (active == nullptr) return -1;
  return active->GetDocument().GetProgressStep();
}

void CVemoMainFrame::BrowseWebPage() {
  const QString page = ToQString(WebPage);
  const QUrl url = QUrl::fromUserInput(page);
  int result = 0;
  if (page.trimmed().isEmpty() || !url.isValid()) {
    result = kErrorFileNotFound;
  } else if (!QDesktopServices::openUrl(url)) {
    result = kErrorNoAssociation;
  }
  if (result == 0) return;
  const std::wstring text = L"Could not open default browser for\r" + WebPage + L"\rError (" +
                            std::to_wstring(result) + L"): " +
                            FormatSystemError(static_cast<DWORD>(result));
  CNWinApp::Instance()->ShowMessageBox(ToQString(text), QStringLiteral("Vemo Help Browse Error"),
                                       MB_ICONERROR);
}

void CVemoMainFrame::OnIdleUpdate() {
  const CNKeyboardLocks locks = QueryKeyboardLocks();
  const std::array<bool, 3> lit = {locks.caps, locks.num, locks.scroll};
  for (size_t i = 0; i < indicators_.size(); ++i) {
    // An indicator that is off shows an empty pane, as the classic status bar does.
    const QString text = lit[i] ? QString::fromLatin1(kIndicatorTexts[i]) : QString();
    if (indicators_[i] != nullptr && indicators_[i]->text() != text) indicators_[i]->setText(text);
  }
}

void CVemoMainFrame::OnCloseOnNoDocument() {
  CNWinApp* app = CNWinApp::Instance();
  if (app == nullptr || !app->Documents().empty()) return;
  QTimer::singleShot(0, this, [this] { close(); });
}

void CVemoMainFrame::OnActiveChildChanged() {
  CNMDIFrame::OnActiveChildChanged();
  UpdateMenu();
  CNWinApp* app = CNWinApp::Instance();
  // With no document left no idle pass reaches the icon's turn: put the application icon back.
  if (app != nullptr && app->Documents().empty()) UpdateProgressIcon(-1);
}

void CVemoMainFrame::UpdateMenu() {
  CNWinApp* app = CNWinApp::Instance();
  if (app == nullptr) return;
  const int wanted = MDIGetActive() != nullptr ? 1 : 0;
  if (wanted == document_menu_) return;
  document_menu_ = wanted;
  const VemoMenus menus =
      BuildVemoMenu(*menuBar(), wanted == 1, app->Commands(), app->RecentFiles());
  window_items_.clear();
  window_menu_ = menus.window;
  if (window_menu_ != nullptr) {
    connect(window_menu_, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
  }
}

void CVemoMainFrame::FillWindowMenu() {
  if (window_menu_ == nullptr) return;
  for (const QPointer<QAction>& item : window_items_) {
    if (item != nullptr) {
      window_menu_->removeAction(item);
      item->deleteLater();
    }
  }
  window_items_.clear();
  CNMDIChildFrame* active = MDIGetActive();
  int number = 0;
  for (QMdiSubWindow* window : MdiArea()->subWindowList()) {
    auto* frame = qobject_cast<CNMDIChildFrame*>(window);
    if (frame == nullptr || frame->GetView() == nullptr) continue;
    if (number == 0) window_items_.emplace_back(window_menu_->addSeparator());
    ++number;
    QString title = frame->windowTitle();
    title.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* item = window_menu_->addAction(
        (number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number)) +
        title);
    item->setCheckable(true);
    item->setChecked(frame == active);
    item->setStatusTip(QStringLiteral("Activate this window"));
    QPointer<QMdiSubWindow> target = window;
    connect(item, &QAction::triggered, this, [this, target] {
      if (target != nullptr) MdiArea()->setActiveSubWindow(target);
    });
    window_items_.emplace_back(item);
  }
}

bool CVemoMainFrame::OnCommand(UINT id) {
  switch (id) {
    case ID_VIEW_MAIN_STATUS_BAR:
      statusBar()->setVisible(statusBar()->isHidden());
      return true;
    case ID_HELP_BROWSE_WEB:
      BrowseWebPage();
      return true;
    default:
      return CNMDIFrame::OnCommand(id);
  }
}

bool CVemoMainFrame::UpdateCommand(UINT id, CCmdState& state) {
  switch (id) {
    case ID_VIEW_MAIN_STATUS_BAR:
      state.enabled = true;
      state.checked = !statusBar()->isHidden();
      return true;
    case ID_HELP_BROWSE_WEB:
      state.enabled = true;
      return true;
    default:
      return CNMDIFrame::UpdateCommand(id, state);
  }
}

void CVemoMainFrame::closeEvent(QCloseEvent* event) {
  CNMDIFrame::closeEvent(event);
  if (event->isAccepted()) timer_.stop();
}
