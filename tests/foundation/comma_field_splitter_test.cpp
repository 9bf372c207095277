#include "foundation/comma_field_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/comma_fields.h"

namespace {

using Strings = std::vector<std::wstring>;

Strings Fields(CNCommaFieldSplitter& splitter, std::wstring_view line) {
  const std::size_t count = splitter.Split(line);
  EXPECT_EQ(count, splitter.GetCount());
  Strings fields;
  for (std::size_t i = 0; i < count; ++i) fields.emplace_back(splitter.GetField(i));
  return fields;
}

// The splitter must give what SplitFields gives, line after line with one reused splitter (a long
// line followed by shorter ones shows stale buffer contents).
TEST(CommaFieldSplitter, GivesTheFieldsOfSplitFields) {
  const std::wstring lines[] = {
      L"       12345,0A0B0C0D,FFFFFFFF,\"2019-01-02 03:04:05\",-a--,\"a\\\\b\\\\\",name.txt "
      L"with a long tail to grow the buffer",
      L"",
      L",",
      L",,",
      L"a",
      L" a , b ,c ",
      L"\t\x0B\x0C\r\n\b x\x07y",  // the seven blanks are dropped, U+0007 is not a blank
      L"\"a, b\",\"\",\" \"",
      L"\"unterminated, quote",
      L"\\\"x\\\",\\,,\\\\",
      L"trailing backslash\\",
      L"esc\\\ttab,\\ blank",
      L"mid\"quoted,part\"end,x",
      L"\"\"\"\",\"\\\"\"",
      L"Übersetzungen,\xDC80\xDCFF,\x10FFFF,-+./:;<=>",
      L"       -1,x",
      L"   \t  12,\"2019-01-02 03:04:05\"  ,  x  y  ,   ",
      L"\"quoted run, to the end  ",
      L"\"run\\\"on\",after",
  };
  CNCommaFieldSplitter splitter;
  for (const std::wstring& line : lines) {
    const CNStringList expected = SplitFields(line);
    EXPECT_EQ(Fields(splitter, line), Strings(expected.begin(), expected.end())) << line;
  }
}

}  // namespace
