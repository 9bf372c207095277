#include "foundation/text_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(TextBuilderTest, CountsArgumentsToTheFirstZeroOrTheCount) {
  CNTextBuilder text;
  EXPECT_STREQ(text.GetText(), L"");
  ASSERT_TRUE(text.Append(L"abc\0def", 7));  // stops at the zero
  ASSERT_TRUE(text.Append(L"xyz", 2));
  ASSERT_TRUE(text.Append(nullptr));
  ASSERT_TRUE(text.AppendChar(L'!'));
  ASSERT_TRUE(text.AppendChar(L'\0'));
  ASSERT_TRUE(text.Prepend(L"<<", 1));
  EXPECT_STREQ(text.GetText(), L"<abcxy!");
  EXPECT_EQ(text.GetLength(), 7u);
}

TEST(TextBuilderTest, JoinsChunksOfAHugeTextInOrder) {
  // Spans several 65536-character chunks, filled through the spare room and new chunks alike.
  std::wstring expected;
  CNTextBuilder text;
  for (int i = 0; expected.size() < 3 * CNTextBuilder::kChunkStep; ++i) {
    std::wstring piece(1 + i % 5000, static_cast<wchar_t>(L'a' + i % 26));
    ASSERT_TRUE(text.Append(piece));
    expected += piece;
  }
  ASSERT_TRUE(text.Prepend(L"\uFEFF"));
  expected.insert(0, L"\uFEFF");
  EXPECT_EQ(text.GetLength(), expected.size());
  EXPECT_EQ(std::wstring(text.GetText()), expected);
  ASSERT_TRUE(text.Append(L"end"));  // appending after the join
  EXPECT_EQ(std::wstring(text.GetText()), expected + L"end");
}

TEST(TextBuilderTest, NarrowFormIsCachedDroppedByChangesAndDetachedToTheCaller) {
  CNTextBuilder text(65001);
  ASSERT_TRUE(text.Append(L"\u00C4\U0001F600"));
  const char* narrow = text.GetNarrow();
  ASSERT_NE(narrow, nullptr);
  EXPECT_STREQ(narrow, "\xC3\x84\xF0\x9F\x98\x80");
  EXPECT_EQ(text.GetNarrowLength(), 6u);
  EXPECT_EQ(text.GetNarrow(), narrow);
  ASSERT_TRUE(text.AppendChar(L'x'));
  EXPECT_STREQ(text.GetNarrow(), "\xC3\x84\xF0\x9F\x98\x80x");
  char* detached = text.DetachNarrow();
  ASSERT_NE(detached, nullptr);
  EXPECT_STREQ(detached, "\xC3\x84\xF0\x9F\x98\x80x");
  std::free(detached);
  EXPECT_EQ(text.GetLength(), 0u);
  EXPECT_STREQ(text.GetText(), L"");

  ASSERT_TRUE(text.Append(L"\u00C4"));
  text.SetCodePage(1252);
  EXPECT_STREQ(text.GetNarrow(), "\xC4");
  text.SetCodePage(65001);  // a new code page drops the cached form
  EXPECT_STREQ(text.GetNarrow(), "\xC3\x84");
}

}  // namespace
