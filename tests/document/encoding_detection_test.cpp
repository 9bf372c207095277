#include "document/encoding_detection.h"

#include <gtest/gtest.h>

#include <string>

#include "document/document_decoding.h"

namespace {

EncodingClass Detect(const std::string& bytes) {
  return DetectEncoding(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

TEST(DetectEncodingTest, Classes) {
  using namespace std::string_literals;
  const struct {
    std::string bytes;
    EncodingClass expected;
  } cases[] = {
      {"", kEncodingUnknown},
      {"plain text\r\n", kEncodingAscii},
      {"\xEF\xBB\xBFplain", kEncodingUtf8},
      {"caf\xC3\xA9", kEncodingUtf8},
      {"caf\xE9 latin-1", kEncodingAnsi},
      {"cut \xE2\x82", kEncodingAnsi},  // sequence open at the end
      {"\xFE text", kEncodingAnsi},
      {"a\0bcd"s, kEncodingUtf16Le},  // zero at an odd position
      {"ab\0cd"s, kEncodingUtf16Be},  // zero at an even position
      {"a\0b\0"s, kEncodingUtf16Le},
      {"\0a\0b"s, kEncodingUtf16Be},
      {"\xFF\xFE\x01\x02"s
       "a\0"s,
       kEncodingUtf16Le},
      {"\xFE\xFF\x01\x02\0a"s, kEncodingUtf16Be},
      {"\0\0ab"s, kEncodingUnknown},          // a zero unit: binary
      {"\x01\x01\0\x80"s, kEncodingUnknown},  // equal ASCII-unit counts
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Detect(c.bytes), c.expected) << "case " << (&c - cases);
    // The statistics path and the fast path agree; a record accumulates over split calls.
    EncodingStatistics whole;
    EXPECT_EQ(DetectEncoding(reinterpret_cast<const BYTE*>(c.bytes.data()), c.bytes.size(), &whole),
              c.expected);
    EncodingStatistics split;
    const std::size_t half = c.bytes.size() / 2 + 1;
    const auto* data = reinterpret_cast<const BYTE*>(c.bytes.data());
    if (c.bytes.size() > 1) {
      (void)DetectEncoding(data, half, &split);
      EXPECT_EQ(DetectEncoding(data + half, c.bytes.size() - half, &split), c.expected);
    }
  }
}

TEST(DecodeDocumentBytesTest, EightBitTextIsUtf8WithStrayBytesOrWindows1252) {
  std::string converted;
  // Windows-1252: converted, 0xE9 is é and 0x80 the euro sign.
  EXPECT_EQ(DecodeDocumentBytes("caf\xE9 \x80", converted), DocumentDecoding::kConverted);
  EXPECT_EQ(converted, "caf\xC3\xA9 \xE2\x82\xAC");
  // Written here: proper UTF-8 names beside a stray byte; taken as it is.
  EXPECT_EQ(DecodeDocumentBytes("\xC3\xA9t\xC3\xA9\r\nraw\xE9", converted),
            DocumentDecoding::kAsIs);
}

}  // namespace
