// CVemoRowModel: the list view's rows as a Qt table model. Holds the view's rows (entry_rows.h)
// and computes every cell on demand from the entry: text, image, text and background colour by
// display category (directories inverted), alignment. Nothing is cached, so a redrawn row shows the
// entry as it is now.
//
// A stale row — beyond the rows, or an entry the document no longer holds — draws with the
// defaults and shows nothing; no entry is touched before the document confirms it still holds it.
// The entries belong to the document; Clear() must run before the document deletes entries (RCLR).
// User-interface thread only.
#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <cstddef>

#include "document/entry_rows.h"
#include "platform/win_types.h"

class CVemoDoc;
class CVemoEntry;

class CVemoRowModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit CVemoRowModel(const CVemoDoc& doc, QObject* parent = nullptr);

  // Rows := the document's entries under show_flags (CVemoEntryRows::Rebuild), as one reset.
  void Rebuild(DWORD show_flags);
  // The same in slices (CVemoEntryRows::BeginRebuild, ContinueRebuild): the rows shown stay as
  // they are until TakeRebuilt puts the new ones in their place, as one reset. BeginRebuild
  // answers false when the rows already are the result.
  bool BeginRebuild(DWORD show_flags) { return rows_.BeginRebuild(doc_, show_flags); }
  bool ContinueRebuild(CVemoPollBudget& budget) { return rows_.ContinueRebuild(budget); }
  void TakeRebuilt();
  [[nodiscard]] bool IsRebuilding() const { return rows_.IsRebuilding(); }
  // No rows (and no rebuild in progress), as one reset.
  void Clear();
  // The row of entry, -1 when it is not shown. O(1) for the rows just after the last one found
  // (checksum results arrive in about the order of the rows), else O(log n).
  [[nodiscard]] std::ptrdiff_t RowOf(const CVemoEntry* entry) const;
  [[nodiscard]] const CVemoEntryRows& Rows() const { return rows_; }
  // The entry row shows, or null for a stale row.
  [[nodiscard]] const CVemoEntry* EntryAt(int row) const;

  // The colours that stand for "window" and "window text" in the colour table.
  void SetWindowColours(const QColor& window, const QColor& window_text);

  [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  // The delegate asks for all of a cell's roles at once: one lookup of the entry serves them.
  void multiData(const QModelIndex& index, QModelRoleDataSpan role_data) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                    int role) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const CVemoDoc& doc_;
  CVemoEntryRows rows_;
  mutable std::size_t last_found_ = 0;
  QColor window_;
  QColor window_text_;
};

// Alignment of a column's cells and title: Size and Attr right, the others left.
[[nodiscard]] Qt::Alignment ColumnAlignment(int column);
