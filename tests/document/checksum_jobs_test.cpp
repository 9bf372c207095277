#include "document/checksum_jobs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/entries/entry_flags.h"
#include "foundation/ptr_array.h"
#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "records/scan_entry.h"

namespace {

std::vector<std::unique_ptr<ChecksumJob>> TakeAll(ChecksumJobBatch& batch) {
  std::vector<std::unique_ptr<ChecksumJob>> jobs;
  for (std::size_t i = 0; i < batch.size(); ++i) jobs.push_back(batch.TakeJob(i));
  return jobs;
}

class QueuedChecksumJobsTest : public ::testing::Test {
 protected:
  // A found entry in the directory rel below /base/, with the given flags.
  CVemoEntry& Add(const std::wstring& rel, const std::wstring& name, DWORD flags,
                  ULONGLONG size = 10) {
    return AddIn(rel.empty() ? SharedText() : Dir(rel), name, flags, size);
  }
  CVemoEntry& AddIn(const SharedText& rel_dir, const std::wstring& name, DWORD flags,
                    ULONGLONG size) {
    FileState state;
    state.name = name;
    state.size = size;
    state.time = CNTimeStamp(ULONGLONG{133000000000000000});
    state.attributes = 0;
    CVemoScanEntry scan(std::move(state), base_, rel_dir, DRIVE_FIXED, KeyCase::kExact);
    entries_.push_back(std::make_unique<CVemoEntry>(scan));
    CVemoEntry& entry = *entries_.back();
    entry.m_dwFlags = flags;
    (void)array_.Add(&entry);
    return entry;
  }
  // One shared text per directory, as the scanner makes them.
  SharedText Dir(const std::wstring& rel) {
    for (const SharedText& dir : dirs_) {
      if (dir.str() == rel) return dir;
    }
    dirs_.emplace_back(rel);
    return dirs_.back();
  }

  SharedText base_{L"/base/"};
  std::vector<SharedText> dirs_;
  std::vector<std::unique_ptr<CVemoEntry>> entries_;
  CNObjectArray<CVemoEntry> array_{false};
};

TEST_F(QueuedChecksumJobsTest, OnlyFoundPendingEntriesNoLongerAwaitingTheScanAreQueuedInOrder) {
  constexpr DWORD kQueued = EF_FOUND | EF_CRC_PENDING;
  const CVemoEntry& first = Add(L"", L"first", kQueued, 3);
  Add(L"", L"done", EF_FOUND);                                          // nothing pending
  Add(L"", L"scanning", EF_FOUND | EF_CRC_PENDING | EF_AWAITING_SCAN);  // scan still on
  Add(L"", L"missing", EF_LISTED | EF_CRC_PENDING);                     // not found
  Add(L"", L"both", EF_LISTED | kQueued, 5);
  (void)array_.Add(nullptr);  // an entry removed from the snapshot
  Add(L"sub/", L"inner", kQueued, 7);

  ChecksumJobBatch batch = QueuedChecksumJobs(array_);
  EXPECT_EQ(batch.Bytes(), 3u + 5u + 7u);
  const std::vector<std::unique_ptr<ChecksumJob>> jobs = TakeAll(batch);
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[0]->Path(), L"/base/first");
  EXPECT_STREQ(jobs[0]->key, first.m_pszKey);
  EXPECT_EQ(jobs[0]->size, 3u);
  EXPECT_TRUE(jobs[0]->check_seen);
  EXPECT_EQ(jobs[0]->seen_size, 3u);
  EXPECT_EQ(jobs[0]->seen_time, first.GetCurrentState().time.Value());
  EXPECT_EQ(jobs[0]->base_length, std::string("/base/").size());
  EXPECT_EQ(jobs[1]->Path(), L"/base/both");
  EXPECT_EQ(jobs[2]->Path(), L"/base/sub/inner");
  EXPECT_EQ(jobs[2]->name, "inner");
}

TEST_F(QueuedChecksumJobsTest, FilesOfOneDirectoryShareItsNativeText) {
  constexpr DWORD kQueued = EF_FOUND | EF_CRC_PENDING;
  Add(L"a/", L"x", kQueued);
  Add(L"a/", L"y", kQueued);
  Add(L"b/", L"z", kQueued);
  Add(L"b/", L"lone\xD800", kQueued);  // no name on disk can carry a lone surrogate
  ChecksumJobBatch batch = QueuedChecksumJobs(array_);
  const std::vector<std::unique_ptr<ChecksumJob>> jobs = TakeAll(batch);
  ASSERT_EQ(jobs.size(), 4u);
  EXPECT_EQ(jobs[0]->dir, jobs[1]->dir);
  EXPECT_EQ(*jobs[0]->dir, "/base/a/");
  EXPECT_NE(jobs[1]->dir, jobs[2]->dir);
  EXPECT_EQ(*jobs[2]->dir, "/base/b/");
  EXPECT_NE(jobs[3]->path_error, 0u);
  EXPECT_EQ(jobs[3]->Path(), L"/base/b/lone\xD800");
}

// The batch keeps keys and names compactly: every job must still carry its entry's own.
TEST_F(QueuedChecksumJobsTest, EachJobCarriesItsEntrysKeyNameAndState) {
  constexpr DWORD kQueued = EF_FOUND | EF_CRC_PENDING;
  std::vector<const CVemoEntry*> queued;
  ULONGLONG size = 1;
  // A newly found file holds another text of its directory than the listed files around it.
  const SharedText other_text(std::wstring(L"d\u00e9j\u00e0/"));
  for (const auto& [rel, name] : std::vector<std::pair<std::wstring, std::wstring>>{
           {L"", L"a"},
           {L"", L"ab"},  // the first key's bytes and more
           {L"", L"b"},
           {L"d\u00e9j\u00e0/", L"file0001.dat"},
           {L"d\u00e9j\u00e0/", L"file0002.dat"},
           {L"", L"file0002.new"},
           {L"d\u00e9j\u00e0/", L"file0002"},  // shorter than the one before
           {L"d\u00e9j\u00e0/", L"\u00fcber\U0001F600"},
           {L"d\u00e9j\u00e0/x/", L"file0001.dat"}}) {
    queued.push_back(name.ends_with(L".new") ? &AddIn(other_text, name, kQueued, size++)
                                             : &Add(rel, name, kQueued, size++));
  }

  ChecksumJobBatch batch = QueuedChecksumJobs(array_);
  ASSERT_EQ(batch.size(), queued.size());
  const std::vector<std::unique_ptr<ChecksumJob>> jobs = TakeAll(batch);
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    SCOPED_TRACE(queued[i]->GetEntryPath());
    EXPECT_STREQ(jobs[i]->key, queued[i]->m_pszKey);
    EXPECT_EQ(jobs[i]->Path(), queued[i]->GetEntryPath());
    EXPECT_EQ(jobs[i]->size, queued[i]->GetSize());
    EXPECT_EQ(jobs[i]->seen_size, queued[i]->GetSize());
    EXPECT_EQ(jobs[i]->path_error, 0u);
  }
  // The directory's two texts share one native form.
  EXPECT_EQ(jobs[3]->dir, jobs[5]->dir);
  EXPECT_EQ(jobs[3]->dir, jobs[7]->dir);
}

}  // namespace
