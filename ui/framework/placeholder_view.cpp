#include "ui/framework/placeholder_view.h"

#include "document/vemo_doc.h"
#include "ui/framework/qt_text.h"

CNPlaceholderView::CNPlaceholderView(CVemoDoc& doc, QWidget* parent) : QLabel(parent), CNView(doc) {
  setAlignment(Qt::AlignCenter);
}

void CNPlaceholderView::OnInitialUpdate() {
  ++initial_updates_;
  Refresh();
}

void CNPlaceholderView::OnUpdate(CNView* /*sender*/, DWORD hint, const CVemoEntry* /*entry*/,
                                 int /*column*/) {
  hints_.push_back(hint);
  if (hint == RFSH) Refresh();
}

void CNPlaceholderView::Refresh() {
  setText(ToQString(GetDocument().GetTitle()) +
          QStringLiteral("\n%1 entries").arg(GetDocument().GetEntries().GetCount()));
}
