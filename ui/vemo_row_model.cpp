#include "ui/vemo_row_model.h"

#include <QBrush>
#include <algorithm>

#include "document/entries/entry_columns.h"
#include "document/vemo_doc.h"
#include "ui/framework/qt_text.h"
#include "ui/row_colours.h"
#include "ui/row_images.h"

Qt::Alignment ColumnAlignment(int column) {
  const bool right = column == kColumnSize || column == kColumnAttr;
  return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

CVemoRowModel::CVemoRowModel(const CVemoDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), doc_(doc), window_(Qt::white), window_text_(Qt::black) {}

void CVemoRowModel::Rebuild(DWORD show_flags) {
  beginResetModel();
  last_found_ = 0;
  rows_.Rebuild(doc_, show_flags);
  endResetModel();
}

void CVemoRowModel::TakeRebuilt() {
  beginResetModel();
  last_found_ = 0;
  rows_.TakeRebuilt();
  endResetModel();
}

void CVemoRowModel::Clear() {
  if (rows_.empty()) {
    rows_.Clear();
    return;
  }
  beginResetModel();
  last_found_ = 0;
  rows_.Clear();
  endResetModel();
}

std::ptrdiff_t CVemoRowModel::RowOf(const CVemoEntry* entry) const {
  if (entry == nullptr) return -1;
  // Pointers are only compared here, never followed.
  constexpr std::size_t kNear = 8;
  const std::size_t end = std::min(rows_.size(), last_found_ + kNear);
  for (std::size_t row = last_found_; row < end; ++row) {
    if (rows_[row] == entry) return static_cast<std::ptrdiff_t>(last_found_ = row);
  }
  const std::ptrdiff_t row = rows_.RowOf(entry);
  if (row >= 0) last_found_ = static_cast<std::size_t>(row);
  return row;
}

const CVemoEntry* CVemoRowModel::EntryAt(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
  const CVemoEntry* entry = rows_[static_cast<std::size_t>(row)];
  return doc_.ContainsEntry(entry) ? entry : nullptr;
}

void CVemoRowModel::SetWindowColours(const QColor& window, const QColor& window_text) {
  if (window == window_ && window_text == window_text_) return;
  window_ = window;
  window_text_ = window_text;
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

int CVemoRowModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CVemoRowModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant CVemoRowModel::data(const QModelIndex& index, int role) const {
  QModelRoleData role_data(role);
  multiData(index, role_data);
  return role_data.data();
}

void CVemoRowModel::multiData(const QModelIndex& index, QModelRoleDataSpan role_data) const {
  for (QModelRoleData& item : role_data) item.clearData();
  if (!index.isValid() || index.column() >= kColumnCount) return;
  const CVemoEntry* entry = EntryAt(index.row());
  if (entry == nullptr) return;
  const int column = index.column();
  for (QModelRoleData& item : role_data) {
    switch (item.role()) {
      case Qt::DisplayRole:
        item.setData(ToQString(GetColumnText(*entry, column)));
        break;
      case Qt::DecorationRole:
        if (const int image = GetColumnImage(*entry, column); image >= 0) {
          item.setData(RowImage(image));
        }
        break;
      case Qt::ForegroundRole:
        item.setData(QBrush(
            CellColours(GetColumnState(*entry, column), entry->IsDirectory(), window_, window_text_)
                .text));
        break;
      case Qt::BackgroundRole:
        item.setData(QBrush(
            CellColours(GetColumnState(*entry, column), entry->IsDirectory(), window_, window_text_)
                .background));
        break;
      case Qt::TextAlignmentRole:
        item.setData(static_cast<int>(ColumnAlignment(column)));
        break;
      default:
        break;
    }
  }
}

QVariant CVemoRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return ToQString(kColumnTitles[section]);
  if (role == Qt::TextAlignmentRole) return static_cast<int>(ColumnAlignment(section));
  return {};
}

Qt::ItemFlags CVemoRowModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
