// Saves a picture of the desktop program's main window with the given lists open, once every
// list has finished its cycle and the windows are tiled. Used by scripts/gui_screenshots.sh.
// Usage: vemo_screenshot OUT.png LIST... (runs on the offscreen platform unless one is chosen)
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "document/doc_host.h"
#include "document/vemo_doc.h"
#include "ui/framework/qt_text.h"
#include "ui/vemo_app.h"
#include "ui/vemo_main_frame.h"

namespace {

void RunEvents(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vemo_screenshot OUT.png LIST...\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt_app(argc, argv);
  const QStringList args = QApplication::arguments();
  CVemoApp app;
  app.SetSingleInstance(false);
  app.DialogHooks().message_box = [](const QString& text, const QString& caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    return IDNO;
  };
  if (!app.InitInstance(args.mid(2))) return 1;
  CVemoMainFrame* main = app.VemoMainFrame();
  main->resize(1360, 860);
  QElapsedTimer clock;
  clock.start();
  auto busy = [&app] {
    for (CVemoDoc* doc : app.Documents()) {
      if (doc->GetState() != DocState::kIdle) return true;
    }
    return false;
  };
  while (busy() && clock.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  RunEvents(1000);
  main->MdiArea()->tileSubWindows();
  RunEvents(1000);
  const bool saved = main->grab().save(args[1]);
  app.CloseAllDocuments();
  app.ExitInstance(0);
  return saved ? 0 : 1;
}
