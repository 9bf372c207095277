// CNDocTemplate: ties the document class, its child frame and its view together, with the strings
// the file dialogs use. The application creates every document window through it, so tests can
// put simpler frames or views in.
#pragma once
#include <QString>
#include <functional>
#include <memory>

class CNMDIChildFrame;
class CNView;
class CVemoDoc;
class CVemoDocHost;
class QWidget;

struct CNDocTemplate {
  std::function<std::unique_ptr<CVemoDoc>(CVemoDocHost& host)> create_document;
  std::function<CNMDIChildFrame*(CVemoDoc& doc)> create_frame;
  std::function<CNView*(CVemoDoc& doc, QWidget* parent)> create_view;
  // The open and save dialogs' filter, e.g. "Vemo Files (*.sum *.crx)".
  QString filter;
  // Added to a name chosen in the save dialog without one, without the dot.
  QString default_suffix;
};
