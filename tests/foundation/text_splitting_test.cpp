#include "foundation/text_splitting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/comma_fields.h"

namespace {

using Strings = std::vector<std::wstring>;

Strings ToVector(const CNStringList& list) { return Strings(list.begin(), list.end()); }

CNStringList ToList(const Strings& strings) {
  CNStringList list;
  for (const std::wstring& s : strings) list.AddTail(s);
  return list;
}

TEST(SplitLines, EveryKindOfLineEndEndsOneLine) {
  EXPECT_EQ(ToVector(SplitLines(L"a\r\nb\nc\rd")), (Strings{L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(ToVector(SplitLines(L"a\r\n")), (Strings{L"a", L""}));
  EXPECT_EQ(ToVector(SplitLines(L"")), (Strings{L""}));
  // A line feed before a carriage return is two line ends, not one pair.
  EXPECT_EQ(ToVector(SplitLines(L"a\n\rb")), (Strings{L"a", L"", L"b"}));
  EXPECT_EQ(ToVector(SplitLines(L"\r\r\n\n")), (Strings{L"", L"", L"", L""}));
}

TEST(SplitText, KeepsEmptyPiecesAndTakesTheFirstDelimiter) {
  EXPECT_EQ(ToVector(SplitText(L"a\\b\\\\c\\", L"\\")), (Strings{L"a", L"b", L"", L"c", L""}));
  EXPECT_EQ(ToVector(SplitText(L"a/b;c;/d", L";/")), (Strings{L"a", L"b", L"c", L"", L"d"}));
  EXPECT_EQ(ToVector(SplitText(L"abc", L"")), (Strings{L"abc"}));
  EXPECT_EQ(ToVector(SplitText(L"abc", nullptr)), (Strings{L"abc"}));
  EXPECT_EQ(ToVector(SplitText(L"", L",")), (Strings{L""}));
  EXPECT_TRUE(SplitText(nullptr, L",").IsEmpty());
  EXPECT_TRUE(SplitText(L"", L"").IsEmpty());
}

TEST(JoinStrings, JoinsTheRequestedRange) {
  const CNStringList list = ToList({L"HKCU", L"Software", L"Tovak", L"Vemo"});
  EXPECT_EQ(JoinStrings(list, L"\\", 0, 4), L"HKCU\\Software\\Tovak\\Vemo");
  EXPECT_EQ(JoinStrings(list, L"\\", 1, 2), L"Software\\Tovak");
  EXPECT_EQ(JoinStrings(list, L"::", 2, 100), L"Tovak::Vemo");
  EXPECT_EQ(JoinStrings(list, L"", 3, 1), L"Vemo");
  EXPECT_EQ(JoinStrings(list, L"\\", 4, 1), L"");
  EXPECT_EQ(JoinStrings(list, L"\\", -1, 2), L"");
  EXPECT_EQ(JoinStrings(list, L"\\", 0, 0), L"");
  EXPECT_EQ(JoinStrings(CNStringList{}, L"\\", 0, 1), L"");
}

TEST(CommaFields, SplitsQuotedAndEscapedFields) {
  struct Case {
    const wchar_t* line;
    Strings fields;
  };
  const Case cases[] = {
      {L"\"a,b\"", {L"a,b"}},
      {L"a\\\"b", {L"a\"b"}},
      {L"1, 2 ,\t3", {L"1", L"2", L"3"}},
      {L"\"x y\",,", {L"x y", L"", L""}},
      {L"", {L""}},
      {L"a\\", {L"a"}},  // a backslash at the end escapes nothing
      {L"\"open, quote", {L"open, quote"}},
      {L"      1048576,0A1B2C3D,\"2007-03-14 09:21:30\",,\"My File, v2.txt\"",
       {L"1048576", L"0A1B2C3D", L"2007-03-14 09:21:30", L"", L"My File, v2.txt"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ToVector(SplitFields(c.line)), c.fields) << c.line;
}

TEST(CommaFields, QuoteFieldRoundTripsThroughSplitFields) {
  EXPECT_EQ(QuoteField(L"docs"), L"docs");
  EXPECT_EQ(QuoteField(L""), L"");
  EXPECT_EQ(QuoteField(L"C:\\Data\\"), L"\"C:\\\\Data\\\\\"");
  EXPECT_EQ(QuoteField(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
  EXPECT_EQ(QuoteField(L"a,b"), L"\"a,b\"");

  const CNStringList fields =
      ToList({L"", L"plain", L"two words", L"a,b", L"back\\slash\\", L"\"q\"", L"tab\there",
              L"\r\n", L"\x08\x0b\x0c", L"\\\"\\", L"ünïcødé"});
  const std::wstring line = JoinFields(fields, 0, 100);
  EXPECT_EQ(ToVector(SplitFields(line)), ToVector(fields));
  EXPECT_EQ(JoinFields(fields, 1, 3), L"plain,\"two words\",\"a,b\"");
  EXPECT_EQ(JoinFields(fields, 11, 1), L"");
  EXPECT_EQ(JoinFields(fields, 0, 0), L"");
}

TEST(CommaFields, AppendQuotedFieldWritesSeparatorsAsEscapedBackslashes) {
  std::wstring out = L"x,";
  AppendQuotedField(out, L"a b/c/", L'/');
  EXPECT_EQ(out, L"x,\"a b\\\\c\\\\\"");  // as QuoteField(L"a b\\c\\") would give
  AppendQuotedField(out, L"/");           // without a separator '/' is an ordinary character
  EXPECT_EQ(out, L"x,\"a b\\\\c\\\\\"/");
}

}  // namespace
