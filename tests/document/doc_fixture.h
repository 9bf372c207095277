// A fixture for whole document cycles over a real temporary tree, driven headless through the
// test host's idle loop.
#pragma once
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "document/doc_test_host.h"
#include "document/entries/entry_columns.h"
#include "document/vemo_doc.h"
#include "gtest/gtest.h"
#include "platform/file_name_text.h"
#include "support/fault_file_system.h"
#include "support/temp_tree.h"

namespace vemo_test {

// A fixed last-write time for the files of a tree (2023-11-14 22:13:20 UTC).
inline constexpr time_t kTreeTime = 1700000000;

inline std::wstring Wide(const std::string& native) { return platform::FileNameToWide(native); }

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string BufferBytes(const CNByteBuffer& buffer) {
  std::string out;
  for (std::size_t i = 0; i < buffer.GetChunkCount(); ++i) {
    const auto chunk = buffer.GetChunk(i);
    out.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
  }
  return out;
}

class DocFixture : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessValues(); }
  void TearDown() override {
    if (doc_) doc_->OnCloseDocument();
    doc_.reset();
    ResetProcessValues();
  }

  // A file with contents and the tree's fixed time.
  void File(const std::string& relative, const std::string& contents, time_t time = kTreeTime) {
    tree_.File(relative, contents);
    tree_.SetTime(relative, time);
  }

  std::string DocPath() const { return tree_.Path("check.sum"); }

  CVemoDoc& NewDoc() {
    if (doc_) doc_->OnCloseDocument();
    doc_ = std::make_unique<CVemoDoc>(host_, &fs_, &fs_);
    return *doc_;
  }
  // Opens path (the tree's check.sum by default) in a new document object and runs its cycle.
  CVemoDoc& OpenAndRun(const std::string& path = {}) {
    CVemoDoc& doc = NewDoc();
    EXPECT_TRUE(doc.OnOpenDocument(Wide(path.empty() ? DocPath() : path)));
    EXPECT_TRUE(RunUntilIdle(doc));
    return doc;
  }
  // A checksum list of the tree as it is now, saved as check.sum; the document stays open.
  CVemoDoc& CreateAndSaveList() {
    CVemoDoc& doc = OpenAndRun();
    EXPECT_TRUE(doc.DoFileSave());
    EXPECT_TRUE(RunUntilIdle(doc));
    EXPECT_FALSE(doc.IsModified());
    return doc;
  }

  // The entry whose relative path (relative directory + name as last seen) is relative.
  const CVemoEntry* Find(const std::wstring& relative) const {
    const CVemoEntry* found = nullptr;
    doc_->GetEntries().ForEach([&](const CVemoEntry* entry) {
      if (entry->m_strRelDir.str() + entry->GetCurrentState().name == relative) found = entry;
    });
    return found;
  }
  std::wstring Note(const std::wstring& relative) const {
    const CVemoEntry* entry = Find(relative);
    return entry == nullptr ? L"<no entry>" : entry->GetColumnText(kColumnNote);
  }
  bool AnyMessageContains(const std::wstring& part) const {
    for (const ShownMessage& m : host_.messages) {
      if (m.text.find(part) != std::wstring::npos) return true;
    }
    return false;
  }

  // Files whose path ends so cannot be opened for reading.
  void FailOpening(const std::string& suffix) {
    fs_.Fail({.call = FsCall::kOpenForRead, .error = ERROR_ACCESS_DENIED, .path_suffix = suffix});
  }

  TempTree tree_;
  TestDocHost host_;
  FaultFileSystem fs_;  // the walk, the reads and the saves
  std::unique_ptr<CVemoDoc> doc_;
};

}  // namespace vemo_test
