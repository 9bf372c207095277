// CNKeyMap against std::map<std::string, void*> over the same million path keys: memory per key
// (heap bytes counted by operator new, and resident-set growth) and nanoseconds per insert,
// lookup and in-order traversal entry. Each structure is measured in a child process of its own,
// so that one structure's freed memory does not flatter the other's resident figure.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "foundation/key_map.h"
#include "foundation/ptr_array.h"

namespace {

std::atomic<std::int64_t> g_heap_bytes{0};

std::int64_t ResidentBytes() {
  long pages_total = 0, pages_resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = 0;
    std::fclose(f);
  }
  return static_cast<std::int64_t>(pages_resident) * sysconf(_SC_PAGESIZE);
}

double NanosSince(std::chrono::steady_clock::time_point start, std::size_t operations) {
  auto elapsed = std::chrono::steady_clock::now() - start;
  return std::chrono::duration<double, std::nano>(elapsed).count() /
         static_cast<double>(operations);
}

// A generated tree: areas, years, events, nested folders, files. Every key 60 to 100 bytes.
std::vector<std::string> MakeKeys(std::size_t count) {
  const char* areas[] = {"photos", "music/albums", "documents/work", "projects/src", "backup/home"};
  const char* words[] = {"holiday", "family",  "garden", "birthday", "conference", "invoices",
                         "drafts",  "archive", "summer", "winter",   "wedding",    "releases",
                         "scans",   "reports", "travel", "school",   "misc",       "raw"};
  const char* exts[] = {".jpg", ".png", ".flac", ".docx", ".pdf", ".cpp", ".txt", ".tar.gz"};
  std::mt19937_64 random(20240601);
  std::vector<std::string> keys;
  keys.reserve(count);
  std::string key;
  while (keys.size() < count) {
    // One directory of 20 to 200 files.
    std::string dir = areas[random() % 5];
    dir.append("/").append(std::to_string(2000 + random() % 25));
    for (int depth = 1 + random() % 3; depth > 0; --depth) {
      dir.append("/").append(words[random() % 18]);
      if (random() % 2) dir.append("_").append(std::to_string(random() % 100));
    }
    dir.append("/");
    std::size_t files = 20 + random() % 180;
    for (std::size_t i = 0; i < files && keys.size() < count; ++i) {
      // A file name of some words and numbers, making the key 60 to 100 bytes long.
      std::size_t target = 60 + random() % 41;
      key = dir;
      key.append(words[random() % 18]).append("_").append(std::to_string(keys.size()));
      while (key.size() + 8 < target)
        key.append(random() % 2 ? "-" : " ").append(words[random() % 18]);
      key.append("_").append(std::to_string(i)).append(exts[random() % 8]);
      if (key.size() < 60) key.insert(dir.size(), std::string(60 - key.size(), 'x'));
      if (key.size() > 100) continue;
      keys.push_back(key);
    }
  }
  return keys;
}

struct Figures {
  double heap_per_key, resident_per_key, insert_ns, lookup_ns, traverse_ns;
  std::size_t check;
};

template <class Build, class Lookup, class Traverse>
Figures Measure(const std::vector<std::string>& keys, const std::vector<std::uint32_t>& order,
                Build build, Lookup lookup, Traverse traverse) {
  Figures f{};
  malloc_trim(0);
  std::int64_t heap0 = g_heap_bytes, resident0 = ResidentBytes();
  auto start = std::chrono::steady_clock::now();
  build();
  f.insert_ns = NanosSince(start, keys.size());
  f.heap_per_key = double(g_heap_bytes - heap0) / keys.size();
  // Blocks freed while arrays grew stay in the allocator's heap, ready for reuse; what counts is
  // what the structure holds, so hand them back before reading the resident size.
  malloc_trim(0);
  f.resident_per_key = double(ResidentBytes() - resident0) / keys.size();
  start = std::chrono::steady_clock::now();
  std::uintptr_t sum = 0;
  for (std::uint32_t i : order) sum += lookup(keys[i]);
  f.lookup_ns = NanosSince(start, keys.size());
  start = std::chrono::steady_clock::now();
  std::size_t traversed = traverse();
  f.traverse_ns = NanosSince(start, keys.size());
  f.check = sum + traversed;
  return f;
}

// Runs the measurement in a child process and returns its figures.
template <class Run>
Figures InChild(Run run) {
  int fds[2];
  if (pipe(fds) != 0) std::abort();
  pid_t pid = fork();
  if (pid == 0) {
    Figures f = run();
    if (write(fds[1], &f, sizeof f) != sizeof f) _exit(1);
    _exit(0);
  }
  Figures f{};
  if (read(fds[0], &f, sizeof f) != sizeof f) std::fprintf(stderr, "child failed\n");
  waitpid(pid, nullptr, 0);
  close(fds[0]);
  close(fds[1]);
  return f;
}

}  // namespace

// Counting live heap bytes needs the global operators; GCC cannot see that the pair matches.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  g_heap_bytes += static_cast<std::int64_t>(malloc_usable_size(p));
  return p;
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  g_heap_bytes -= static_cast<std::int64_t>(malloc_usable_size(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

void* Value(std::uint32_t i) { return reinterpret_cast<void*>(std::uintptr_t{i} + 1); }

void Compare(const char* title, const std::vector<std::string>& keys,
             const std::vector<std::uint32_t>& insert_order,
             const std::vector<std::uint32_t>& lookup_order) {
  Figures trie = InChild([&] {
    CNKeyMap map(false);
    CNPtrArray out;
    Figures f = Measure(
        keys, lookup_order,
        [&] {
          for (std::uint32_t i : insert_order)
            if (!map.SetAt(std::string_view(keys[i]), Value(i))) std::abort();
        },
        [&](const std::string& k) {
          return reinterpret_cast<std::uintptr_t>(map.Lookup(std::string_view(k)));
        },
        [&] { return map.Collect(out); });
    if (map.GetCount() != keys.size()) std::abort();
    return f;
  });
  Figures stdmap = InChild([&] {
    std::map<std::string, void*> map;
    std::vector<void*> out;
    return Measure(
        keys, lookup_order,
        [&] {
          for (std::uint32_t i : insert_order) map.emplace(keys[i], Value(i));
        },
        [&](const std::string& k) {
          auto it = map.find(k);
          return it == map.end() ? 0 : reinterpret_cast<std::uintptr_t>(it->second);
        },
        [&] {
          out.clear();
          out.reserve(map.size());
          for (const auto& [k, v] : map) out.push_back(v);
          return out.size();
        });
  });
  std::printf("\n%s\n", title);
  std::printf("%-30s %11s %10s %10s %10s %12s\n", "", "heap B/key", "RSS B/key", "insert ns",
              "lookup ns", "traverse ns");
  for (auto [name, f] : {std::pair{"CNKeyMap", trie}, {"std::map<std::string, void*>", stdmap}}) {
    std::printf("%-30s %11.1f %10.1f %10.1f %10.1f %12.1f\n", name, f.heap_per_key,
                f.resident_per_key, f.insert_ns, f.lookup_ns, f.traverse_ns);
  }
  if (trie.check != stdmap.check) std::printf("MISMATCH: the two maps disagree\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  std::vector<std::string> keys = MakeKeys(count);
  auto shorter = [](const std::string& a, const std::string& b) { return a.size() < b.size(); };
  std::size_t total = 0;
  for (const auto& k : keys) total += k.size();
  std::printf("%zu path keys, %.1f bytes on average (%zu to %zu)\n", keys.size(),
              double(total) / keys.size(),
              std::min_element(keys.begin(), keys.end(), shorter)->size(),
              std::max_element(keys.begin(), keys.end(), shorter)->size());

  std::vector<std::uint32_t> sorted(keys.size());
  for (std::uint32_t i = 0; i < keys.size(); ++i) sorted[i] = i;
  std::sort(sorted.begin(), sorted.end(), [&](auto a, auto b) { return keys[a] < keys[b]; });
  std::vector<std::uint32_t> shuffled = sorted, shuffled2 = sorted;
  std::mt19937 random(7);
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  std::shuffle(shuffled2.begin(), shuffled2.end(), random);

  Compare("Random order: inserts and lookups each in a shuffled order", keys, shuffled, shuffled2);
  Compare("Key order: inserts and lookups in ascending key order, as a document file is read", keys,
          sorted, sorted);
  return 0;
}
