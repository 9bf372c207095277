// Throughput of the directory scanner and the checksum worker on a real tree; bench/scan_bench.sh
// runs it beside find and cat over the same data and prints the ratios.
//
//   scan_bench scan DIR        records per second of a full walk (best of three runs)
//   scan_bench checksum PATH   bytes per second of checksumming a file, or every file of a tree,
//                              by wall time and by the process's CPU time (user + system), which
//                              on a shared machine tells the program's own cost
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "document/checksum_jobs.h"
#include "document/entries/entry.h"
#include "engine/checksum_worker.h"
#include "engine/scan_thread.h"
#include "platform/file_name_text.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void WaitForEnd(CNWorkerThread& worker) {
  while (worker.IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::unique_ptr<CVemoScanList> ScanTree(const std::string& dir, double* seconds) {
  CVemoScanThread scanner;
  const auto start = Clock::now();
  if (!scanner.Start(platform::FileNameToWide(dir), KeyCase::kExact)) return nullptr;
  WaitForEnd(scanner);
  *seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return scanner.TakeResults();
}

std::string AsDirectory(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

int BenchScan(const std::string& dir) {
  double best = 1e30;
  std::size_t records = 0;
  for (int run = 0; run < 3; ++run) {
    double seconds = 0;
    auto list = ScanTree(AsDirectory(dir), &seconds);
    if (list == nullptr) return 1;
    records = list->GetCount();
    best = std::min(best, seconds);
  }
  std::printf("scanner: %zu records in %.3f s = %.0f records/s\n", records, best,
              static_cast<double>(records) / best);
  return 0;
}

int BenchChecksum(const std::string& path, bool is_dir) {
  // The entries the document would queue: every file found.
  std::vector<std::unique_ptr<CVemoEntry>> entries;
  CNObjectArray<CVemoEntry> list(false);
  if (is_dir) {
    double seconds = 0;
    auto records = ScanTree(AsDirectory(path), &seconds);
    if (records == nullptr) return 1;
    while (!records->IsEmpty()) {
      const CVemoScanEntry record = records->RemoveHead();
      if (record.m_dwError != 0 || record.m_state.IsDirectory()) continue;
      entries.push_back(std::make_unique<CVemoEntry>(record));
    }
  } else {
    const std::size_t slash = path.find_last_of('/');
    FileState state;
    state.name = platform::FileNameToWide(path.substr(slash + 1));
    state.attributes = 0;
    // The size the scan would have seen: a file read at another size is "changed since the scan".
    state.size = std::filesystem::file_size(path);
    CVemoScanEntry record(std::move(state), platform::FileNameToWide(path.substr(0, slash + 1)),
                          SharedText(), DRIVE_FIXED, KeyCase::kExact);
    entries.push_back(std::make_unique<CVemoEntry>(record));
  }
  for (auto& entry : entries) {
    entry->m_dwFlags |= EF_CRC_PENDING;
    (void)list.Add(entry.get());
  }

  CChecksumWorker worker;
  double best = 1e30;
  double best_cpu = 1e30;
  ULONGLONG bytes = 0;
  std::size_t errors = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    const double cpu_start = ProcessCpuSeconds();
    if (!worker.QueueJobs(QueuedChecksumJobs(list))) return 1;
    WaitForEnd(worker);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    best_cpu = std::min(best_cpu, ProcessCpuSeconds() - cpu_start);
    ULONGLONG queued = 0;
    double rate = 0;
    worker.GetProgress(&bytes, &queued, &rate);
    errors = 0;
    while (auto job = worker.PopResult()) errors += job->error != 0;
  }
  std::printf(
      "checksum worker: %zu files, %llu bytes in %.3f s = %.1f MB/s (%zu errors); "
      "CPU %.3f s = %.1f MB/s\n",
      entries.size(), static_cast<unsigned long long>(bytes), best,
      static_cast<double>(bytes) / best / 1e6, errors, best_cpu,
      static_cast<double>(bytes) / best_cpu / 1e6);
  return errors == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "scan") == 0) return BenchScan(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "checksum") == 0) {
    const std::string path = argv[2];
    return BenchChecksum(path, std::filesystem::is_directory(path));
  }
  std::fprintf(stderr, "usage: scan_bench scan DIR | scan_bench checksum FILE-OR-DIR\n");
  return 2;
}
