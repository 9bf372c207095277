#include "ui/framework/memory_guard.h"

#include <QApplication>
#include <QMessageBox>

#include "foundation/system_error.h"
#include "platform/error_codes.h"
#include "ui/framework/qt_text.h"

void ReportOutOfMemory() noexcept {
  try {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(),
                          ToQString(FormatSystemError(ERROR_NOT_ENOUGH_MEMORY)));
  } catch (...) {
    // Nothing more can be said without memory; the program goes on with what it has.
  }
}
