// A fixture for list views over documents of real temporary trees: one document, any number of
// views attached to the test host, the idle loop driven as the application drives it.
#pragma once
#include <QApplication>
#include <QImage>
#include <QModelIndex>
#include <QPixmap>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/doc_fixture.h"
#include "document/vemo_doc.h"
#include "foundation/process_values.h"
#include "gtest/gtest.h"
#include "ui/vemo_row_model.h"
#include "ui/vemo_view.h"
#include "ui/view_host_support.h"

namespace vemo_test {

class ViewFixture : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessValues(); }
  void TearDown() override {
    CloseDocument();
    ResetProcessValues();
  }

  void File(const std::string& relative, const std::string& contents) {
    tree_.File(relative, contents);
    tree_.SetTime(relative, kTreeTime);
  }
  std::string DocPath() const { return tree_.Path("check.sum"); }

  void CloseDocument() {
    if (doc_) doc_->OnCloseDocument();
    for (auto& view : views_) host_.Detach(*view);
    views_.clear();
    doc_.reset();
  }
  // A fresh document object with no views yet.
  CVemoDoc& NewDoc() {
    CloseDocument();
    doc_ = std::make_unique<CVemoDoc>(host_, &fs_);
    return *doc_;
  }
  // A view of the document, shown in a window of its own, initialised and attached to the host.
  CVemoView& AddView(int width = 900, int height = 400) {
    views_.push_back(std::make_unique<CVemoView>(*doc_));
    CVemoView& view = *views_.back();
    view.resize(width, height);
    view.show();
    view.OnInitialUpdate();
    host_.Attach(view);
    return view;
  }
  void Open(const std::string& path = {}) {
    ASSERT_TRUE(doc_->OnOpenDocument(Wide(path.empty() ? DocPath() : path)));
    ASSERT_TRUE(RunUntilIdle(*doc_));
  }
  // Lists the tree as it is now and saves check.sum, without views.
  void SaveList() {
    NewDoc();
    Open();
    ASSERT_TRUE(doc_->DoFileSave());
    ASSERT_TRUE(RunUntilIdle(*doc_));
  }

  // A tree with an entry of every category once verified: unchanged, changed, new, not found and
  // unreadable files, a folder with files, one without entries, a new one and a missing one.
  void MakeTreeOfEveryCategory() {
    File("broken.err", "broken");
    File("changed.txt", "1234");
    File("gone.txt", "gone");
    File("same.txt", "same");
    tree_.Dir("empty");
    tree_.Dir("full");
    File("full/same2.txt", "same2");
    tree_.Dir("gonedir");
    File("gonedir/lost.txt", "lost");
    SaveList();
    File("changed.txt", "5678");
    std::filesystem::remove(tree_.Path("gone.txt"));
    std::filesystem::remove_all(tree_.Path("gonedir"));
    File("fresh.txt", "fresh");
    tree_.Dir("newdir");
    File("newdir/n.txt", "n");
    fs_.Fail({.call = FsCall::kOpenForRead, .path_suffix = ".err"});
  }

  static std::vector<std::wstring> RowPaths(const CVemoView& view) {
    std::vector<std::wstring> paths;
    const CVemoEntryRows& rows = view.RowModel().Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      paths.push_back(rows[i]->m_strRelDir.str() + rows[i]->GetCurrentState().name);
    }
    return paths;
  }
  // The row of the entry at relative path in view, -1 when not shown.
  static int RowOfPath(const CVemoView& view, const std::wstring& relative) {
    const auto paths = RowPaths(view);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (paths[i] == relative) return static_cast<int>(i);
    }
    return -1;
  }
  const CVemoEntry* Find(const std::wstring& relative) const {
    const CVemoEntry* found = nullptr;
    doc_->GetEntries().ForEach([&](void* value) {
      const auto* entry = static_cast<const CVemoEntry*>(value);
      if (entry->m_strRelDir.str() + entry->GetCurrentState().name == relative) found = entry;
    });
    return found;
  }

  TempTree tree_;
  TestViewHost host_;
  FaultFileSystem fs_;
  std::unique_ptr<CVemoDoc> doc_;
  std::vector<std::unique_ptr<CVemoView>> views_;
};

}  // namespace vemo_test
