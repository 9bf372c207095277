#include "ui/vemo_icons.h"

#include <QFile>
#include <QString>

// Each call makes a new QIcon: making one only records the file (the SVG is drawn when a size is
// asked for), and holders such as the About box keep theirs. No icon outlives the application.
namespace {

QIcon ResourceIcon(const QString& path) {
  // QIcon of a missing file is not reliably null; callers test isNull().
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace

QIcon VemoAppIcon() { return ResourceIcon(QStringLiteral(":/icons/vemo.svg")); }

QIcon VemoDocumentIcon() { return ResourceIcon(QStringLiteral(":/icons/vemo-document.svg")); }

QIcon VemoProgressIcon(int step) {
  if (step < 0 || step >= kProgressIconCount) return VemoAppIcon();
  return ResourceIcon(QStringLiteral(":/icons/progress_%1.svg").arg(step, 2, 10, QChar('0')));
}

QIcon VemoToolBarIcon(const char* name) {
  if (name == nullptr || *name == '\0') return QIcon();
  return ResourceIcon(QStringLiteral(":/toolbar/%1.svg").arg(QLatin1String(name)));
}
