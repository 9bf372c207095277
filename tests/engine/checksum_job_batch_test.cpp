// The checksum queue keeps its files compactly and makes each job when it is taken.
#include "engine/checksum_job_batch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_name_text.h"

namespace {

struct Queued {
  SharedText rel;
  std::wstring name;
  std::string key;
  ULONGLONG size;
  ULONGLONG time;
};

// Files enough for several blocks of records and of texts, with keys that share more or fewer
// bytes with their directory's first key, and names of every length up to the longest.
TEST(ChecksumJobBatch, JobsTakenAcrossBlocksCarryWhatWasAdded) {
  const SharedText base(L"/base/");
  std::vector<Queued> files;
  for (int d = 0; d < 3; ++d) {
    const SharedText rel(L"dir" + std::to_wstring(d) + L"/");
    for (int i = 0; i < 3000; ++i) {
      std::wstring name = std::to_wstring(i % 7) + L"_" + std::wstring(i % 250, L'n') +
                          std::to_wstring(i) + (i % 5 == 0 ? L"\u00e9" : L"");
      const std::string key = "dir" + std::to_string(d) + "\x01\x01" + std::to_string(i);
      files.push_back({rel, std::move(name), key, ULONGLONG(i) * 3, ULONGLONG(i) * 1000 + d});
    }
  }
  ChecksumJobBatch batch;
  ULONGLONG bytes = 0;
  for (const Queued& f : files) {
    batch.Add(base, f.rel, f.name, f.key.c_str(), f.size, f.time);
    bytes += f.size;
  }
  ASSERT_EQ(batch.size(), files.size());
  EXPECT_EQ(batch.Bytes(), bytes);
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(batch.SizeAt(i), files[i].size);
    const std::unique_ptr<ChecksumJob> job = batch.TakeJob(i);
    ASSERT_NE(job, nullptr);
    ASSERT_NE(job->key, nullptr);
    EXPECT_EQ(std::string(job->key.get()), files[i].key) << i;
    EXPECT_EQ(job->Path(), base.str() + files[i].rel.str() + files[i].name) << i;
    std::string native;
    ASSERT_TRUE(platform::FileNameFromWide(job->Path(), native));
    EXPECT_EQ(job->NativePath(), native);
    EXPECT_EQ(job->base_length, std::strlen("/base/"));
    EXPECT_EQ(job->seen_size, files[i].size);
    EXPECT_EQ(job->seen_time, files[i].time);
    EXPECT_TRUE(job->check_seen);
    if (HasFailure()) break;
  }
}

TEST(ChecksumJobBatch, FilesWithoutACompactFormAreKeptWhole) {
  const SharedText base(L"/base/");
  const SharedText rel(L"d/");
  ChecksumJobBatch batch;
  batch.Add(base, rel, L"plain", "d\x01\x01plain", 1, 10);
  batch.Add(base, rel, L"no key", nullptr, 2, 20);  // memory ran out for the entry's key
  batch.Add(base, rel, L"lone\xD800", "d\x01\x01lone", 3, 30);  // no name on disk carries it
  batch.Add(base, rel, L"after",
            "d\x01\x01"
            "after",
            4, 40);
  ASSERT_EQ(batch.size(), 4u);
  EXPECT_EQ(batch.Bytes(), 10u);
  const std::unique_ptr<ChecksumJob> no_key = batch.TakeJob(1);
  EXPECT_EQ(no_key->key, nullptr);
  EXPECT_EQ(no_key->Path(), L"/base/d/no key");
  EXPECT_EQ(no_key->seen_time, 20u);
  const std::unique_ptr<ChecksumJob> lone = batch.TakeJob(2);
  EXPECT_NE(lone->path_error, 0u);
  EXPECT_EQ(lone->Path(), L"/base/d/lone\xD800");
  EXPECT_STREQ(lone->key, "d\x01\x01lone");
  EXPECT_EQ(lone->size, 3u);
  EXPECT_STREQ(batch.TakeJob(3)->key,
               "d\x01\x01"
               "after");
  EXPECT_STREQ(batch.TakeJob(0)->key, "d\x01\x01plain");  // in any order
}

}  // namespace
