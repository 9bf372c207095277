#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"

namespace {

using platform::DecodeText;
using platform::EncodeText;

std::wstring Decode(std::string_view bytes, UINT code_page, DWORD flags = 0) {
  std::wstring out;
  EXPECT_TRUE(DecodeText(bytes, code_page, flags, out)) << bytes;
  return out;
}

std::string Encode(std::wstring_view text, UINT code_page, DWORD flags = 0) {
  std::string out;
  EXPECT_TRUE(EncodeText(text, code_page, flags, nullptr, nullptr, out));
  return out;
}

TEST(Utf8CodePage, DecodesWellFormedAndReplacesEachIllFormedSubpart) {
  struct Case {
    std::string bytes;
    std::wstring text;
  };
  const Case cases[] = {
      {"", L""},
      {"abc", L"abc"},
      {"\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
      {"\xE2\x82\xAC", L"\u20AC"},
      {"\xF0\x9F\x98\x80", L"\U0001F600"},
      {"\xEF\xBB\xBFx", L"\uFEFFx"},  // a byte order mark is an ordinary character here
      {"a\xFF"
       "b",
       L"a\uFFFDb"},
      {"\xC0\xAF", L"\uFFFD\uFFFD"},            // overlong: C0 is never a lead byte
      {"\xE0\x80\x80", L"\uFFFD\uFFFD\uFFFD"},  // overlong three-byte form
      {"\xE2\x82", L"\uFFFD"},                  // truncated sequence: one subpart
      {"\xE2\x82x", L"\uFFFDx"},
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xED\xB3\xBF", L"\xDCFF"},                        // the carried form of a lone surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Decode(c.bytes, CP_UTF8), c.text) << c.bytes;
  }
}

TEST(Utf8CodePage, StrictFlagsFailWithNoUnicodeTranslation) {
  std::wstring text;
  platform::SetLastError(0);
  EXPECT_FALSE(DecodeText("a\xFF", CP_UTF8, MB_ERR_INVALID_CHARS, text));
  EXPECT_EQ(platform::LastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_FALSE(DecodeText("\xED\xA0\x80", CP_UTF8, MB_ERR_INVALID_CHARS, text));
  EXPECT_EQ(Decode("\xC3\xA9", CP_UTF8, MB_ERR_INVALID_CHARS), L"\u00E9");

  std::string bytes;
  platform::SetLastError(0);
  EXPECT_FALSE(EncodeText(L"a\xDC80", CP_UTF8, WC_ERR_INVALID_CHARS, nullptr, nullptr, bytes));
  EXPECT_EQ(platform::LastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(Utf8CodePage, EncodesAndRejectsDefaultCharacters) {
  EXPECT_EQ(Encode(L"\u00E9\u20AC\U0001F600", CP_UTF8), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Encode(L"a\xDCFF", CP_UTF8), "a\xED\xB3\xBF");
  EXPECT_EQ(Encode(std::wstring(1, static_cast<wchar_t>(0x110000)), CP_UTF8), "\xEF\xBF\xBD");

  std::string bytes;
  bool used = false;
  platform::SetLastError(0);
  EXPECT_FALSE(EncodeText(L"x", CP_UTF8, 0, "?", nullptr, bytes));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(EncodeText(L"x", CP_UTF8, 0, nullptr, &used, bytes));
}

TEST(AnsiCodePage, IsWindows1252BothWays) {
  EXPECT_EQ(Decode("\x80\x8A\x9F\xE9", CP_ACP), L"\u20AC\u0160\u0178\u00E9");
  EXPECT_EQ(Encode(L"\u20AC\u0160\u0178\u00E9", CP_WINDOWS_1252), "\x80\x8A\x9F\xE9");

  // Every byte string survives a round trip, the five undefined bytes included.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::wstring text = Decode(all, CP_ACP);
  EXPECT_EQ(text[0x81], L'\x81');
  EXPECT_EQ(Encode(text, CP_ACP), all);
}

TEST(AnsiCodePage, UnmappableCharactersTakeTheDefault) {
  std::string bytes;
  bool used = false;
  ASSERT_TRUE(EncodeText(L"a\u0100\U0001F600b", CP_ACP, 0, nullptr, &used, bytes));
  EXPECT_EQ(bytes, "a??b");  // no best fit: U+0100 does not become 'A'
  EXPECT_TRUE(used);
  const char star = '*';
  ASSERT_TRUE(EncodeText(L"\xDC80", CP_ACP, 0, &star, &used, bytes));
  EXPECT_EQ(bytes, "*");
  ASSERT_TRUE(EncodeText(L"plain", CP_ACP, 0, nullptr, &used, bytes));
  EXPECT_FALSE(used);
}

TEST(CodePages, OthersAreInvalidParameters) {
  std::wstring text;
  std::string bytes;
  platform::SetLastError(0);
  EXPECT_FALSE(DecodeText("x", 437, 0, text));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
  platform::SetLastError(0);
  EXPECT_FALSE(EncodeText(L"x", 1200, 0, nullptr, nullptr, bytes));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
}

TEST(Utf16, BothByteOrdersWithPairsAndLoneSurrogates) {
  const std::wstring text = L"A\u00E9\U0001F600\xDC80";
  EXPECT_EQ(platform::EncodeUtf16(text, platform::ByteOrder::kLittleEndian),
            std::string("A\0\xE9\0\x3D\xD8\x00\xDE\x80\xDC", 10));
  EXPECT_EQ(platform::EncodeUtf16(text, platform::ByteOrder::kBigEndian),
            std::string("\0A\0\xE9\xD8\x3D\xDE\x00\xDC\x80", 10));
  for (const auto order : {platform::ByteOrder::kLittleEndian, platform::ByteOrder::kBigEndian}) {
    std::string bytes = platform::EncodeUtf16(text, order);
    EXPECT_EQ(platform::DecodeUtf16(bytes, order), text);
    bytes += 'x';  // an odd last byte is ignored
    EXPECT_EQ(platform::DecodeUtf16(bytes, order), text);
  }
  EXPECT_EQ(platform::ToUtf16(L"\U0010FFFF"), u"\U0010FFFF");
  EXPECT_EQ(platform::FromUtf16(u"\xD800x"), L"\xD800x");  // unpaired high surrogate kept
}

// Names that are not UTF-8 must come back as the same bytes, also after a trip through the
// document file's UTF-8 text, so that they name the same file again.
TEST(FileNameText, EveryByteStringRoundTripsThroughWideTextAndTheDocumentEncoding) {
  std::vector<std::string> names = {
      "plain",        "caf\xC3\xA9",  "latin1 caf\xE9",      "\xFF\xFE",
      "\xED\xA0\x80", "\xC0\xAF",     "trunc\xE2\x82",       "\xF4\x90\x80\x80",
      "\xED\xB3\xBF", "\xEF\xBF\xBD", "\xF0\x9F\x98\x80 ok", "\x80",
  };
  std::mt19937 random(12345);
  for (int i = 0; i < 2000; ++i) {
    std::string name(1 + random() % 12, '\0');
    for (char& c : name) c = static_cast<char>(1 + random() % 255);
    names.push_back(name);
  }
  for (const auto& name : names) {
    const std::wstring wide = platform::FileNameToWide(name);
    std::string back;
    ASSERT_TRUE(platform::FileNameFromWide(wide, back)) << name;
    ASSERT_EQ(back, name);

    const std::string document_text = Encode(wide, CP_UTF8);
    std::wstring read_back;
    ASSERT_TRUE(DecodeText(document_text, CP_UTF8, 0, read_back));
    ASSERT_EQ(read_back, wide);
  }
  // The escape keeps names apart that a replacement character would merge.
  EXPECT_NE(platform::FileNameToWide("a\xFF"), platform::FileNameToWide("a\xFE"));
  EXPECT_NE(platform::FileNameToWide("a\xFF"), platform::FileNameToWide("a\xEF\xBF\xBD"));
  EXPECT_EQ(platform::FileNameToWide("a\xFF"), L"a\xDCFF");
}

TEST(FileNameText, TextNoNameCanHoldIsRefused) {
  const std::wstring refused[] = {L"a\xD800", L"\xDC41", std::wstring(1, wchar_t(0x110000))};
  for (const auto& text : refused) {
    std::string out;
    platform::SetLastError(0);
    EXPECT_FALSE(platform::FileNameFromWide(text, out));
    EXPECT_EQ(platform::LastError(), ERROR_NO_UNICODE_TRANSLATION);
  }
  std::string out;
  EXPECT_FALSE(platform::FileNameFromWide(std::wstring(L"a\0b", 3), out));
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_NAME);
}

}  // namespace
