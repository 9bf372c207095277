// vemo: the desktop program.
#include <QApplication>

#include "ui/vemo_app.h"

int main(int argc, char* argv[]) {
  QApplication qt_app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vemo"));
  QApplication::setOrganizationName(QStringLiteral("Tovak"));
  QGuiApplication::setDesktopFileName(QStringLiteral("vemo"));
  int code = 1;
  {
    CVemoApp app;
    if (app.InitInstance(QApplication::arguments().mid(1))) {
      code = QApplication::exec();
    } else if (app.HandedOver()) {
      code = 0;
    }
    code = app.ExitInstance(code);
  }
  return code;
}
