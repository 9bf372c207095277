// CVemoView: the list of one document's entries, one row per shown entry in key order (never
// sorted), seven columns, each cell coloured by its display category. The rows are the view's own
// (CVemoRowModel over CVemoEntryRows); the table asks for the cells it paints, so a million rows
// cost one pointer each.
//
// The view filters by category with its own copy of ShowFlags, follows the checksum scan when
// asked, and carries the commands that act on the document shown: the filters, the rescans,
// freezing, save-and-close-when-done, grid lines, following and the refused printing. The filter,
// grid-line and follow settings act on this view only and are stored for views opened later.
//
// Lifecycle: made by the document template with its document; OnInitialUpdate once the frame
// shows it; after that the document's hints (RFSH, RDRW, ACOL, RCLR) arrive through OnUpdate.
// User-interface thread only.
#pragma once
#include <QTableView>
#include <chrono>
#include <string>
#include <vector>

#include "platform/win_types.h"
#include "ui/framework/view.h"

class CVemoRowModel;
class QTimer;

class CVemoView : public QTableView, public CNView {
  Q_OBJECT

 public:
  explicit CVemoView(CVemoDoc& doc, QWidget* parent = nullptr);
  ~CVemoView() override;

  [[nodiscard]] static const char* GetRuntimeClassName() { return "CVemoView"; }

  QWidget* Widget() override { return this; }
  // Takes the stored show flags and grid lines, sets up the seven columns with the document's
  // widths and maximises the child frame. The rows stay empty until the document's next update.
  void OnInitialUpdate() override;
  void OnUpdate(CNView* sender, DWORD hint, const CVemoEntry* entry, int column) override;

  bool OnCommand(UINT id) override;
  bool UpdateCommand(UINT id, CCmdState& state) override;

  // Rows := the document's entries under this view's show flags, now; nothing before the initial
  // update. The current row and the selection stay on the same entries where they still show.
  void RebuildRows();
  // The same in slices of the event loop (a few milliseconds each) for a document of many
  // entries: the old rows show until the new ones are ready. A small document's rows are
  // rebuilt at once.
  void StartRebuildRows();
  [[nodiscard]] bool IsRebuildingRows() const;
  // The time one slice of a rebuild may take; tests make it zero to cut it into the smallest.
  void SetRebuildSlice(std::chrono::microseconds slice) { rebuild_slice_ = slice; }
  // Fits column n to its contents and title (every column when n is negative), then stores all
  // seven widths in the document.
  void AutoSizeColumns(int n);
  // Printing is not supported: says so and answers false.
  bool OnPreparePrinting();

  [[nodiscard]] bool IsInitialised() const { return initialised_; }
  [[nodiscard]] DWORD GetShowFlags() const { return show_flags_; }
  [[nodiscard]] bool IsFollowing() const { return follow_; }
  [[nodiscard]] CVemoRowModel& RowModel() const { return *model_; }

  // No type-ahead: rows are in key order, not by name, so finding a typed prefix means reading
  // every row's name, about a second for a million rows, on each key press.
  void keyboardSearch(const QString& /*search*/) override {}

 protected:
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The selection and the current row, by the keys of their entries, to be put back on the same
  // entries in the rows that replace the ones shown.
  struct SelectionMemo {
    std::vector<const char*> keys;  // selected entries, in key order
    const char* current = nullptr;
    int current_column = 0;
    // The keys' bytes once the entries may go: the strings stay in place when the memo moves.
    std::vector<std::string> storage;
    [[nodiscard]] bool empty() const { return keys.empty() && current == nullptr; }
  };

  void ContinueRebuildRows();
  // Puts the rebuilt rows in place, keeping the scroll position, the followed entry, the
  // selection and the current row.
  void TakeRebuiltRows();
  SelectionMemo RememberSelection() const;
  // The memo's keys copied into it (the entries are about to go).
  static void KeepKeys(SelectionMemo& memo);
  void RestoreSelection(const SelectionMemo& memo);
  void TakeWindowColours();
  void ToggleShowFlag(DWORD bit);
  // Scrolls row into view when the event loop next runs (the latest row asked for wins).
  void FollowRow(int row);
  void ScrollToFollowedRow();

  CVemoRowModel* model_;
  bool initialised_ = false;
  DWORD show_flags_ = 63;
  bool follow_;
  int followed_row_ = -1;  // to be scrolled into view; -1 for none
  QTimer* rebuild_timer_;  // goes on with a rebuild in slices
  // A slice of a rebuild: short enough, with the document's own idle step, for the window to
  // answer input within a few tens of milliseconds.
  std::chrono::microseconds rebuild_slice_{8000};
  bool fit_after_rebuild_ = false;  // a filter toggle fits the columns to the new rows
  // Kept from the rows an RCLR dropped, for the rows that come next.
  SelectionMemo dropped_selection_;
};
