#include "foundation/reg_key.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "foundation/reg_data.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "support/temp_config_home.h"

namespace {

class RegKeyTest : public ::testing::Test {
 protected:
  TempConfigHome home_;
};

TEST_F(RegKeyTest, RootAliasesOpenTheSameKey) {
  CNRegKey writer(L"HKEY_CURRENT_USER\\Software\\Tovak", KEY_READ | KEY_WRITE);
  ASSERT_TRUE(writer.IsOpen());
  ASSERT_TRUE(writer.SetValue(L"Probe", CNRegData(7u)));
  for (const wchar_t* path : {L"hkcu\\software\\tovak", L"HCU\\Software\\Tovak\\",
                              L"hkey_current_user\\SOFTWARE\\Tovak"}) {
    CNRegKey key(path, KEY_READ);
    CNRegData data;
    DWORD value = 0;
    EXPECT_TRUE(key.QueryValue(L"probe", data) && data.AsDword(&value)) << path;
    EXPECT_EQ(value, 7u);
  }
  CNRegKey root(L"HKCU", KEY_READ);
  EXPECT_TRUE(root.IsOpen());
}

TEST_F(RegKeyTest, BadPathsFailWith87) {
  for (const wchar_t* path : {L"HKEY_CURRENT_USR\\Software", L"", L"\\Software", L"Software"}) {
    CNRegKey key(path, KEY_READ | KEY_WRITE);
    EXPECT_FALSE(key.IsOpen()) << path;
    EXPECT_EQ(key.GetLastError(), ERROR_INVALID_PARAMETER) << path;
    EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER) << path;
  }
  CNRegKey key;
  EXPECT_FALSE(key.Open(nullptr, KEY_READ));
  EXPECT_EQ(key.GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(key.OpenSubkeys(platform::RegistryKey(), L"Software", KEY_READ));
  EXPECT_EQ(key.GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(RegKeyTest, MissingKeysFailUnderReadAndAreCreatedUnderWrite) {
  CNRegKey key;
  EXPECT_EQ(key.GetLastError(), ERROR_INVALID_HANDLE) << "before any operation";
  EXPECT_FALSE(key.Open(L"HKCU\\Software\\Tovak\\Vemo\\Settings", KEY_READ));
  EXPECT_EQ(key.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.WasCreated());

  ASSERT_TRUE(key.Open(L"HKCU\\Software\\Tovak\\Vemo\\Settings", KEY_READ | KEY_WRITE));
  EXPECT_TRUE(key.WasCreated());
  EXPECT_EQ(key.GetAccess(), KEY_READ | KEY_WRITE);
  EXPECT_EQ(key.GetLastError(), ERROR_SUCCESS);
  ASSERT_TRUE(key.Open(L"HKCU\\Software\\Tovak\\Vemo\\Settings", KEY_READ | KEY_WRITE));
  EXPECT_FALSE(key.WasCreated()) << "nothing new this time";

  ASSERT_TRUE(key.Close());
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.GetAccess(), 0u);
  DWORD type = 0;
  EXPECT_FALSE(key.QueryValueInfo(L"x", &type, nullptr));
  EXPECT_EQ(key.GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(key.SetValue(L"x", CNRegData(1u)));
  EXPECT_EQ(key.GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(RegKeyTest, QueryValueReadsEveryTypeWholeAndReportsMissingOnes) {
  CNRegKey key(L"HKCU\\T", KEY_READ | KEY_WRITE);
  CNRegData big;
  ASSERT_TRUE(big.Reset(REG_BINARY, 100000));
  for (DWORD i = 0; i < big.GetSize(); ++i) big.GetBytes()[i] = static_cast<BYTE>(i * 7);
  ASSERT_TRUE(key.SetValue(L"Big", big));
  ASSERT_TRUE(key.SetValue(nullptr, CNRegData(L"default", REG_SZ)));
  CNRegData empty;
  ASSERT_TRUE(empty.Reset(REG_MULTI_SZ, 0));
  ASSERT_TRUE(key.SetValue(L"Empty", empty));

  CNRegData data;
  ASSERT_TRUE(key.QueryValue(L"Big", data));
  EXPECT_EQ(data.GetType(), REG_BINARY);
  ASSERT_EQ(data.GetSize(), 100000u);
  EXPECT_TRUE(std::equal(data.GetBytes(), data.GetBytes() + 100000, big.GetBytes()));
  std::wstring text;
  ASSERT_TRUE(key.QueryValue(nullptr, data));
  EXPECT_TRUE(data.AsString(&text, false));
  EXPECT_EQ(text, L"default");
  ASSERT_TRUE(key.QueryValue(L"Empty", data));
  EXPECT_EQ(data.GetType(), REG_MULTI_SZ);
  EXPECT_EQ(data.GetSize(), 0u);

  EXPECT_FALSE(key.QueryValue(L"Nothing", data));
  EXPECT_EQ(key.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(platform::LastError(), ERROR_FILE_NOT_FOUND);
}

// Only a word of exactly 4 bytes is a number, and only the two string types are text.
TEST(RegDataTest, ConvertsOnlyTheRightTypesAndSizes) {
  auto make = [](DWORD type, std::vector<BYTE> bytes) {
    CNRegData data;
    EXPECT_TRUE(data.Reset(type, static_cast<DWORD>(bytes.size())));
    std::copy(bytes.begin(), bytes.end(), data.GetBytes());
    return data;
  };
  struct Case {
    const char* what;
    CNRegData data;
    bool is_number;
    DWORD number;
    bool is_text;
    std::wstring text;
  } cases[] = {
      {"REG_DWORD", make(REG_DWORD, {5, 0, 0, 0}), true, 5, false, L""},
      {"big-endian word, bytes as they stand", make(REG_DWORD_BIG_ENDIAN, {0, 0, 0, 5}), true,
       0x05000000, false, L""},
      {"REG_DWORD of 8 bytes", make(REG_DWORD, {5, 0, 0, 0, 0, 0, 0, 0}), false, 0, false, L""},
      {"REG_DWORD of 3 bytes", make(REG_DWORD, {5, 0, 0}), false, 0, false, L""},
      {"REG_BINARY of 4 bytes", make(REG_BINARY, {5, 0, 0, 0}), false, 0, false, L""},
      {"REG_QWORD", make(REG_QWORD, {5, 0, 0, 0, 0, 0, 0, 0}), false, 0, false, L""},
      {"REG_SZ", CNRegData(L"a\u00e9\U0001F600", REG_SZ), false, 0, true, L"a\u00e9\U0001F600"},
      {"text stops at the first zero", make(REG_SZ, {'a', 0, 0, 0, 'b', 0}), false, 0, true, L"a"},
      {"text without a terminator", make(REG_SZ, {'a', 0, 'b', 0, 'c'}), false, 0, true, L"ab"},
      {"REG_EXPAND_SZ", CNRegData(L"%X%", REG_EXPAND_SZ), false, 0, true, L"%X%"},
      {"REG_MULTI_SZ", make(REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}), false, 0, false, L""},
      {"null text", CNRegData(static_cast<const wchar_t*>(nullptr), REG_SZ), false, 0, true, L""},
  };
  for (const Case& c : cases) {
    DWORD number = 0xDEAD;
    std::wstring text = L"unchanged";
    EXPECT_EQ(c.data.AsDword(&number), c.is_number) << c.what;
    EXPECT_EQ(number, c.is_number ? c.number : 0xDEAD) << c.what;
    EXPECT_EQ(c.data.AsString(&text, false), c.is_text) << c.what;
    EXPECT_EQ(text, c.is_text ? c.text : L"unchanged") << c.what;
  }
  EXPECT_EQ(CNRegData(L"ab", REG_SZ).GetSize(), 6u);
  EXPECT_EQ(CNRegData(static_cast<const wchar_t*>(nullptr), REG_SZ).GetSize(), 0u);
  EXPECT_EQ(CNRegData(0x01020304u).GetType(), REG_DWORD);
}

TEST(RegDataTest, ExpandsEnvironmentReferencesOnlyWhenAsked) {
  setenv("VEMO_TEST_DIR", "/srv/x", 1);
  unsetenv("VEMO_TEST_UNSET");
  const CNRegData data(L"%VEMO_TEST_DIR%\\a %VEMO_TEST_UNSET% 100%", REG_EXPAND_SZ);
  std::wstring text;
  ASSERT_TRUE(data.AsString(&text, true));
  EXPECT_EQ(text, L"/srv/x\\a %VEMO_TEST_UNSET% 100%");
  ASSERT_TRUE(data.AsString(&text, false));
  EXPECT_EQ(text, L"%VEMO_TEST_DIR%\\a %VEMO_TEST_UNSET% 100%");
  unsetenv("VEMO_TEST_DIR");
}

}  // namespace
