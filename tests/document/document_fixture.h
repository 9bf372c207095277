// Entries, maps and byte helpers shared by the document tests.
#pragma once
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/document_writer.h"
#include "document/entries/entry.h"
#include "foundation/key_map.h"

namespace vemo_test {

inline CNTimeStamp Time(const wchar_t* text) {
  CNTimeStamp time;
  if (!time.Parse(text, L"YmdHMS")) std::abort();
  return time;
}

// A found entry as the scanner leaves it: current state filled, EF_FOUND.
inline std::unique_ptr<CVemoEntry> Found(const wchar_t* relDir, std::wstring name, ULONGLONG size,
                                         DWORD crc1, DWORD crc2, CNTimeStamp time, DWORD attributes,
                                         const wchar_t* base = L"/data/") {
  auto entry = std::make_unique<CVemoEntry>(SharedText(base), SharedText(relDir), name, attributes,
                                            KeyCase::kExact);
  entry->m_stored = FileState{};
  entry->m_current.name = std::move(name);
  entry->m_current.size = size;
  entry->m_current.dwCrc1 = crc1;
  entry->m_current.dwCrc2 = crc2;
  entry->m_current.time = time;
  entry->m_current.attributes = attributes;
  entry->m_dwFlags = EF_FOUND;
  return entry;
}

// The three entries of the sample document.
inline std::vector<std::unique_ptr<CVemoEntry>> SampleEntries() {
  std::vector<std::unique_ptr<CVemoEntry>> entries;
  entries.push_back(Found(L"", L"My File, v2.txt", 1048576, 0x0A1B2C3D, 0x00C0FFEE,
                          Time(L"2007-03-14 09:21:30"), 0x21));
  entries.push_back(
      Found(L"", L"docs", 0, 0xFFFFFFFF, 0xFFFFFFFF, Time(L"2007-03-14 09:20:00"), 0x10));
  entries.push_back(
      Found(L"docs/", L"abc.txt", 3, 0x352441C2, 0x5AEB2AAE, Time(L"2007-03-14 09:26:53"), 0x20));
  return entries;
}

inline DocumentHeader SampleHeader(std::wstring path = L"C:\\Data\\") {
  return {L"; Vemo Release 2.01.05", L"2007-03-14 09:26:53 (GMT+0100)", L"WORKSTATION7",
          std::move(path)};
}

inline const std::string kSampleDocument =
    "\xEF\xBB\xBF"
    "; Vemo Release 2.01.05\r\n"
    "% Date \"2007-03-14 09:26:53 (GMT+0100)\"\r\n"
    "@ System WORKSTATION7\r\n"
    "$ Path \"C:\\\\Data\\\\\"\r\n"
    "      1048576,0A1B2C3D,00C0FFEE,\"2007-03-14 09:21:30\",r---a-------,,\"My File, v2.txt\"\r\n"
    "            0,FFFFFFFF,FFFFFFFF,\"2007-03-14 09:20:00\",---d--------,,docs\r\n"
    "            3,352441C2,5AEB2AAE,\"2007-03-14 09:26:53\",----a-------,\"docs\\\\\",abc.txt\r\n"
    "~ AutoSigned 8wzzbioM\r\n";

// Writes the entries with a fixed header and returns the bytes.
template <class Entries>
std::string WriteDocument(const Entries& entries, const DocumentHeader& header = SampleHeader(),
                          std::size_t* leftOut = nullptr) {
  CVemoDocumentWriter writer(header);
  for (const auto& entry : entries) writer.AddEntry(*entry);
  if (leftOut != nullptr) *leftOut = writer.LeftOutCount();
  std::size_t length = 0;
  char* bytes = writer.Finish(&length);
  std::string out(bytes, length);
  std::free(bytes);
  return out;
}

}  // namespace vemo_test
