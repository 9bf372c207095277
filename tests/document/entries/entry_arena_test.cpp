#include "document/entries/entry_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/entries/entry.h"
#include "records/entry_key.h"

namespace {

struct Made {
  std::unique_ptr<CVemoEntry> entry;
  std::string expectedKey;
};

Made MakeInArena(CVemoEntryArena& arena, const SharedText& base, const SharedText& rel,
                 std::wstring name, DWORD attributes, KeyCase mode) {
  const std::string prefix = BuildEntryKeyPrefix(base.view(), rel.view(), mode);
  const LookupKey key =
      BuildEntryKey(base.view(), rel.view(), name, (attributes & 0x10) != 0, mode);
  return {CVemoEntry::CreateInArena(arena, base, rel, name, attributes, mode, prefix), key.get()};
}

// Entries over several blocks, with keys of both letter-case modes, one too large for a block,
// outlive their arena and are deleted in any order (the sanitizers watch the storage).
TEST(EntryArenaTest, EntriesKeepTheirKeysAndOutliveTheArena) {
  const SharedText base(L"/data/tree/");
  const SharedText rel(L"Sub Dir/\u00e4\u00f6/");
  std::vector<Made> made;
  {
    CVemoEntryArena arena;
    for (int i = 0; i < 30000; ++i) {
      const KeyCase mode = i % 2 ? KeyCase::kFold : KeyCase::kExact;
      made.push_back(MakeInArena(arena, base, rel, L"File \u00df " + std::to_wstring(i),
                                 i % 7 ? 0x20 : 0x10, mode));
    }
    made.push_back(MakeInArena(arena, base, rel, std::wstring(CVemoEntryArena::kMaxPiece, L'x'),
                               0x20, KeyCase::kExact));
  }
  std::mt19937 random(7);
  std::shuffle(made.begin(), made.end(), random);
  for (Made& m : made) {
    ASSERT_NE(m.entry->m_pszKey, nullptr);
    EXPECT_EQ(std::string(m.entry->m_pszKey), m.expectedKey);
    EXPECT_EQ(m.entry->m_strRelDir, rel);
    EXPECT_EQ(m.entry->m_dwFlags, 0u);
    m.entry.reset();
  }
}

TEST(EntryArenaTest, PiecesAreAlignedAndOversizedOnesRefused) {
  CVemoEntryArena arena;
  for (std::size_t bytes : {1, 3, 8, 13, 200}) {
    void* piece = arena.Allocate(bytes);
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(piece) % alignof(void*), 0u);
    ReleaseEntryStorage(piece);
  }
  EXPECT_EQ(arena.Allocate(CVemoEntryArena::kMaxPiece + 1), nullptr);
  ReleaseEntryStorage(nullptr);
}

}  // namespace
