#include "ui/vemo_about_box.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <vector>

#include "foundation/program_identity.h"
#include "foundation/version_info.h"
#include "time_zone_scope.h"
#include "ui/framework/qt_text.h"

namespace {

TEST(AboutBox, ShowsProductBuildKindVersionAndBuildDate) {
  TimeZoneScope zone("UTC");
  const CNVersionInfo& identity = ProgramIdentity();
  CVemoAboutBox box(identity);
  const QString version = ToQString(box.VersionText());
  const QRegularExpression lines(
      QStringLiteral("^Vemo\r\n(Release|Debug) \\d+\\.\\d\\d\\.\\d\\d\r\n"
                     "Built on \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
  EXPECT_TRUE(lines.match(version).hasMatch()) << version.toStdString();
  EXPECT_TRUE(version.endsWith(ToQString(identity.GetFileDate().Format(L"%Y/%m/%d %H:%M:%S"))));
  EXPECT_EQ(box.LegalText(), identity.GetString(L"LegalCopyright"));
  EXPECT_FALSE(box.LegalText().empty());
  EXPECT_EQ(box.windowTitle(), QStringLiteral("About Vemo"));

  // The labels show the lines without carriage returns, as plain text.
  bool found_version = false;
  for (const QLabel* label : box.findChildren<QLabel*>()) {
    if (label->text().startsWith(QStringLiteral("Vemo\n"))) {
      found_version = true;
      EXPECT_FALSE(label->text().contains(QChar('\r')));
    }
  }
  EXPECT_TRUE(found_version);
}

TEST(AboutBox, WithoutVersionInformationShowsNotAvailableAndNoLegalText) {
  const CNVersionInfo empty;
  CVemoAboutBox box(empty);
  EXPECT_TRUE(box.VersionText().starts_with(L"<n/a>Built on "))
      << ToQString(box.VersionText()).toStdString();
  EXPECT_TRUE(box.LegalText().empty());
  // "<n/a>" must not be taken for markup.
  bool shown = false;
  for (const QLabel* label : box.findChildren<QLabel*>())
    shown = shown || label->text().startsWith(QStringLiteral("<n/a>Built on "));
  EXPECT_TRUE(shown);
}

TEST(AboutBox, AnimationSweepsUpAndBackEveryTwentyEightTicks) {
  CVemoAboutBox box;
  EXPECT_EQ(box.ShownPicture(), -1);  // the application icon until the first tick
  std::vector<int> shown;
  for (int tick = 0; tick < 30; ++tick) {
    box.Step();
    shown.push_back(box.ShownPicture());
  }
  const std::vector<int> expected = {1,  2,  3,  4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 13,
                                     12, 11, 10, 9, 8, 7, 6, 5, 4, 3,  2,  1,  0,  1,  2};
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(box.Position(), 2);
}

TEST(AboutBox, TicksEveryHundredMillisecondsWhileShown) {
  CVemoAboutBox box;
  EXPECT_FALSE(box.IsAnimating());
  box.show();
  EXPECT_TRUE(box.IsAnimating());
  EXPECT_TRUE(QTest::qWaitFor([&box] { return box.ShownPicture() == 1; }, 2000));
  box.hide();
  EXPECT_FALSE(box.IsAnimating());
}

TEST(AboutBox, ControlsSitWhereTheDialogUnitsPutThem) {
  CVemoAboutBox box;
  const QPushButton* ok = box.findChild<QPushButton*>();
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->geometry(), QRect(box.DialogUnitsX(165), box.DialogUnitsY(5), box.DialogUnitsX(40),
                                  box.DialogUnitsY(20)));
  EXPECT_EQ(box.size(), QSize(box.DialogUnitsX(212), box.DialogUnitsY(62)));
  // A unit is a quarter of the average letter width and an eighth of the font height.
  const QFontMetrics metrics(box.font());
  EXPECT_NEAR(box.DialogUnitsY(8), metrics.height(), 1);
  EXPECT_GT(box.DialogUnitsX(4), 0);
  box.show();
  QTest::mouseClick(const_cast<QPushButton*>(ok), Qt::LeftButton);
  EXPECT_EQ(box.result(), QDialog::Accepted);
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
