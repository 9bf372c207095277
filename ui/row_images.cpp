#include "ui/row_images.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSvgRenderer>
#include <array>

namespace {

QIcon LoadRowImage(int index) {
  const QString path = QStringLiteral(":/rows/row_%1.svg").arg(index, 2, 10, QLatin1Char('0'));
  QSvgRenderer renderer;
  const bool loaded = QFile::exists(path) && renderer.load(path);
  QIcon icon;
  for (int scale = 1; scale <= 3; ++scale) {
    QPixmap pixmap(kRowImageSize * scale, kRowImageSize * scale);
    pixmap.fill(Qt::transparent);
    if (loaded) {
      QPainter painter(&pixmap);
      renderer.render(&painter);
    }
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

const QIcon& RowImage(int index) {
  static const std::array<QIcon, kRowImageCount> images = [] {
    std::array<QIcon, kRowImageCount> loaded;
    for (int i = 0; i < kRowImageCount; ++i) loaded[static_cast<std::size_t>(i)] = LoadRowImage(i);
    return loaded;
  }();
  static const QIcon none;
  if (index < 0 || index >= kRowImageCount) return none;
  return images[static_cast<std::size_t>(index)];
}
