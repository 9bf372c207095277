// The import and format threads, run for real.
#include <gtest/gtest.h>

#include "document/document_decoding.h"
#include "document/document_fixture.h"
#include "document/format_thread.h"
#include "document/import_thread.h"
#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/text_encoding.h"
#include "support/wait_until.h"

namespace {

using vemo_test::Found;
using vemo_test::Time;

struct Imported {
  DWORD exitCode = 0;
  std::unique_ptr<CVemoEntryList> list;
  LONG files = 0;
  LONG directories = 0;
  std::wstring status;
  CNByteBuffer bytes;
};

// in_place: the importer reads the caller's buffer (StartReading), as the document has it do.
Imported Import(const std::string& bytes, const wchar_t* base = L"/data/", bool in_place = false) {
  CNByteBuffer buffer;
  CVemoImportThread import;
  if (!bytes.empty()) {
    EXPECT_TRUE(buffer.Append(bytes.data(), bytes.size()));
  }
  EXPECT_TRUE(in_place ? import.StartReading(base, buffer) : import.Start(base, std::move(buffer)));
  // Polled, as the document does: Stop would ask the thread to end early.
  EXPECT_TRUE(vemo_test::WaitUntilEnded(import));
  Imported out;
  out.exitCode = import.ExitCode();
  out.list = import.TakeResultList();
  out.files = import.GetFileCount();
  out.directories = import.GetDirectoryCount();
  out.status = import.GetStatusText();
  out.bytes = import.TakeFileBytes();
  return out;
}

std::vector<std::wstring> Paths(const CVemoEntryList& list) {
  std::vector<std::wstring> paths;
  for (const CVemoEntry* entry : list) paths.push_back(entry->GetEntryPath());
  return paths;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(ImportThreadTest, SampleInEveryEncodingReadsTheSameEntries) {
  const std::string& utf8 = vemo_test::kSampleDocument;
  std::wstring text;
  ASSERT_TRUE(platform::DecodeText(utf8, CP_UTF8, 0, text));  // keeps U+FEFF
  const std::wstring noBom = text.substr(1);
  std::string latin1;
  ASSERT_TRUE(platform::EncodeText(noBom, CP_ACP, 0, nullptr, nullptr, latin1));
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"utf-8 with bom", utf8},
      {"utf-8 without bom", utf8.substr(3)},
      {"utf-16le with bom", platform::EncodeUtf16(text, platform::ByteOrder::kLittleEndian)},
      {"utf-16le", platform::EncodeUtf16(noBom, platform::ByteOrder::kLittleEndian)},
      {"utf-16be with bom", platform::EncodeUtf16(text, platform::ByteOrder::kBigEndian)},
      {"utf-16be", platform::EncodeUtf16(noBom, platform::ByteOrder::kBigEndian)},
      {"windows-1252", latin1},
      {"lone CR", Replace(utf8, "\r\n", "\r")},
      {"lone LF", Replace(utf8, "\r\n", "\n")},
  };
  const std::vector<std::wstring> expected = {L"/data/My File, v2.txt", L"/data/docs",
                                              L"/data/docs/abc.txt"};
  for (const auto& c : cases) {
    Imported in_place = Import(c.bytes, L"/data/", true);
    ASSERT_TRUE(in_place.list) << c.what;
    EXPECT_EQ(Paths(*in_place.list), expected) << c.what;
    // Read in place, the bytes are handed back only when converted.
    std::string converted;
    EXPECT_EQ(in_place.bytes.IsEmpty(),
              DecodeDocumentBytes(c.bytes, converted) == DocumentDecoding::kAsIs)
        << c.what;
    Imported result = Import(c.bytes);
    EXPECT_EQ(result.exitCode, 0u) << c.what;
    ASSERT_TRUE(result.list) << c.what;
    EXPECT_EQ(Paths(*result.list), expected) << c.what;
    EXPECT_EQ(result.files, 2) << c.what;
    EXPECT_EQ(result.directories, 1) << c.what;
    EXPECT_EQ(result.status, L"100% Importing Vemo data ...") << c.what;
    const CVemoEntry* first = result.list->GetHead();
    EXPECT_EQ(first->m_stored.dwCrc1, 0x0A1B2C3Du) << c.what;
    EXPECT_EQ(first->m_stored.attributes, 0x21u) << c.what;
  }
  // The file bytes end up as UTF-8: unchanged for UTF-8, converted from UTF-16.
  Imported result = Import(cases[2].bytes);
  EXPECT_EQ(result.bytes.GetLength(), utf8.size());
}

// Written on Linux with names that are not UTF-8 and sizes of 10^12 and more: every entry comes
// back with its own name and key.
TEST(ImportThreadTest, WhatTheWriterWritesReadsBack) {
  std::vector<std::unique_ptr<CVemoEntry>> entries;
  entries.push_back(Found(L"", L"caf\u00E9", 1, 1, 1, Time(L"2020-01-01 00:00:00"), 0));
  entries.push_back(Found(L"", L"latin\xDCE9", 2, 2, 2, Time(L"2020-01-01 00:00:00"), 0));
  entries.push_back(
      Found(L"d\xDCFC/", L"huge.img", 1234567890123ULL, 3, 3, Time(L"2020-01-01 00:00:00"), 0));
  std::vector<std::unique_ptr<CVemoEntry>> rawOnly;
  rawOnly.push_back(Found(L"", L"only\xDCE9", 2, 2, 2, Time(L"2020-01-01 00:00:00"), 0));
  for (const auto* set : {&entries, &rawOnly}) {
    const std::string written = vemo_test::WriteDocument(*set, vemo_test::SampleHeader(L"/data/"));
    Imported result = Import(written);
    ASSERT_TRUE(result.list);
    ASSERT_EQ(result.list->GetCount(), set->size());
    std::size_t i = 0;
    for (const CVemoEntry* read : *result.list) {
      EXPECT_EQ(read->m_stored.name, (*set)[i]->m_current.name);
      EXPECT_EQ(read->m_stored.size, (*set)[i]->m_current.size);
      EXPECT_STREQ(read->m_pszKey, (*set)[i]->m_pszKey);
      ++i;
    }
    // The reader's form of such a file is the file itself.
    EXPECT_EQ(result.bytes.GetLength(), written.size());
  }
}

TEST(ImportThreadTest, UnrecognisedBytesPublishNothing) {
  for (const std::string& bytes : {std::string(), std::string("\0\0\0\0", 4)}) {
    Imported result = Import(bytes);
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_FALSE(result.list);
    EXPECT_EQ(result.bytes.GetLength(), bytes.size());
  }
  // Text without a single entry line is an empty list, not an error.
  Imported result = Import("nothing to see\r\n");
  ASSERT_TRUE(result.list);
  EXPECT_TRUE(result.list->IsEmpty());
}

TEST(ImportThreadTest, StopDuringTheLinesLeavesNoEntries) {
  std::string bytes;
  for (int i = 0; i < 2000; ++i)
    bytes += "            1,1,1,\"2000-01-01 00:00:00\",,,f" + std::to_string(i) + "\r\n";
  CVemoImportThread import;
  const std::uint32_t workers = ActiveWorkerCount.load();
  FreezeScans = 1;
  ASSERT_TRUE(import.Start(L"/data/", CNByteBuffer(bytes.c_str())));
  // The freeze indicator sees the import.
  EXPECT_TRUE(vemo_test::WaitUntil([&] { return ActiveWorkerCount.load() == workers + 1; }));
  EXPECT_TRUE(import.Stop(INFINITE));
  FreezeScans = 0;
  EXPECT_EQ(ActiveWorkerCount.load(), workers);
  EXPECT_FALSE(import.TakeResultList());
  import.StopAndClear();
  EXPECT_TRUE(import.TakeFileBytes().IsEmpty());
}

TEST(FormatThreadTest, PublishesTheSignedDocument) {
  CNObjectKeyMap<CVemoEntry> map;
  for (auto& entry : vemo_test::SampleEntries()) {
    const char* key = entry->m_pszKey;
    ASSERT_TRUE(map.SetAt(key, entry.release()));
  }
  CVemoFormatThread format;
  format.SetFixedHeader(vemo_test::SampleHeader());
  EXPECT_EQ(format.GetProgress(), -1.0);
  ASSERT_TRUE(format.Start(L"C:\\Data\\", map));
  ASSERT_TRUE(vemo_test::WaitUntilEnded(format));
  EXPECT_EQ(format.ExitCode(), 0u);
  EXPECT_EQ(format.GetProgress(), -1.0);
  std::size_t length = 0;
  char* bytes = format.TakeOutput(&length);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::string(bytes, length), vemo_test::kSampleDocument);
  EXPECT_EQ(bytes[length], '\0');
  std::free(bytes);
  EXPECT_EQ(format.TakeOutput(), nullptr);
}

TEST(FormatThreadTest, StopPublishesNothing) {
  CNObjectKeyMap<CVemoEntry> map;
  for (int i = 0; i < 100; ++i) {
    auto entry = Found(L"", L"f" + std::to_wstring(i), 1, 1, 1, Time(L"2000-01-01 00:00:00"), 0);
    const char* key = entry->m_pszKey;
    ASSERT_TRUE(map.SetAt(key, entry.release()));
  }
  CVemoFormatThread format;
  ASSERT_TRUE(format.Start(L"/data/", map));
  ASSERT_TRUE(vemo_test::WaitUntilEnded(format));
  const std::uint32_t workers = ActiveWorkerCount.load();
  FreezeScans = 1;
  ASSERT_TRUE(format.Start(L"/data/", map));  // releases the unclaimed output
  // Under way, and the freeze indicator sees the formatting.
  EXPECT_TRUE(vemo_test::WaitUntil(
      [&] { return format.GetProgress() >= 0.0 && ActiveWorkerCount.load() == workers + 1; }));
  EXPECT_TRUE(format.Stop(INFINITE));
  FreezeScans = 0;
  EXPECT_EQ(ActiveWorkerCount.load(), workers);
  EXPECT_EQ(format.ExitCode(), static_cast<DWORD>(ERROR_CANCELLED));
  EXPECT_EQ(format.TakeOutput(), nullptr);
  EXPECT_EQ(format.GetProgress(), -1.0);
}

}  // namespace
