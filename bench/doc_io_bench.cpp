// Document reading and writing at the scale users keep: a generated tree of about 10,000
// directories and 1,000,000 entries.
//
//   doc_io_bench format <file> [entries]  builds the entries as a scan leaves them, formats them
//                                          through CVemoFormatThread ("Formatting") and writes
//                                          the document to <file>.
//   doc_io_bench load <file>               reads <file> and imports it through CVemoImportThread
//                                          ("Loading"), then adopts the entries into a key map as
//                                          the document does; prints VmRSS before and after.
//
// bench/doc_io_bench.sh runs both in fresh processes beside Python's csv.reader over the same file.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "document/format_thread.h"
#include "document/import_thread.h"
#include "foundation/key_map.h"

namespace {

using Clock = std::chrono::steady_clock;

long VmRssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// CPU time of the whole process: the worker does the work while the main thread sleeps, so on a
// shared machine this shows the work itself, the wall time also the waiting for a core.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

void WaitUntilDone(const CNWorkerThread& worker) {
  while (worker.IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

const wchar_t* const kWords[] = {L"Documents",     L"Photos",
                                 L"2019",          L"2020",
                                 L"2021",          L"Projects",
                                 L"src",           L"include",
                                 L"build",         L"Urlaub Italien",
                                 L"Rechnungen",    L"backup",
                                 L"music",         L"Beatles - Abbey Road",
                                 L"tests",         L"assets",
                                 L"images",        L"vendor",
                                 L"docs",          L"release-notes",
                                 L"Übersetzungen", L"archive"};
const wchar_t* const kExtensions[] = {L".jpg",  L".txt", L".cpp", L".h",    L".pdf",
                                      L".docx", L".mp3", L".png", L".json", L".xml"};

// A tree of `directories` directories with `entries` entries in all, as a scan leaves them.
void BuildEntries(CNObjectKeyMap<CVemoEntry>& map, std::size_t entries, std::size_t directories) {
  std::mt19937 random(12345);
  const SharedText base(L"/home/user/data/");
  std::vector<SharedText> dirs{SharedText()};  // "" is the base directory itself
  std::vector<std::wstring> dirNames{L""};
  const CNTimeStamp time(132000000000000000ULL);
  auto add = [&](const SharedText& relDir, std::wstring name, bool directory, std::size_t n) {
    FileState state;
    state.name = name;
    state.size = directory ? 4096 : random() % 5000000;
    state.attributes = directory ? 0x10 : 0x20;
    state.time = CNTimeStamp(time.Value() + (random() % 100000000) * 10000000ULL);
    state.dwCrc1 = directory ? kNoCrc : random();
    state.dwCrc2 = directory ? kNoCrc : random();
    auto* entry = new CVemoEntry(base, relDir, std::move(name), state.attributes, KeyCase::kExact);
    entry->m_stored = FileState{};
    entry->m_current = std::move(state);
    entry->m_dwFlags = EF_FOUND;
    if (!map.SetAt(entry->m_pszKey, entry)) std::abort();
    (void)n;
  };
  for (std::size_t d = 1; d < directories; ++d) {
    const std::size_t parent = random() % d;
    std::wstring name =
        std::wstring(kWords[random() % std::size(kWords)]) + L" " + std::to_wstring(d);
    add(dirs[parent], name, true, d);
    dirNames.push_back(dirNames[parent] + name + L"/");
    dirs.emplace_back(dirNames.back());
  }
  for (std::size_t i = directories; i < entries; ++i) {
    std::wstring name = std::wstring(L"IMG_") + std::to_wstring(20190000 + i) + L"_" +
                        kWords[random() % std::size(kWords)] +
                        kExtensions[random() % std::size(kExtensions)];
    add(dirs[random() % dirs.size()], std::move(name), false, i);
  }
}

int Format(const char* path, std::size_t count) {
  CNObjectKeyMap<CVemoEntry> map;
  BuildEntries(map, count, 10000);
  CVemoFormatThread format;
  const double cpuStart = CpuSeconds();
  const auto start = Clock::now();
  if (!format.Start(L"/home/user/data/", map)) return 1;
  WaitUntilDone(format);
  std::size_t length = 0;
  char* bytes = format.TakeOutput(&length);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuStart;
  if (bytes == nullptr) return 1;
  std::printf("Formatting: %zu entries, %.1f MB in %.3f s: %.0f entries/s (CPU %.3f s: %.0f/s)\n",
              map.GetCount(), length / 1e6, seconds, map.GetCount() / seconds, cpu,
              map.GetCount() / cpu);
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr || std::fwrite(bytes, 1, length, file) != length) return 1;
  std::fclose(file);
  std::free(bytes);
  return 0;
}

int Load(const char* path) {
  const long rssStart = VmRssKiB();
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  CNByteBuffer buffer;
  if (!buffer.Append(bytes.data(), bytes.size())) return 1;
  std::string().swap(bytes);
  const long rssBefore = VmRssKiB();

  CVemoImportThread import;
  const double cpuStart = CpuSeconds();
  const auto start = Clock::now();
  if (!import.Start(L"/home/user/data/", std::move(buffer))) return 1;
  WaitUntilDone(import);
  std::unique_ptr<CVemoEntryList> list = import.TakeResultList();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuStart;
  if (!list) return 1;
  const std::size_t n = list->GetCount();
  const long rssLoaded = VmRssKiB();
  std::printf("Loading: %zu entries in %.3f s: %.0f entries/s (CPU %.3f s: %.0f/s)\n", n, seconds,
              n / seconds, cpu, n / cpu);

  // Adopted into the document's key map; the list's nodes go.
  CNObjectKeyMap<CVemoEntry> map;
  while (!list->IsEmpty()) {
    CVemoEntry* entry = list->RemoveHead();
    if (!map.SetAt(entry->m_pszKey, entry)) std::abort();
  }
  list.reset();
  const long rssMap = VmRssKiB();
  std::printf("VmRSS: start %ld KiB, with file bytes %ld KiB, loaded %ld KiB, in key map %ld KiB\n",
              rssStart, rssBefore, rssLoaded, rssMap);
  std::printf(
      "Memory per loaded entry: %.0f bytes (list, file bytes kept), %.0f bytes (key map, "
      "of which the map's arrays %.0f), %zu bytes per CVemoEntry object\n",
      (rssLoaded - rssStart) * 1024.0 / n, (rssMap - rssStart) * 1024.0 / n,
      static_cast<double>(map.MemoryUsage()) / n, sizeof(CVemoEntry));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "format") == 0) {
    return Format(argv[2], argc >= 4 ? std::strtoul(argv[3], nullptr, 10) : 1000000);
  }
  if (argc >= 3 && std::strcmp(argv[1], "load") == 0) return Load(argv[2]);
  std::fprintf(stderr, "usage: doc_io_bench format|load <file> [entries]\n");
  return 2;
}
