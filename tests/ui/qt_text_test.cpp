#include "ui/framework/qt_text.h"

#include <gtest/gtest.h>

TEST(QtText, WideTextSurvivesARoundTripThroughQString) {
  // Plain, astral (two UTF-16 units) and the lone surrogates that carry non-UTF-8 name bytes.
  const std::wstring cases[] = {L"", L"plain.txt", L"caf\u00e9 \U0001F600.txt",
                                std::wstring(L"bad") + wchar_t(0xDCFF) + wchar_t(0xDC80)};
  for (const std::wstring& text : cases) EXPECT_EQ(FromQString(ToQString(text)), text);
}

TEST(QtText, AstralCharactersBecomeOneWideCharacter) {
  EXPECT_EQ(ToQString(L"\U0001F600").size(), 2);
  EXPECT_EQ(FromQString(QString::fromUtf8("\xF0\x9F\x98\x80")), std::wstring(L"\U0001F600"));
}

TEST(QtText, PathsGoThroughTheFileSystemBytes) {
  EXPECT_EQ(PathFromQString(QStringLiteral("/tmp/caf\u00e9/x")), std::wstring(L"/tmp/caf\u00e9/x"));
  EXPECT_EQ(PathToQString(L"/tmp/a b"), QStringLiteral("/tmp/a b"));
  EXPECT_TRUE(PathFromQString(QString()).empty());
}
