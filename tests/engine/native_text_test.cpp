#include "engine/native_text.h"

#include <gtest/gtest.h>

namespace {

TEST(NativeText, MapsEveryByteSequenceLosslessly) {
  const struct {
    std::string native;
    std::wstring wide;
  } cases[] = {
      {"plain.txt", L"plain.txt"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", L"caf\u00e9 \u20ac \U0001F600"},
      {"caf\xe9", L"caf\xdce9"},                          // Latin-1 byte
      {"\xff\xfe", L"\xdcff\xdcfe"},                      // never valid in UTF-8
      {"\xc3", L"\xdcc3"},                                // truncated sequence
      {"\xc0\xaf", L"\xdcc0\xdcaf"},                      // overlong '/'
      {"\xed\xb2\x80", L"\xdced\xdcb2\xdc80"},            // an encoded surrogate
      {"\xf4\x90\x80\x80", L"\xdcf4\xdc90\xdc80\xdc80"},  // above U+10FFFF
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideFromNative(c.native), c.wide) << c.native;
    EXPECT_EQ(NativeFromWide(c.wide), c.native) << c.native;
  }
}

TEST(NativeText, WideTextNoNameCanHoldBecomesReplacementCharacters) {
  EXPECT_EQ(NativeFromWide(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
}

}  // namespace
