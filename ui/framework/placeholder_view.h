// CNPlaceholderView: the simplest view of a document, a label with the document's title and its
// number of entries. The framework's tests use it where the list view is not the subject.
#pragma once
#include <QLabel>
#include <vector>

#include "ui/framework/view.h"

class CNPlaceholderView : public QLabel, public CNView {
  Q_OBJECT

 public:
  explicit CNPlaceholderView(CVemoDoc& doc, QWidget* parent = nullptr);

  QWidget* Widget() override { return this; }
  void OnInitialUpdate() override;
  void OnUpdate(CNView* sender, DWORD hint, const CVemoEntry* entry, int column) override;

  [[nodiscard]] int InitialUpdates() const { return initial_updates_; }
  // Hints received, in order.
  [[nodiscard]] const std::vector<DWORD>& Hints() const { return hints_; }

 private:
  void Refresh();

  int initial_updates_ = 0;
  std::vector<DWORD> hints_;
};
