// One document cycle over a generated tree — create the list, save it, verify it (load, walk,
// read every file, format) — beside a peer that does the least a verification needs: one thread
// walking the tree with lstat, reading every file and computing one CRC-32 of it.
//
// Usage: doc_cycle_bench [files] [bytes per file] [directory for the tree, default /tmp]
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "document/null_doc_host.h"
#include "document/vemo_doc.h"
#include "engine/crc.h"
#include "platform/file_name_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// Shows each message on standard error and answers No.
class QuietHost : public CVemoNullDocHost {
 public:
  int ShowMessageBox(std::wstring_view text, std::wstring_view, UINT) override {
    std::fprintf(stderr, "message: %ls\n", std::wstring(text).c_str());
    return IDNO;
  }
};

// Seconds spent in each phase (index: DocState) by the last RunUntilIdle.
double g_phase_seconds[6];

// The idle loop with a 1 ms pause where the GUI's timer would wait up to 100 ms.
void RunUntilIdle(CVemoDoc& doc) {
  for (double& s : g_phase_seconds) s = 0;
  auto since = Clock::now();
  DocState phase = doc.GetState();
  while (doc.GetState() != DocState::kIdle) {
    for (long count = 0; doc.PollWork(count); ++count) {
    }
    if (doc.GetState() != DocState::kIdle)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (doc.GetState() != phase) {
      const auto now = Clock::now();
      g_phase_seconds[static_cast<int>(phase)] +=
          std::chrono::duration<double>(now - since).count();
      since = now;
      phase = doc.GetState();
    }
  }
}

void PrintPhases() {
  std::printf(
      "    phases: loading %.3f s, scanning %.3f s, checksumming %.3f s, formatting %.3f s\n",
      g_phase_seconds[1], g_phase_seconds[2], g_phase_seconds[3], g_phase_seconds[4]);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const std::size_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20000;
  const std::size_t size = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 4096;
  std::string parent = argc > 3 ? argv[3] : "/tmp";
  std::string pattern = parent + "/vemo_cycle_bench_XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const std::string root = pattern + "/";

  std::string contents(size, 'x');
  for (std::size_t i = 0; i < files; ++i) {
    const std::string dir = root + "d" + std::to_string(i / 100) + "/";
    if (i % 100 == 0) std::filesystem::create_directory(dir);
    contents[0] = static_cast<char>(i);
    std::ofstream(dir + "file" + std::to_string(i) + ".dat", std::ios::binary) << contents;
  }

  // Peer first, so that both find the tree in the page cache.
  CCrc crc;
  crc.Init(0xEDB88320, 0xFFFFFFFF, 0xFFFFFFFF);
  std::vector<char> buffer(1 << 20);
  DWORD sink = 0;
  auto t0 = Clock::now();
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    struct stat st;
    if (lstat(item.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    std::FILE* f = std::fopen(item.path().c_str(), "rb");
    if (f == nullptr) continue;
    crc.Reset();
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0;) {
      crc.Update(buffer.data(), got);
    }
    std::fclose(f);
    sink ^= crc.Update(nullptr, 0);
  }
  const double peer = Seconds(Clock::now() - t0);

  QuietHost host;
  const std::wstring doc_path = platform::FileNameToWide(root + "check.sum");
  double create = 0, save = 0, verify = 0;
  {
    CVemoDoc doc(host);
    t0 = Clock::now();
    if (!doc.OnOpenDocument(doc_path)) return 1;
    RunUntilIdle(doc);
    create = Seconds(Clock::now() - t0);
    std::printf("create:");
    PrintPhases();
    t0 = Clock::now();
    if (!doc.DoFileSave()) return 1;
    RunUntilIdle(doc);  // the Rescan New cycle after the save reads nothing
    save = Seconds(Clock::now() - t0);
    doc.OnCloseDocument();
  }
  {
    CVemoDoc doc(host);
    t0 = Clock::now();
    if (!doc.OnOpenDocument(doc_path)) return 1;
    RunUntilIdle(doc);
    verify = Seconds(Clock::now() - t0);
    std::printf("verify:");
    PrintPhases();
    if (doc.IsModified()) std::fprintf(stderr, "verification found changes\n");
    doc.OnCloseDocument();
  }
  std::filesystem::remove_all(root);

  const double mb = static_cast<double>(files * size) / 1048576.0;
  std::printf("tree: %zu files of %zu bytes (%.1f MB), warm page cache\n", files, size, mb);
  std::printf("peer (walk + lstat + read + one CRC-32, 1 thread): %7.3f s\n", peer);
  std::printf("create cycle (walk, read, two CRCs, format):        %7.3f s  (%.2fx peer)\n", create,
              create / peer);
  std::printf("save + Rescan New cycle (nothing read again):       %7.3f s\n", save);
  std::printf("verify cycle (load, walk, read, compare, format):   %7.3f s  (%.2fx peer)\n", verify,
              verify / peer);
  return sink == 0x12345678 ? 2 : 0;
}
