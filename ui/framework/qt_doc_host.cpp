#include "ui/framework/qt_doc_host.h"

#include <QApplication>
#include <QGuiApplication>

#include "document/vemo_doc.h"
#include "ui/framework/qt_text.h"
#include "ui/framework/win_app.h"

int CNQtDocHost::ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT style) {
  return app_.ShowMessageBox(ToQString(text), ToQString(caption), style);
}

void CNQtDocHost::UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column) {
  app_.UpdateAllViews(doc, hint, entry, column);
}

bool CNQtDocHost::PromptSaveFileName(std::wstring& path, bool replace) {
  return app_.PromptFileName(path, true, replace);
}

bool CNQtDocHost::BrowseForFolder(std::wstring& folder, std::wstring_view title) {
  return app_.BrowseForFolder(folder, title);
}

void CNQtDocHost::OpenDocumentFile(const std::wstring& path) { app_.OpenDocumentFile(path); }

bool CNQtDocHost::IsActiveInForeground() {
  return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void CNQtDocHost::PlayCompletionSound() { QApplication::beep(); }

void CNQtDocHost::CloseDocumentFrames(CVemoDoc& doc) { app_.PostCloseDocumentFrames(doc); }

void CNQtDocHost::PostCloseOnNoDocument() { app_.PostCloseOnNoDocument(); }

void CNQtDocHost::OnTitleChanged(CVemoDoc& doc) { app_.UpdateFrameTitles(doc); }
