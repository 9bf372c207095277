#include "ui/vemo_view.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "document/command_ids.h"
#include "document/doc_host.h"
#include "document/entries/entry_columns.h"
#include "document/poll_budget.h"
#include "document/vemo_doc.h"
#include "foundation/process_values.h"
#include "ui/row_images.h"
#include "ui/vemo_row_model.h"

namespace {

// The show-flag bit a filter command toggles; 0 for any other command.
DWORD FilterBit(UINT id) {
  switch (id) {
    case ID_VIEW_SAME:
      return SF_SAME;
    case ID_VIEW_CHANGED:
      return SF_CHANGED;
    case ID_VIEW_NEW:
      return SF_NEW;
    case ID_VIEW_MISSING:
      return SF_MISSING;
    case ID_VIEW_ERRORS:
      return SF_ERRORS;
    case ID_VIEW_EMPTY_FOLDERS:
      return SF_EMPTY_FOLDERS;
    default:
      return 0;
  }
}

// The most selected rows kept, by key, across a replacement of the document's entries.
constexpr std::size_t kKeptSelectionRows = 100000;

bool IsPrintCommand(UINT id) {
  return id == ID_FILE_PRINT || id == ID_FILE_PRINT_DIRECT || id == ID_FILE_PRINT_PREVIEW;
}

}  // namespace

CVemoView::CVemoView(CVemoDoc& doc, QWidget* parent)
    : QTableView(parent),
      CNView(doc),
      model_(new CVemoRowModel(doc, this)),
      follow_(FollowScan.load() != 0),
      rebuild_timer_(new QTimer(this)) {
  setModel(model_);
  rebuild_timer_->setInterval(0);
  connect(rebuild_timer_, &QTimer::timeout, this, &CVemoView::ContinueRebuildRows);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setCornerButtonEnabled(false);
  setIconSize(QSize(kRowImageSize, kRowImageSize));
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setShowGrid(Gridlines.load() != 0);

  // A header click neither sorts nor selects: the rows keep the document's order.
  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setSortIndicatorShown(false);
  // Any stored width is honoured, down to a column dragged shut.
  header->setMinimumSectionSize(0);

  // One fixed height for every row, so a million rows lay out at once.
  QHeaderView* rows = verticalHeader();
  rows->hide();
  const int height = std::max(fontMetrics().height() + 4, kRowImageSize + 2);
  rows->setMinimumSectionSize(height);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(height);

  TakeWindowColours();
}

CVemoView::~CVemoView() = default;

void CVemoView::OnInitialUpdate() {
  show_flags_ = ShowFlags.load();
  setShowGrid(Gridlines.load() != 0);
  model_->Clear();
  for (int i = 0; i < kColumnCount; ++i) {
    // The stored width's low 16 bits, as the document file has always kept them; a negative
    // width fits contents and title.
    const auto width = static_cast<std::int16_t>(GetDocument().GetColumnWidth(i) & 0xFFFF);
    if (width < 0) {
      resizeColumnToContents(i);
    } else {
      setColumnWidth(i, width);
    }
  }
  initialised_ = true;
  for (QWidget* frame = parentWidget(); frame != nullptr; frame = frame->parentWidget()) {
    if (auto* child = qobject_cast<QMdiSubWindow*>(frame)) {
      child->showMaximized();
      break;
    }
  }
}

void CVemoView::OnUpdate(CNView* sender, DWORD hint, const CVemoEntry* entry, int column) {
  if (sender == this) return;
  switch (hint) {
    case RDRW: {
      const std::ptrdiff_t row = model_->RowOf(entry);
      if (row < 0) {
        viewport()->update();
        return;
      }
      // The rows may have been replaced since the last layout; positions must be current.
      executeDelayedItemsLayout();
      const int y = rowViewportPosition(static_cast<int>(row));
      const int height = rowHeight(static_cast<int>(row));
      if (y + height > 0 && y < viewport()->height()) {
        viewport()->update(0, y, viewport()->width(), height);
      }
      if (follow_) FollowRow(static_cast<int>(row));
      return;
    }
    case ACOL:
      AutoSizeColumns(column);
      return;
    case RCLR:
      // The entries may go: what was selected is kept by key for the rows that come next.
      if (!model_->Rows().empty()) {
        dropped_selection_ = RememberSelection();
        KeepKeys(dropped_selection_);
      }
      followed_row_ = -1;
      rebuild_timer_->stop();
      model_->Clear();
      return;
    default:
      StartRebuildRows();
      return;
  }
}

void CVemoView::RebuildRows() {
  if (!initialised_) return;
  rebuild_timer_->stop();
  if (model_->BeginRebuild(show_flags_)) {
    CVemoPollBudget unlimited(CVemoPollBudget::kUnlimited);
    while (!model_->ContinueRebuild(unlimited)) {
    }
    TakeRebuiltRows();
  }
  if (std::exchange(fit_after_rebuild_, false)) AutoSizeColumns(-1);
}

void CVemoView::StartRebuildRows() {
  if (!initialised_) return;
  if (!model_->BeginRebuild(show_flags_)) {
    // The rows already are the result (every entry, the same ones as before).
    rebuild_timer_->stop();
    if (std::exchange(fit_after_rebuild_, false)) AutoSizeColumns(-1);
    return;
  }
  ContinueRebuildRows();
}

bool CVemoView::IsRebuildingRows() const { return model_->IsRebuilding(); }

void CVemoView::ContinueRebuildRows() {
  if (!model_->IsRebuilding()) {
    rebuild_timer_->stop();
    return;
  }
  CVemoPollBudget slice(rebuild_slice_);
  if (!model_->ContinueRebuild(slice)) {
    if (!rebuild_timer_->isActive()) rebuild_timer_->start();
    return;
  }
  rebuild_timer_->stop();
  TakeRebuiltRows();
  if (std::exchange(fit_after_rebuild_, false)) AutoSizeColumns(-1);
}

void CVemoView::TakeRebuiltRows() {
  // The row still to be followed is followed in the new rows: the entries are settled when a
  // rebuild is asked for (RCLR dropped every row before any went).
  const CVemoEntry* followed = model_->EntryAt(followed_row_);
  SelectionMemo selection =
      dropped_selection_.empty() ? RememberSelection() : std::move(dropped_selection_);
  dropped_selection_ = SelectionMemo();
  // A rebuild at each phase of a cycle must not throw the reader back to the top.
  const int top = verticalScrollBar()->value();
  const int left = horizontalScrollBar()->value();
  model_->TakeRebuilt();
  executeDelayedItemsLayout();
  verticalScrollBar()->setValue(top);
  horizontalScrollBar()->setValue(left);
  RestoreSelection(selection);
  followed_row_ = followed != nullptr ? static_cast<int>(model_->RowOf(followed)) : -1;
}

CVemoView::SelectionMemo CVemoView::RememberSelection() const {
  SelectionMemo memo;
  const CVemoEntryRows& rows = model_->Rows();
  // The rows never hold an entry that is gone (RCLR drops them first).
  const QModelIndex current = currentIndex();
  if (current.isValid() && static_cast<std::size_t>(current.row()) < rows.size()) {
    memo.current = rows[static_cast<std::size_t>(current.row())]->m_pszKey;
    memo.current_column = current.column();
  }
  const QItemSelectionModel* model = selectionModel();
  if (model == nullptr || !model->hasSelection()) return memo;
  // Whole rows are selected: the ranges' rows, in order, each once.
  std::vector<std::pair<int, int>> spans;
  for (const QItemSelectionRange& range : model->selection()) {
    spans.emplace_back(range.top(), range.bottom());
  }
  std::sort(spans.begin(), spans.end());
  int next = 0;
  for (const auto& [top, bottom] : spans) {
    const int last = std::min(bottom, static_cast<int>(rows.size()) - 1);
    for (int row = std::max(top, next); row <= last; ++row) {
      if (const char* key = rows[static_cast<std::size_t>(row)]->m_pszKey) {
        memo.keys.push_back(key);
      }
    }
    next = std::max(next, last + 1);
  }
  return memo;
}

void CVemoView::KeepKeys(SelectionMemo& memo) {
  if (memo.keys.size() > kKeptSelectionRows) memo.keys.clear();
  memo.storage.assign(memo.keys.begin(), memo.keys.end());
  if (memo.current != nullptr) memo.storage.emplace_back(memo.current);
  // Pointers once every copy is in place (adding to the vector may move them).
  for (std::size_t i = 0; i < memo.keys.size(); ++i) memo.keys[i] = memo.storage[i].c_str();
  if (memo.current != nullptr) memo.current = memo.storage.back().c_str();
}

void CVemoView::RestoreSelection(const SelectionMemo& memo) {
  const CVemoEntryRows& rows = model_->Rows();
  auto row_of = [&rows](const char* key, std::size_t from) -> std::ptrdiff_t {
    const std::size_t row = rows.LowerBound(key, from);
    if (row >= rows.size()) return -1;
    const char* row_key = rows[row]->m_pszKey;
    return row_key == key || std::strcmp(row_key, key) == 0 ? static_cast<std::ptrdiff_t>(row) : -1;
  };
  QItemSelectionModel* model = selectionModel();
  if (model == nullptr) return;
  if (memo.current != nullptr) {
    if (const std::ptrdiff_t row = row_of(memo.current, 0); row >= 0) {
      model->setCurrentIndex(model_->index(static_cast<int>(row), memo.current_column),
                             QItemSelectionModel::NoUpdate);
    }
  }
  if (memo.keys.empty()) return;
  // The keys are in row order: each search starts where the last one ended, and runs of rows
  // become one range each.
  QItemSelection selection;
  auto add = [&](std::ptrdiff_t first, std::ptrdiff_t last) {
    selection.append(QItemSelectionRange(model_->index(static_cast<int>(first), 0),
                                         model_->index(static_cast<int>(last), kColumnCount - 1)));
  };
  std::size_t from = 0;
  std::ptrdiff_t first = -1;
  std::ptrdiff_t last = -1;
  for (const char* key : memo.keys) {
    const std::ptrdiff_t row = row_of(key, from);
    if (row < 0) continue;
    from = static_cast<std::size_t>(row) + 1;
    if (first >= 0 && row == last + 1) {
      last = row;
      continue;
    }
    if (first >= 0) add(first, last);
    first = last = row;
  }
  if (first >= 0) add(first, last);
  if (!selection.isEmpty()) model->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CVemoView::FollowRow(int row) {
  // Results arrive by the thousand between two paints, and each scroll moves the window's pixels:
  // only the latest row is scrolled into view, once the event loop runs again.
  const bool scheduled = followed_row_ >= 0;
  followed_row_ = row;
  if (!scheduled) {
    QMetaObject::invokeMethod(this, &CVemoView::ScrollToFollowedRow, Qt::QueuedConnection);
  }
}

void CVemoView::ScrollToFollowedRow() {
  const int row = std::exchange(followed_row_, -1);
  if (row < 0 || row >= model_->rowCount()) return;
  // Only up and down: the user may be reading the columns on the right.
  const int x = horizontalScrollBar()->value();
  scrollTo(model_->index(row, 0), QAbstractItemView::EnsureVisible);
  horizontalScrollBar()->setValue(x);
}

void CVemoView::AutoSizeColumns(int n) {
  // Before the initial update the columns do not show the document's widths yet.
  if (!initialised_) return;
  const bool updates = updatesEnabled();
  setUpdatesEnabled(false);
  bool changed = false;
  for (int i = 0; i < kColumnCount; ++i) {
    if (n < 0 || i == n) {
      resizeColumnToContents(i);
      changed = true;
    }
    GetDocument().SetColumnWidth(i, columnWidth(i));
  }
  setUpdatesEnabled(updates);
  if (changed) viewport()->update();
}

bool CVemoView::OnPreparePrinting() {
  GetDocument().Host().ShowMessageBox(L"Sorry, printing is not supported at this time.",
                                      L"Print Unavailable", MB_OK | MB_ICONERROR);
  return false;
}

bool CVemoView::UpdateCommand(UINT id, CCmdState& state) {
  if (const DWORD bit = FilterBit(id); bit != 0) {
    state.enabled = true;
    state.checked = (show_flags_ & bit) != 0;
    return true;
  }
  if (IsPrintCommand(id)) {
    state.enabled = true;
    state.checked = false;
    return true;
  }
  switch (id) {
    case ID_RESCAN_ALL:
    case ID_RESCAN_NEW:
    case ID_FILE_SAVE_CLOSE_WHEN_DONE:
    case ID_FILE_FREEZE:
      return GetDocument().UpdateCommand(id, state);
    case ID_VIEW_GRIDLINES:
      state.enabled = true;
      state.checked = showGrid();
      return true;
    case ID_VIEW_FOLLOW_SCAN:
      state.enabled = true;
      state.checked = follow_;
      return true;
    default:
      return false;
  }
}

bool CVemoView::OnCommand(UINT id) {
  if (const DWORD bit = FilterBit(id); bit != 0) {
    ToggleShowFlag(bit);
    return true;
  }
  if (IsPrintCommand(id)) {
    (void)OnPreparePrinting();
    return true;
  }
  CVemoDoc& doc = GetDocument();
  switch (id) {
    case ID_RESCAN_ALL:
    case ID_RESCAN_NEW:
      if (doc.IsCommandEnabled(id)) {
        doc.Rescan(id == ID_RESCAN_ALL ? RescanMode::kAll : RescanMode::kNew);
      }
      return true;
    case ID_FILE_SAVE_CLOSE_WHEN_DONE:
    case ID_FILE_FREEZE:
      return doc.OnCommand(id);
    case ID_VIEW_GRIDLINES:
      setShowGrid(!showGrid());
      Gridlines.exchange(showGrid() ? 1 : 0);
      return true;
    case ID_VIEW_FOLLOW_SCAN:
      follow_ = !follow_;
      if (!follow_) followed_row_ = -1;
      FollowScan.exchange(follow_ ? 1 : 0);
      return true;
    default:
      return false;
  }
}

void CVemoView::ToggleShowFlag(DWORD bit) {
  show_flags_ ^= bit;
  ShowFlags.exchange(show_flags_);
  if (!initialised_) return;
  // The columns fit the new rows once they are in place.
  fit_after_rebuild_ = true;
  StartRebuildRows();
}

void CVemoView::TakeWindowColours() {
  model_->SetWindowColours(palette().color(QPalette::Base), palette().color(QPalette::Text));
}

void CVemoView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) TakeWindowColours();
  QTableView::changeEvent(event);
}

void CVemoView::keyPressEvent(QKeyEvent* event) {
  // Copy has no handler in this program: the table must not put a cell on the clipboard itself.
  if (event->matches(QKeySequence::Copy)) {
    event->ignore();
    return;
  }
  QTableView::keyPressEvent(event);
}
