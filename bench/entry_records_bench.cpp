// Building lookup keys and comparing entries for a tree of a million files, beside a peer that
// does the least a key needs: the platform's UTF-8 encoding of the joined path plus strdup.
//
// Usage: entry_records_bench [files, default 1000000]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/entries/entry.h"
#include "platform/text_encoding.h"
#include "records/entry_key.h"

namespace {

using Clock = std::chrono::steady_clock;

double NsPer(Clock::duration d, std::size_t n) {
  return std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(n);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  const std::wstring base = L"/home/user/archive/";
  std::vector<std::wstring> rels, names;
  rels.reserve(files);
  names.reserve(files);
  for (std::size_t i = 0; i < files; ++i) {
    rels.push_back(L"photos/" + std::to_wstring(i / 1000) + L"/Ürlaub/");
    names.push_back(L"IMG_" + std::to_wstring(i) + L".jpeg");
  }

  std::size_t sink = 0;
  auto t0 = Clock::now();
  for (std::size_t i = 0; i < files; ++i) {
    std::string out;
    std::wstring path = base + rels[i] + L'\x01' + names[i];
    if (platform::EncodeText(path, CP_UTF8, 0, nullptr, nullptr, out)) {
      char* key = strdup(out.c_str());
      sink += static_cast<unsigned char>(key[0]);
      std::free(key);
    }
  }
  const auto peer = Clock::now() - t0;

  for (KeyCase mode : {KeyCase::kExact, KeyCase::kFold}) {
    t0 = Clock::now();
    for (std::size_t i = 0; i < files; ++i) {
      const LookupKey key = BuildEntryKey(base, rels[i], names[i], false, mode);
      sink += static_cast<unsigned char>(key.get()[0]);
    }
    const auto ours = Clock::now() - t0;
    std::printf("BuildEntryKey %-5s %7.1f ns/key   peer (UTF-8 encode + strdup) %7.1f ns/key\n",
                mode == KeyCase::kFold ? "fold" : "exact", NsPer(ours, files), NsPer(peer, files));
  }

  // One verification pass over listed entries: scan record applied, checksum result, notes.
  std::vector<std::unique_ptr<CVemoEntry>> entries;
  entries.reserve(files);
  const SharedText sharedBase(base);
  for (std::size_t i = 0; i < files; ++i) {
    auto e = std::make_unique<CVemoEntry>(sharedBase, rels[i], names[i], 0x20, KeyCase::kExact);
    e->m_stored.size = i;
    e->m_stored.time = CNTimeStamp(ULONGLONG{133'000'000'000'000'000});
    e->m_stored.dwCrc1 = 1;
    e->m_stored.dwCrc2 = 2;
    e->m_dwFlags = EF_LISTED | EF_AWAITING_SCAN;
    entries.push_back(std::move(e));
  }
  t0 = Clock::now();
  for (std::size_t i = 0; i < files; ++i) {
    FileState found;
    found.name = names[i];
    found.size = i + (i % 7 == 0);
    found.attributes = 0x20;
    found.time = CNTimeStamp(ULONGLONG{133'000'000'000'000'000} + (i % 3) * 36'000'000'000ULL);
    const CVemoScanEntry scan(std::move(found), sharedBase, entries[i]->m_strRelDir, 3,
                              KeyCase::kExact);
    bool needs = false;
    if (entries[i]->ApplyScanRecord(scan, needs)) entries[i]->ApplyCrcResult(0, 1, 2);
  }
  const auto pass = Clock::now() - t0;
  t0 = Clock::now();
  for (const auto& e : entries) sink += e->GetColumnText(6).size();
  const auto notes = Clock::now() - t0;
  std::printf(
      "scan record + checksum result %7.1f ns/entry, Note text %7.1f ns/entry "
      "(sizeof CVemoEntry %zu)\n",
      NsPer(pass, files), NsPer(notes, files), sizeof(CVemoEntry));
  return sink == 42 ? 1 : 0;
}
