#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "document/entries/entry.h"
#include "document/entries/entry_arena.h"
#include "records/entry_key.h"

namespace {

// A reader thread makes entries in its arena while the document's thread deletes the ones it was
// handed: blocks are shared between the two until the last entry of each is gone.
TEST(EntryArenaThreadsTest, EntriesMadeOnOneThreadDieOnAnother) {
  constexpr int kEntries = 40000;
  std::mutex lock;
  std::condition_variable ready;
  std::deque<std::unique_ptr<CVemoEntry>> handed;
  bool done = false;

  std::thread reader([&] {
    const SharedText base(L"/data/");
    const SharedText rel(L"dir/");
    const std::string prefix = BuildEntryKeyPrefix(base.view(), rel.view(), KeyCase::kExact);
    CVemoEntryArena arena;
    for (int i = 0; i < kEntries; ++i) {
      auto entry = CVemoEntry::CreateInArena(arena, base, rel, L"f" + std::to_wstring(i), 0x20,
                                             KeyCase::kExact, prefix);
      std::lock_guard guard(lock);
      handed.push_back(std::move(entry));
      ready.notify_one();
    }
    std::lock_guard guard(lock);
    done = true;
    ready.notify_one();
  });

  int deleted = 0;
  for (;;) {
    std::unique_lock guard(lock);
    ready.wait(guard, [&] { return done || !handed.empty(); });
    if (handed.empty()) break;
    std::unique_ptr<CVemoEntry> entry = std::move(handed.front());
    handed.pop_front();
    guard.unlock();
    EXPECT_EQ(std::string(entry->m_pszKey),
              "dir\x01\x01"
              "f" +
                  std::to_string(deleted));
    ++deleted;
  }
  reader.join();
  EXPECT_EQ(deleted, kEntries);
}

}  // namespace
