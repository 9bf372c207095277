// CVemoAboutBox: the "About" command's modal dialog. It shows the product, build kind, version and
// build date of the program's identity, its legal notice, and an icon that sweeps through the 15
// progress pictures and back, one step every 100 ms while the dialog is shown.
//
// The controls sit where the dialog template's units put them, at the dialog's font (a unit is a
// quarter of the average character width across, an eighth of the font height down).
#pragma once
#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <array>
#include <string>

#include "ui/vemo_icons.h"

class CNVersionInfo;
class QLabel;
class QPushButton;

class CVemoAboutBox : public QDialog {
  Q_OBJECT

 public:
  // Shows the running program's identity.
  explicit CVemoAboutBox(QWidget* parent = nullptr);
  // Shows the given identity (read during construction only).
  explicit CVemoAboutBox(const CNVersionInfo& identity, QWidget* parent = nullptr);

  // The texts as the identity gives them, lines separated by "\r\n".
  [[nodiscard]] const std::wstring& VersionText() const { return version_text_; }
  [[nodiscard]] const std::wstring& LegalText() const { return legal_text_; }

  // The animation counter: 0 at first, then 1..14, -13..0, 1.. (the picture shown is its size).
  [[nodiscard]] int Position() const { return position_; }
  // The progress picture shown, or -1 while the application icon still is.
  [[nodiscard]] int ShownPicture() const { return shown_picture_; }
  // One tick of the animation.
  void Step();

  [[nodiscard]] bool IsAnimating() const { return timer_.isActive(); }
  // Dialog units at the dialog's font, in pixels.
  [[nodiscard]] int DialogUnitsX(int units) const;
  [[nodiscard]] int DialogUnitsY(int units) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Build();
  void LayOut();
  void ShowPicture(const QIcon& icon);

  std::wstring version_text_;
  std::wstring legal_text_;
  QLabel* picture_ = nullptr;
  QLabel* version_ = nullptr;
  QLabel* legal_ = nullptr;
  QPushButton* ok_ = nullptr;
  std::array<QIcon, kProgressIconCount> icons_;
  QTimer timer_;
  int position_ = 0;
  int shown_picture_ = -1;
};
