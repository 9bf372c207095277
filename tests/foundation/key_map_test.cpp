#include "foundation/key_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "foundation/ptr_list.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

void* Tag(std::uintptr_t n) { return reinterpret_cast<void*>(n); }

std::vector<void*> Values(const CNKeyMap& map) {
  CNPtrArray array;
  std::size_t count = map.Collect(array);
  EXPECT_EQ(count, map.GetCount());
  return std::vector<void*>(array.begin(), array.end());
}

// The map against std::map<std::string> as reference: every key's value, the count, and the
// traversal order (ascending unsigned bytes, a key before the longer keys it begins).
void ExpectSameAs(const CNKeyMap& map, const std::map<std::string, void*>& reference) {
  ASSERT_EQ(map.GetCount(), reference.size());
  std::vector<void*> expected;
  for (const auto& [key, value] : reference) {
    EXPECT_EQ(map.Lookup(std::string_view(key)), value) << "key of " << key.size() << " bytes";
    expected.push_back(value);
  }
  EXPECT_EQ(Values(map), expected);
}

TEST(KeyMapTest, MatchesOrderedMapThroughRandomInsertsReplacementsAndRemovals) {
  // Few symbols and short keys: many shared prefixes, keys that begin other keys, zero and high
  // bytes; enough removals to compact the key storage several times.
  const char symbols[] = {'\0', '\x01', 'A', '\x7F', '\x80', '\xFF'};
  std::mt19937 random(12345);
  auto random_key = [&] {
    std::string key(random() % 9, '\0');
    for (char& c : key) c = symbols[random() % sizeof(symbols)];
    return key;
  };
  CNKeyMap map(false);
  std::map<std::string, void*> reference;
  for (int step = 1; step <= 30000; ++step) {
    std::string key = random_key();
    if (random() % 3 == 0) {
      ASSERT_TRUE(map.SetAt(std::string_view(key), nullptr));
      reference.erase(key);
    } else {
      ASSERT_TRUE(map.SetAt(std::string_view(key), Tag(step)));
      reference[key] = Tag(step);
    }
    ASSERT_EQ(map.Lookup(std::string_view(key)), reference.count(key) ? reference[key] : nullptr);
    if (step % 5000 == 0) ExpectSameAs(map, reference);
  }
  // Emptying it key by key leaves an empty map that holds no memory.
  for (const auto& [key, value] : reference) ASSERT_TRUE(map.SetAt(std::string_view(key), nullptr));
  EXPECT_EQ(map.GetCount(), 0u);
  EXPECT_EQ(map.MemoryUsage(), 0u);
  EXPECT_TRUE(Values(map).empty());
}

// Searches start from the path of the key found last: path keys that share long beginnings and
// differ anywhere in an eight-byte word, added in order, searched in a shuffled order with
// prefetches (and their hints) a few keys ahead, removed and added again between a prefetch and
// its lookup, must find exactly what the reference holds.
TEST(KeyMapTest, PathKeysSearchedInAnyOrderAfterAddsAndRemovals) {
  std::vector<std::string> keys;
  for (int dir = 0; dir < 12; ++dir) {
    const std::string prefix = "/home/user/tree/" +
                               std::string(static_cast<std::size_t>(dir), 'd') +
                               std::to_string(dir) + "/";
    keys.push_back(prefix.substr(0, prefix.size() - 1));  // the directory, a prefix of its files
    for (int file = 0; file < 40; ++file) keys.push_back(prefix + "file" + std::to_string(file));
  }
  std::sort(keys.begin(), keys.end());
  std::mt19937 random(777);
  for (const CNKeyMap::KeyStorage storage :
       {CNKeyMap::KeyStorage::kCopied, CNKeyMap::KeyStorage::kBorrowed}) {
    CNKeyMap map(false, storage);
    EXPECT_EQ(map.Prefetch("nothing there yet"), nullptr);
    std::map<std::string, void*> reference;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      ASSERT_TRUE(map.Add(keys[i].c_str(), Tag(i + 1)));
      reference[keys[i]] = Tag(i + 1);
    }
    for (int round = 0; round < 4; ++round) {
      std::vector<std::string> order = keys;
      order.push_back("/home/user/tree/d1/file");     // absent: a prefix of present keys
      order.push_back("/home/user/tree/d1/file400");  // absent: begun by a present key
      std::shuffle(order.begin(), order.end(), random);
      std::deque<CNKeyMap::Hint> hints;  // of the keys prefetched ahead
      for (std::size_t i = 0; i < order.size(); ++i) {
        if (i == 0) {
          for (std::size_t k = 0; k < 3 && k < order.size(); ++k) {
            (void)map.Prefetch(order[k].c_str(), &hints.emplace_back());
          }
        }
        if (i + 3 < order.size()) {
          // The value it fetches is the key's own when the key is there.
          const void* fetched = map.Prefetch(order[i + 3].c_str(), &hints.emplace_back());
          const auto ahead = reference.find(order[i + 3]);
          if (ahead != reference.end()) {
            ASSERT_EQ(fetched, ahead->second);
          }
        }
        // The hint of a key prefetched before the shape changed is not trusted.
        const auto found = reference.find(order[i]);
        void* const expected = found == reference.end() ? nullptr : found->second;
        ASSERT_EQ(map.Lookup(order[i].c_str(), hints.front()), expected) << order[i];
        hints.pop_front();
        ASSERT_EQ(map.Lookup(std::string_view(order[i])), expected) << order[i];
        // Now and then the shape changes under the search.
        if (random() % 7 == 0) {
          const std::string& key = keys[random() % keys.size()];
          if (reference.erase(key) != 0) {
            ASSERT_TRUE(map.SetAt(std::string_view(key), nullptr));
          } else {
            ASSERT_TRUE(map.Add(key.c_str(), Tag(round + 1000)));
            reference[key] = Tag(round + 1000);
          }
        }
      }
      ExpectSameAs(map, reference);
    }
  }
}

// A traversal cut into slices of one to five values: the order of a whole one; keys inserted
// between slices come, when they do, in order and once; a removal ends the traversal.
TEST(KeyMapTest, TraversalInSlicesSurvivesInsertionsAndEndsAtARemoval) {
  std::mt19937 random(7);
  CNKeyMap map(false);
  std::map<std::string, void*> reference;
  for (int i = 1; i <= 2000; ++i) {
    const std::string key = std::to_string(random() % 100000);
    ASSERT_TRUE(map.SetAt(std::string_view(key), Tag(i)));
    reference[key] = Tag(i);
  }
  const std::uint64_t changes = map.GetChangeCount();
  std::vector<void*> sliced;
  CNKeyMap::Traversal plain(map);
  for (bool done = false; !done;) {
    int left = 1 + static_cast<int>(random() % 5);
    done = plain.Continue([&](void* value) {
      sliced.push_back(value);
      return --left > 0;
    });
  }
  EXPECT_EQ(sliced, Values(map));
  EXPECT_EQ(map.GetChangeCount(), changes);

  // Insertions between slices: every value seen is a live one, in key order, seen once, and
  // every key present at the start is seen.
  std::map<void*, std::string> key_of;
  for (const auto& [key, value] : reference) key_of[value] = key;
  std::vector<std::string> seen;
  CNKeyMap::Traversal growing(map);
  int next = 100000;
  for (bool done = false; !done;) {
    int left = 3;
    done = growing.Continue([&](void* value) {
      seen.push_back(key_of.at(value));
      return --left > 0;
    });
    const std::string key = std::to_string(random() % 100000) + "x";
    if (map.Lookup(std::string_view(key)) == nullptr) {
      ASSERT_TRUE(map.SetAt(std::string_view(key), Tag(++next)));
      key_of[Tag(next)] = key;
    }
    ASSERT_TRUE(growing.IsValid());
  }
  EXPECT_GT(map.GetChangeCount(), changes);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
  for (const auto& [key, value] : reference) {
    EXPECT_TRUE(std::binary_search(seen.begin(), seen.end(), key)) << key;
  }

  CNKeyMap::Traversal cut(map);
  int visited = 0;
  EXPECT_FALSE(cut.Continue([&](void*) { return ++visited < 10; }));
  ASSERT_TRUE(map.SetAt(std::string_view(reference.begin()->first), nullptr));
  EXPECT_FALSE(cut.IsValid());
  EXPECT_TRUE(cut.Continue([&](void*) { return ++visited > 0; }));
  EXPECT_EQ(visited, 10);
}

TEST(KeyMapTest, BorrowedKeysMatchOrderedMapAsCopiedOnesDo) {
  // The keys stay where the reference keeps them (a node's key never moves); long keys are copied.
  const char symbols[] = {'\0', '\x01', 'A', '\xFF'};
  std::mt19937 random(777);
  CNKeyMap map(false, CNKeyMap::KeyStorage::kBorrowed);
  std::map<std::string, void*> reference;
  for (int step = 1; step <= 20000; ++step) {
    std::string key(random() % 7, '\0');
    for (char& c : key) c = symbols[random() % sizeof(symbols)];
    if (step % 1000 == 0) key.append(70000, 'L');
    if (random() % 3 == 0) {
      ASSERT_TRUE(map.SetAt(std::string_view(key), nullptr));
      reference.erase(key);
    } else {
      const auto it = reference.insert_or_assign(key, Tag(step)).first;
      ASSERT_TRUE(map.SetAt(std::string_view(it->first), Tag(step)));
    }
    if (step % 5000 == 0) ExpectSameAs(map, reference);
  }
  ExpectSameAs(map, reference);
}

TEST(KeyMapTest, ABorrowedKeyWhoseValueIsReplacedRefersToTheNewCallersBytes) {
  CNKeyMap map(false, CNKeyMap::KeyStorage::kBorrowed);
  for (const std::size_t length : {5, 70000}) {
    auto first = std::make_unique<std::string>(length, 'k');
    ASSERT_TRUE(map.SetAt(std::string_view(*first), Tag(1)));
    const std::string second(*first);
    ASSERT_TRUE(map.SetAt(std::string_view(second), Tag(2)));
    first.reset();  // the map must no longer read these bytes
    EXPECT_EQ(map.Lookup(std::string_view(second)), Tag(2));
    EXPECT_EQ(Values(map), std::vector<void*>{Tag(2)});
    ASSERT_TRUE(map.SetAt(std::string_view(second), nullptr));
  }
  EXPECT_TRUE(map.IsEmpty());
}

TEST(KeyMapTest, AddStoresOnlyKeysNotThereYet) {
  for (const auto keys : {CNKeyMap::KeyStorage::kCopied, CNKeyMap::KeyStorage::kBorrowed}) {
    CNKeyMap map(false, keys);
    EXPECT_TRUE(map.Add("b", Tag(1)));
    EXPECT_TRUE(map.Add("ba", Tag(2)));
    EXPECT_FALSE(map.Add("b", Tag(3)));
    EXPECT_EQ(platform::LastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(map.Add("a", nullptr));
    EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Values(map), (std::vector<void*>{Tag(1), Tag(2)}));
  }
}

TEST(KeyMapTest, NarrowKeysComeOutPrefixFirstInUnsignedByteOrder) {
  CNKeyMap map(false);
  for (auto [key, tag] : {std::pair{"AB", 3}, {"\xC3\x84", 4}, {"A", 2}, {"", 1}, {"B", 5}}) {
    ASSERT_TRUE(map.SetAt(key, Tag(tag)));
  }
  EXPECT_EQ(Values(map), (std::vector<void*>{Tag(1), Tag(2), Tag(3), Tag(5), Tag(4)}));
  // A null string is the empty key.
  EXPECT_EQ(map.Lookup(static_cast<const char*>(nullptr)), Tag(1));
  EXPECT_EQ(map.Lookup("AC"), nullptr);
  EXPECT_EQ(map.Lookup("ABC"), nullptr);
}

TEST(KeyMapTest, WideKeysOrderByUtf16UnitsAndDifferFromNarrowKeys) {
  CNKeyMap map(false);
  ASSERT_TRUE(map.SetAt(L"\uFFFD", Tag(2)));
  ASSERT_TRUE(map.SetAt(L"\U0001F600", Tag(1)));  // surrogate 0xD83D sorts below 0xFFFD
  ASSERT_TRUE(map.SetAt(L"A", Tag(3)));
  ASSERT_TRUE(map.SetAt("A", Tag(4)));  // one byte 0x41, not the unit 0x0041
  EXPECT_EQ(Values(map), (std::vector<void*>{Tag(3), Tag(4), Tag(1), Tag(2)}));
  EXPECT_EQ(map.Lookup(L"A"), Tag(3));
  EXPECT_EQ(map.Lookup(std::wstring_view(L"\U0001F600")), Tag(1));
}

TEST(KeyMapTest, PointerKeysComeOutInNumericOrder) {
  CNKeyMap map(false);
  const std::uintptr_t keys[] = {0x100, 0x1, UINTPTR_MAX, 0x1000000000, 0xFF};
  for (std::uintptr_t key : keys) ASSERT_TRUE(map.SetAt(Tag(key), Tag(key)));
  EXPECT_EQ(Values(map), (std::vector<void*>{Tag(0x1), Tag(0xFF), Tag(0x100), Tag(0x1000000000),
                                             Tag(UINTPTR_MAX)}));
  EXPECT_EQ(map.Lookup(static_cast<const void*>(Tag(0x100))), Tag(0x100));
}

TEST(KeyMapTest, RemovingKeysKeepsTheOthersAndAbsentKeysAreNoOps) {
  CNKeyMap map(false);
  ASSERT_TRUE(map.SetAt("only", Tag(1)));
  ASSERT_TRUE(map.SetAt("other", nullptr));  // absent: nothing happens
  EXPECT_EQ(map.GetCount(), 1u);
  ASSERT_TRUE(map.SetAt("only", nullptr));
  EXPECT_EQ(map.Lookup("only"), nullptr);
  EXPECT_TRUE(map.IsEmpty());
  ASSERT_TRUE(map.SetAt("only", Tag(2)));  // the emptied map works again
  EXPECT_EQ(map.Lookup("only"), Tag(2));
}

TEST(KeyMapTest, RefusesOversizedKeysAndLeavesTheMapUnchanged) {
  CNKeyMap map(false);
  std::string huge(std::size_t{1} << 24, 'x');
  platform::SetLastError(0);
  EXPECT_FALSE(map.SetAt(std::string_view(huge), Tag(1)));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(map.Lookup(std::string_view(huge)), nullptr);
}

TEST(KeyMapTest, CollectReplacesWhatTheTargetHeldWithoutDestroyingIt) {
  CNKeyMap map(false);
  ASSERT_TRUE(map.SetAt("b", Tag(2)));
  ASSERT_TRUE(map.SetAt("a", Tag(1)));
  CNPtrList list;
  ASSERT_NE(list.AddTail(Tag(99)), list.End());
  EXPECT_EQ(map.Collect(list), 2u);
  EXPECT_EQ(std::vector<void*>(list.begin(), list.end()), (std::vector<void*>{Tag(1), Tag(2)}));
  CNPtrArray array;
  ASSERT_TRUE(array.SetSize(5));
  EXPECT_EQ(map.Collect(array), 2u);
  EXPECT_EQ(array.GetSize(), 2u);
}

struct Counted {
  explicit Counted(int* counter) : deaths(counter) {}
  virtual ~Counted() { ++*deaths; }
  int* deaths;
};

TEST(KeyMapTest, ObjectMapsHandOutTheirValuesTypedInTraversalOrder) {
  int deaths = 0;
  Counted a(&deaths), b(&deaths), c(&deaths);
  CNObjectKeyMap<Counted> map(false);
  ASSERT_TRUE(map.SetAt("b", &b));
  ASSERT_TRUE(map.SetAt("c", &c));
  ASSERT_TRUE(map.SetAt("a", &a));
  ASSERT_TRUE(map.SetAt(static_cast<const void*>(&a), &a));  // a pointer key, as a set uses
  EXPECT_EQ(map.Lookup("b"), &b);
  EXPECT_EQ(map.Lookup(static_cast<const void*>(&a)), &a);
  EXPECT_EQ(map.Lookup("x"), nullptr);
  ASSERT_TRUE(map.SetAt(static_cast<const void*>(&a), nullptr));

  std::vector<Counted*> visited;
  map.ForEach([&](Counted* value) { visited.push_back(value); });
  const std::vector<Counted*> in_order{&a, &b, &c};
  EXPECT_EQ(visited, in_order);
  CNObjectArray<Counted> array(false);
  ASSERT_EQ(map.Collect(array), 3u);
  EXPECT_EQ(std::vector<Counted*>(array.begin(), array.end()), in_order);
  EXPECT_EQ(array[1], &b);
  CNObjectList<Counted> list(false);
  ASSERT_EQ(map.Collect(list), 3u);
  EXPECT_EQ(std::vector<Counted*>(list.begin(), list.end()), in_order);
  EXPECT_EQ(list.RemoveHead(), &a);
  EXPECT_EQ(list.GetHead(), &b);
  EXPECT_EQ(deaths, 0);  // nothing borrowed was destroyed
}

TEST(KeyMapTest, OwningMapsDestroyTheirValuesButReplacementAndRemovalDoNot) {
  int deaths = 0;
  auto* replaced = new Counted(&deaths);
  auto* removed = new Counted(&deaths);
  {
    CNObjectKeyMap<Counted> map;
    ASSERT_TRUE(map.SetAt("a", replaced));
    ASSERT_TRUE(map.SetAt("a", new Counted(&deaths)));
    ASSERT_TRUE(map.SetAt("b", removed));
    ASSERT_TRUE(map.SetAt("b", nullptr));
    ASSERT_TRUE(map.SetAt("c", new Counted(&deaths)));
    EXPECT_EQ(deaths, 0);
    map.RemoveAll(true);
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(map.IsEmpty());
    ASSERT_TRUE(map.SetAt("d", new Counted(&deaths)));
  }  // the destructor reaches the derived DestroyElement
  EXPECT_EQ(deaths, 3);
  delete replaced;
  delete removed;

  {
    CNKeyMap plain(true);  // default DestroyElement: free()
    ASSERT_TRUE(plain.SetAt("k", std::malloc(16)));
  }
  CNObjectKeyMap<Counted> borrowing(false);
  Counted kept(&deaths);
  ASSERT_TRUE(borrowing.SetAt("k", &kept));
  borrowing.RemoveAll(false);
  EXPECT_EQ(deaths, 5);  // only the two deleted above
}

}  // namespace
