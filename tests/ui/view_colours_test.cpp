// The colours of the list: each display category for a file and for a directory (inverted), read
// from the model and from the painted pixels; the palette's colours for normal rows. With
// VEMO_SCREENSHOT=<file.png> the view of a verified tree is also saved as a picture.
#include <QImage>
#include <QPalette>
#include <cstdlib>

#include "document/entries/entry_columns.h"
#include "ui/row_colours.h"
#include "ui/view_fixture.h"

namespace vemo_test {
namespace {

class ViewColoursTest : public ViewFixture {
 protected:
  struct Expected {
    std::wstring path;
    int column;
    int category;
    QColor text;
    QColor background;
  };

  // Checks the model's colours of each cell and the painted background inside it, right of any
  // text.
  void CheckCells(CVemoView& view, const std::vector<Expected>& cells) {
    for (int i = 0; i < kColumnCount; ++i) view.setColumnWidth(i, 260);
    view.clearSelection();
    for (const Expected& cell : cells) {
      SCOPED_TRACE(testing::Message()
                   << std::string(cell.path.begin(), cell.path.end()) << " column " << cell.column);
      const int row = RowOfPath(view, cell.path);
      ASSERT_GE(row, 0);
      const CVemoEntry* entry = Find(cell.path);
      ASSERT_NE(entry, nullptr);
      EXPECT_EQ(GetColumnState(*entry, cell.column), cell.category);
      const QModelIndex index = view.model()->index(row, cell.column);
      EXPECT_EQ(index.data(Qt::ForegroundRole).value<QBrush>().color(), cell.text);
      EXPECT_EQ(index.data(Qt::BackgroundRole).value<QBrush>().color(), cell.background);

      view.scrollTo(index);
      const QRect rect = view.visualRect(index);
      const QImage image = view.viewport()->grab().toImage();
      EXPECT_EQ(image.pixelColor(rect.right() - 4, rect.center().y()), cell.background);
    }
  }
};

TEST_F(ViewColoursTest, EachCategoryOfFilesAndInvertedDirectories) {
  MakeTreeOfEveryCategory();
  NewDoc();
  CVemoView& view = AddView(1900, 500);
  Open();
  const QColor window = view.palette().color(QPalette::Base);
  const QColor text = view.palette().color(QPalette::Text);
  CheckCells(view, {
                       {L"same.txt", kColumnName, kCategoryNormal, text, window},
                       {L"changed.txt", kColumnCrc, kCategoryChanged, QColor(0x33, 0x00, 0x33),
                        QColor(0xFF, 0xFF, 0x00)},
                       {L"gone.txt", kColumnName, kCategoryNotFound, QColor(0x66, 0x33, 0x99),
                        QColor(0xFF, 0xCC, 0xFF)},
                       {L"fresh.txt", kColumnName, kCategoryNew, QColor(0x00, 0x33, 0x00),
                        QColor(0xCC, 0xFF, 0xCC)},
                       {L"broken.err", kColumnNote, kCategoryError, text, QColor(0xFF, 0x66, 0x66)},
                       {L"full", kColumnName, kCategoryNormal, QColor(0xFF, 0xFF, 0xFF),
                        QColor(0x66, 0x66, 0x66)},
                       {L"full", kColumnNote, kCategoryNormal, QColor(0xFF, 0xFF, 0xFF),
                        QColor(0x66, 0x66, 0x66)},
                       {L"gonedir", kColumnName, kCategoryNotFound, QColor(0xFF, 0xCC, 0xFF),
                        QColor(0x66, 0x33, 0x99)},
                       {L"newdir", kColumnName, kCategoryNew, QColor(0xCC, 0xFF, 0xCC),
                        QColor(0x00, 0x33, 0x00)},
                   });

  // In process: a rescan held at its walk, every entry awaiting it.
  FreezeScans.store(1);
  doc_->StartRescan(RescanMode::kNew);
  CheckCells(view,
             {
                 {L"same.txt", kColumnName, kCategoryInProcess, QColor(0x00, 0x00, 0xCC), window},
                 {L"full", kColumnName, kCategoryInProcess, QColor(0xFF, 0xFF, 0xFF),
                  QColor(0x66, 0x66, 0x99)},
             });
  FreezeScans.store(0);
  ASSERT_TRUE(RunUntilIdle(*doc_));
}

TEST_F(ViewColoursTest, CategoriesNoTreeGivesADirectoryStillHaveTheirColours) {
  const QColor w(Qt::white), t(Qt::black);
  EXPECT_EQ(CellColours(kCategoryChanged, true, w, t).text, QColor(0xFF, 0xFF, 0x00));
  EXPECT_EQ(CellColours(kCategoryChanged, true, w, t).background, QColor(0x33, 0x00, 0x33));
  EXPECT_EQ(CellColours(kCategoryError, true, w, t).text, QColor(0x00, 0x00, 0x00));
  EXPECT_EQ(CellColours(kCategoryError, true, w, t).background, QColor(0xCC, 0x00, 0x00));
  EXPECT_EQ(CellColours(kCategoryNone, false, w, t).background, w);
}

TEST_F(ViewColoursTest, NormalRowsTakeThePalettesColoursSoADarkThemeReads) {
  File("same.txt", "same");
  SaveList();
  NewDoc();
  CVemoView& view = AddView();
  Open();
  QPalette dark = view.palette();
  dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
  dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
  view.setPalette(dark);
  CheckCells(view, {{L"same.txt", kColumnName, kCategoryNormal, QColor(0xE0, 0xE0, 0xE0),
                     QColor(0x20, 0x20, 0x20)}});
}

TEST_F(ViewColoursTest, ScreenshotOfAVerifiedTree) {
  File("Annual report 2023.pdf", std::string(48213, 'r'));
  File("budget.xlsx", std::string(18022, 'b'));
  File("notes.txt", "notes");
  tree_.Dir("photos");
  File("photos/IMG_0001.jpg", std::string(2301555, 'p'));
  File("photos/IMG_0002.jpg", std::string(2210440, 'q'));
  File("photos/IMG_0003.jpg", std::string(1980221, 's'));
  tree_.Dir("photos/raw");
  tree_.Dir("src");
  File("src/main.cpp", "int main() {}\n");
  File("src/old_module.cpp", "old\n");
  File("src/unreadable.h", "secret\n");
  SaveList();
  File("budget.xlsx", std::string(18022, 'B'));  // same size and time, other contents
  std::filesystem::remove(tree_.Path("notes.txt"));
  std::filesystem::remove(tree_.Path("src/old_module.cpp"));
  File("photos/IMG_0004.jpg", std::string(2400101, 't'));
  tree_.Dir("music");
  File("music/track01.flac", std::string(31000, 'm'));
  fs_.Fail({.call = FsCall::kOpenForRead, .path_suffix = "/unreadable.h"});

  NewDoc();
  CVemoView& view = AddView(1100, 380);
  Open();
  const int rows = view.RowModel().rowCount();
  ASSERT_EQ(rows, 15);
  view.AutoSizeColumns(-1);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      EXPECT_TRUE(view.model()->index(row, column).data().isValid());
    }
  }
  const QImage image = view.grab().toImage();
  EXPECT_FALSE(image.isNull());
  if (const char* path = std::getenv("VEMO_SCREENSHOT"); path != nullptr && *path != '\0') {
    ASSERT_TRUE(image.save(QString::fromLocal8Bit(path)));
  }
}

}  // namespace
}  // namespace vemo_test
