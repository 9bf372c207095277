// Pictures of every menu open and of the About box. They are saved as PNG files when
// VEMO_SCREENSHOT_DIR names a directory (docs/screenshots/ keeps the project's copies); otherwise
// the test only checks that each picture was made.
#include <gtest/gtest.h>

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTableView>

#include "commands_window.h"
#include "document/command_ids.h"
#include "ui/vemo_about_box.h"
#include "ui/vemo_icons.h"

namespace {

void Save(const QImage& image, const QString& name) {
  EXPECT_FALSE(image.isNull()) << name.toStdString();
  const QString dir = qEnvironmentVariable("VEMO_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  EXPECT_TRUE(image.save(QDir(dir).filePath(name))) << name.toStdString();
}

// The window with the menu open over it, as one picture.
QImage WindowWithMenu(QMainWindow& window, QMenu& menu) {
  const QPoint origin = window.mapToGlobal(QPoint(0, 0));
  const QRect window_rect(origin, window.size());
  const QRect menu_rect(menu.mapToGlobal(QPoint(0, 0)), menu.size());
  const QRect all = window_rect.united(menu_rect);
  QImage image(all.size(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.drawPixmap(window_rect.topLeft() - all.topLeft(), window.grab());
  painter.drawPixmap(menu_rect.topLeft() - all.topLeft(), menu.grab());
  return image;
}

// What the handlers answer for a fresh document: filters all on, bars shown, nothing to save.
void DocumentState(RecordingRouter& router) {
  for (UINT id : {ID_FILE_NEW,
                  ID_FILE_OPEN,
                  ID_FILE_CLOSE,
                  ID_FILE_SAVE_COPY_AS,
                  ID_FILE_PRINT,
                  ID_FILE_PRINT_PREVIEW,
                  ID_FILE_PRINT_SETUP,
                  ID_RESCAN_NEW,
                  ID_RESCAN_ALL,
                  ID_FILE_FREEZE,
                  ID_FILE_SAVE_CLOSE_WHEN_DONE,
                  ID_APP_EXIT,
                  ID_VIEW_FOLLOW_SCAN,
                  ID_VIEW_GRIDLINES,
                  ID_WINDOW_NEW,
                  ID_WINDOW_CASCADE,
                  ID_WINDOW_TILE_HORZ,
                  ID_WINDOW_ARRANGE,
                  ID_APP_ABOUT,
                  ID_HELP_BROWSE_WEB})
    router.Handle(id);
  for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_MAIN_STATUS_BAR,
                  ID_VIEW_PROGRESS_BAR, ID_VIEW_SAME, ID_VIEW_CHANGED, ID_VIEW_NEW, ID_VIEW_MISSING,
                  ID_VIEW_EMPTY_FOLDERS, ID_VIEW_ERRORS})
    router.Handle(id, true, true);
  router.Handle(ID_FILE_SAVE, false);
}

void ShootMenus(bool document_menu, const QString& prefix) {
  CommandsWindow w(document_menu);
  w.window.setWindowTitle(QStringLiteral("Vemo"));
  w.window.setWindowIcon(VemoAppIcon());
  auto* area = new QMdiArea;
  w.window.setCentralWidget(area);
  if (document_menu) {
    QMdiSubWindow* child = area->addSubWindow(new QTableView);
    child->setWindowTitle(QStringLiteral("photos.sum"));
    child->setWindowIcon(VemoDocumentIcon());
    child->showMaximized();
  }
  w.recent.Add(L"/home/ann/photos/photos.sum");
  w.Rebuild(document_menu);
  if (document_menu) {
    DocumentState(w.router);
  } else {
    // Only the application and the main window answer.
    for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_PRINT_SETUP, ID_APP_EXIT, ID_APP_ABOUT,
                    ID_HELP_BROWSE_WEB})
      w.router.Handle(id);
    for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) w.router.Handle(id, true, true);
  }
  w.manager.UpdateAll();
  w.window.resize(720, 420);
  ASSERT_TRUE(w.Activate());
  Save(w.window.grab().toImage(), prefix + QStringLiteral("_toolbar.png"));
  const QList<QAction*> titles = w.window.menuBar()->actions();
  for (int i = 0; i < titles.size(); ++i) {
    QMenu* menu = titles[i]->menu();
    w.window.menuBar()->setActiveAction(titles[i]);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::qWait(50);
    const QString name = titles[i]->text().remove(QChar('&')).toLower();
    Save(WindowWithMenu(w.window, *menu), QStringLiteral("%1_%2.png").arg(prefix, name));
    menu->hide();
  }
}

TEST(CommandsScreenshots, MenuWithoutDocument) { ShootMenus(false, QStringLiteral("menu128")); }

TEST(CommandsScreenshots, DocumentMenu) { ShootMenus(true, QStringLiteral("menu129")); }

TEST(CommandsScreenshots, AboutBox) {
  CVemoAboutBox box;
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  Save(box.grab().toImage(), QStringLiteral("about_box.png"));
  for (int i = 0; i < 7; ++i) box.Step();
  Save(box.grab().toImage(), QStringLiteral("about_box_animated.png"));
}

}  // namespace
