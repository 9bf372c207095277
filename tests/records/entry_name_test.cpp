#include "records/entry_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Names as the file system and documents give them: plain, other scripts, characters beyond the
// basic plane, stand-ins for bytes that are not UTF-8, a lone surrogate, and values no character
// has (a wchar_t holds them all).
std::vector<std::wstring> Names() {
  return {L"",
          L"a",
          L"file0000.dat",
          L"Caf\u00e9 \u00fcber.txt",
          L"\u65e5\u672c\u8a9e",
          std::wstring(1, static_cast<wchar_t>(0x1F600)),
          std::wstring{L'x', static_cast<wchar_t>(0xDC80), static_cast<wchar_t>(0xDCFF)},
          std::wstring(1, static_cast<wchar_t>(0xD800)),
          std::wstring(1, static_cast<wchar_t>(0x10FFFF)),
          std::wstring(1, static_cast<wchar_t>(0x7FFFFFFF)),
          std::wstring(1, static_cast<wchar_t>(-1)),
          std::wstring{L'a', static_cast<wchar_t>(0x80), static_cast<wchar_t>(0x7FF),
                       static_cast<wchar_t>(0x800), static_cast<wchar_t>(0xFFFF),
                       static_cast<wchar_t>(0x10000), static_cast<wchar_t>(0x1FFFFF),
                       static_cast<wchar_t>(0x200000), L'z'}};
}

TEST(EntryName, GivesEveryWideTextBackExactly) {
  for (const std::wstring& text : Names()) {
    const EntryName name(text);
    EXPECT_EQ(name.str(), text);
    EXPECT_TRUE(name == text);
    EXPECT_EQ(name.empty(), text.empty());
    std::wstring appended = L"dir/";
    name.AppendTo(appended);
    EXPECT_EQ(appended, L"dir/" + text);
    EXPECT_EQ(std::wstring(L"dir/") + name, L"dir/" + text);
  }
}

TEST(EntryName, EqualExactlyWhenTheTextsAre) {
  const std::vector<std::wstring> names = Names();
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = 0; j < names.size(); ++j) {
      EXPECT_EQ(EntryName(names[i]) == EntryName(names[j]), i == j) << i << " " << j;
      EXPECT_EQ(EntryName(names[i]) == names[j], i == j) << i << " " << j;
    }
  }
  EXPECT_FALSE(EntryName(L"abc") == L"abd");
  EXPECT_FALSE(EntryName(L"abc") == L"ab");
}

TEST(EntryName, CopiesShareOneText) {
  EntryName name(L"shared.txt");
  EntryName copy = name;
  EXPECT_TRUE(copy.SameObject(name));
  EntryName moved = std::move(copy);
  EXPECT_TRUE(moved.SameObject(name));
  moved = EntryName(L"other");
  EXPECT_EQ(name.str(), L"shared.txt");
  EXPECT_EQ(moved.str(), L"other");
  name = std::wstring_view(L"again");
  EXPECT_EQ(name.str(), L"again");
  EXPECT_TRUE(EntryName(L"ascii").IsAscii());
  EXPECT_TRUE(EntryName::FromAscii("ascii.txt") == EntryName(L"ascii.txt"));
  EXPECT_TRUE(EntryName::FromAscii("").empty());
  EXPECT_FALSE(EntryName(L"\u00e9").IsAscii());
}

}  // namespace
