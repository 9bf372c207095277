// No list view ever touches an entry the document freed: a host paints every row of every view
// (each cell's every role, and the views' real painting) at each message box — where a real
// window's nested event loop would paint — and after each hint, through whole cycles that delete
// or replace entries. Run under AddressSanitizer, any use of a freed entry fails the test.
#include <QModelRoleData>
#include <array>
#include <fstream>
#include <string>

#include "document/command_ids.h"

#include "ui/view_fixture.h"

namespace vemo_test {
namespace {

class ViewPaintGuardTest : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    host_.on_message = [this] { PaintEveryView(); };
    host_.after_hint = [this](DWORD, const CVemoEntry*) { PaintEveryView(); };
  }

  void PaintEveryView() {
    for (CNView* view : host_.Views()) {
      auto* table = static_cast<CVemoView*>(view->Widget());
      const CVemoRowModel& model = table->RowModel();
      for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < kColumnCount; ++column) {
          std::array<QModelRoleData, 5> roles = {
              QModelRoleData(Qt::DisplayRole), QModelRoleData(Qt::DecorationRole),
              QModelRoleData(Qt::ForegroundRole), QModelRoleData(Qt::BackgroundRole),
              QModelRoleData(Qt::TextAlignmentRole)};
          model.multiData(model.index(row, column), roles);
          painted_cells += roles[0].data().isValid() ? 1 : 0;
        }
        // The lookup a redraw makes reads the rows' entries too.
        if (const CVemoEntry* entry = model.EntryAt(row); entry != nullptr) {
          EXPECT_EQ(model.RowOf(entry), row);
        }
      }
      (void)table->grab();
    }
  }

  void Tamper() {
    // One checksum digit changed: the signature no longer matches, and the reload says so.
    std::string text = ReadBytes(DocPath());
    const auto at = text.find(",\"2023");
    ASSERT_NE(at, std::string::npos);
    char& digit = text[at - 1];
    digit = digit == '0' ? '1' : '0';
    std::ofstream(DocPath(), std::ios::binary | std::ios::trunc) << text;
  }

  std::size_t painted_cells = 0;
};

TEST_F(ViewPaintGuardTest, CyclesThatDeleteEntriesWhileMessageBoxesAreUp) {
  MakeTreeOfEveryCategory();
  NewDoc();
  AddView();
  CVemoView& filtered = AddView();
  ASSERT_TRUE(filtered.OnCommand(ID_VIEW_SAME));
  Open();
  ASSERT_GT(painted_cells, 0u);

  // A reload (Rescan with the file changed on disk): the signature warning shows while the views
  // still hold the old entries, which are then replaced.
  Tamper();
  host_.messages.clear();
  painted_cells = 0;
  ASSERT_TRUE(doc_->OnCommand(ID_RESCAN_ALL));
  ASSERT_TRUE(RunUntilIdle(*doc_));
  ASSERT_FALSE(host_.messages.empty());
  EXPECT_GT(painted_cells, 0u);

  // A walk that fails: the error shows in the middle of the cycle, every entry then not found.
  fs_.Fail({.call = FsCall::kOpenListing, .error = ERROR_ACCESS_DENIED});
  host_.messages.clear();
  ASSERT_TRUE(doc_->OnCommand(ID_RESCAN_NEW));
  ASSERT_TRUE(RunUntilIdle(*doc_));
  EXPECT_FALSE(host_.messages.empty());
  fs_.ClearFaults();
  ASSERT_TRUE(doc_->OnCommand(ID_RESCAN_NEW));
  ASSERT_TRUE(RunUntilIdle(*doc_));

  // A save: the commit deletes the entries not found, and a Rescan New follows.
  const std::size_t before = doc_->GetEntries().GetCount();
  ASSERT_TRUE(doc_->DoFileSave());
  ASSERT_TRUE(RunUntilIdle(*doc_));
  EXPECT_LT(doc_->GetEntries().GetCount(), before);

  // Asked whether to save before closing, then closed with the views still open.
  File("later.txt", "later");
  ASSERT_TRUE(doc_->OnCommand(ID_RESCAN_NEW));
  ASSERT_TRUE(RunUntilIdle(*doc_));
  host_.messages.clear();
  host_.answers.push_back(IDNO);
  EXPECT_TRUE(doc_->SaveModified());
  EXPECT_EQ(host_.messages.size(), 1u);
  doc_->OnCloseDocument();
  PaintEveryView();
  for (CNView* view : host_.Views()) {
    EXPECT_EQ(static_cast<CVemoView*>(view->Widget())->RowModel().rowCount(), 0);
  }
}

}  // namespace
}  // namespace vemo_test
