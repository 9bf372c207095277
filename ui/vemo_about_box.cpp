#include "ui/vemo_about_box.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <cstdlib>

#include "foundation/program_identity.h"
#include "foundation/version_info.h"
#include "ui/framework/qt_text.h"

namespace {

constexpr int kTickMs = 100;

// The dialog template, in dialog units: x, y, width, height.
struct UnitRect {
  int x, y, width, height;
};
constexpr UnitRect kDialog{0, 0, 212, 62};
constexpr UnitRect kPicture{5, 5, 20, 20};
constexpr UnitRect kVersion{35, 5, 125, 30};
constexpr UnitRect kLegal{35, 35, 125, 20};
constexpr UnitRect kOk{165, 5, 40, 20};

// The identity's texts break lines with "\r\n"; a label wants "\n".
QString DisplayText(const std::wstring& text) {
  QString shown = ToQString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

QLabel* MakeText(QWidget* parent, const std::wstring& text) {
  auto* label = new QLabel(DisplayText(text), parent);
  // "<n/a>" and copyright lines are text, never markup.
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

CVemoAboutBox::CVemoAboutBox(QWidget* parent) : CVemoAboutBox(ProgramIdentity(), parent) {}

CVemoAboutBox::CVemoAboutBox(const CNVersionInfo& identity, QWidget* parent) : QDialog(parent) {
  version_text_ = identity.Format(L"%p\r\n%g %V\r\n") +
                  identity.GetFileDate().ToLocal().Format(L"Built on %Y/%m/%d %H:%M:%S");
  legal_text_ = identity.GetString(L"LegalCopyright");
  for (int i = 0; i < kProgressIconCount; ++i) icons_[static_cast<size_t>(i)] = VemoProgressIcon(i);
  Build();
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &CVemoAboutBox::Step);
}

void CVemoAboutBox::Build() {
  setWindowTitle(QStringLiteral("About Vemo"));
  picture_ = new QLabel(this);
  picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  ShowPicture(VemoAppIcon());
  version_ = MakeText(this, version_text_);
  legal_ = MakeText(this, legal_text_);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  LayOut();
}

int CVemoAboutBox::DialogUnitsX(int units) const {
  // The average width of the letters, rounded, as dialog base units are measured.
  const QFontMetrics metrics(font());
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int average = (letters / 26 + 1) / 2;
  return (units * average + 2) / 4;
}

int CVemoAboutBox::DialogUnitsY(int units) const {
  const QFontMetrics metrics(font());
  return (units * metrics.height() + 4) / 8;
}

void CVemoAboutBox::LayOut() {
  const auto place = [this](QWidget* widget, const UnitRect& r) {
    widget->setGeometry(DialogUnitsX(r.x), DialogUnitsY(r.y), DialogUnitsX(r.width),
                        DialogUnitsY(r.height));
  };
  place(picture_, kPicture);
  place(version_, kVersion);
  place(legal_, kLegal);
  place(ok_, kOk);
  setFixedSize(DialogUnitsX(kDialog.width), DialogUnitsY(kDialog.height));
}

void CVemoAboutBox::ShowPicture(const QIcon& icon) {
  // The standard icon size, whatever the picture control's size.
  const int side = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
  picture_->setPixmap(icon.pixmap(QSize(side, side), devicePixelRatioF()));
}

void CVemoAboutBox::Step() {
  if (++position_ > kProgressIconCount - 1) position_ = -(kProgressIconCount - 2);
  shown_picture_ = std::abs(position_);
  ShowPicture(icons_[static_cast<size_t>(shown_picture_)]);
}

void CVemoAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  timer_.start();
}

void CVemoAboutBox::hideEvent(QHideEvent* event) {
  timer_.stop();
  QDialog::hideEvent(event);
}
