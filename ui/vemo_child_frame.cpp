#include "ui/vemo_child_frame.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>
#include <algorithm>
#include <cmath>

#include "document/command_ids.h"
#include "document/vemo_doc.h"
#include "ui/framework/qt_text.h"
#include "ui/vemo_icons.h"

namespace {

// The texts before the first update (the string table's).
constexpr std::array<const char*, CVemoChildFrame::kPaneCount> kInitialTexts = {
    "CRC Idle", "Idle", "?", "?", "?", "????"};

}  // namespace

CVemoChildFrame::CVemoChildFrame(CVemoDoc& doc, QWidget* parent) : CNMDIChildFrame(doc, parent) {}

bool CVemoChildFrame::Create() {
  // A document window shows the document's picture, whatever state its document is in.
  setWindowIcon(VemoDocumentIcon());
  bar_ = new QStatusBar(this);
  bar_->setSizeGripEnabled(true);
  bar_->setObjectName(QStringLiteral("progressBar"));
  // The widths were made for the classic 8-point status-bar font, where "MOD!" just fits the last
  // pane; a larger desktop font widens every pane alike. Device pixel ratios are Qt's own.
  const QFontMetrics metrics(bar_->font());
  const double scale =
      std::max(1.0, (metrics.horizontalAdvance(QStringLiteral("MOD!")) + 6) / 28.0);
  for (int i = 0; i < kPaneCount; ++i) {
    auto* pane = new QLabel(QString::fromLatin1(kInitialTexts[static_cast<size_t>(i)]), bar_);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setObjectName(QStringLiteral("pane%1").arg(kPaneIds[static_cast<size_t>(i)]));
    // All six are permanent widgets: the bar's own messages never cover them, and pane 0 takes
    // the room the others leave.
    if (i == 0) {
      pane->setMinimumWidth(1);
      bar_->addPermanentWidget(pane, 1);
    } else {
      pane->setFixedWidth(
          static_cast<int>(std::lround(kPaneWidths[static_cast<size_t>(i)] * scale)));
      bar_->addPermanentWidget(pane);
    }
    panes_[static_cast<size_t>(i)] = pane;
  }
  AddBottomBar(bar_);
  return true;
}

void CVemoChildFrame::OnIdleUpdate() {
  if (bar_ == nullptr || bar_->isHidden()) return;
  const CVemoDoc& doc = GetDocument();
  for (int i = 0; i < kPaneCount; ++i) {
    QLabel* pane = panes_[static_cast<size_t>(i)];
    const QString text = ToQString(doc.GetPaneText(kPaneIds[static_cast<size_t>(i)]));
    if (pane->text() != text) pane->setText(text);
  }
}

bool CVemoChildFrame::OnCommand(UINT id) {
  if (id != ID_VIEW_PROGRESS_BAR || bar_ == nullptr) return false;
  bar_->setVisible(bar_->isHidden());
  return true;
}

bool CVemoChildFrame::UpdateCommand(UINT id, CCmdState& state) {
  if (id != ID_VIEW_PROGRESS_BAR || bar_ == nullptr) return false;
  state.enabled = true;
  state.checked = !bar_->isHidden();
  return true;
}
