#include "document/reg_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "document/app_settings.h"
#include "foundation/process_values.h"
#include "foundation/reg_key.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "support/process_values_reset.h"
#include "support/temp_config_home.h"

namespace {

constexpr wchar_t kPath[] = L"HKCU\\Software\\Tovak\\Vemo\\Settings";
constexpr char kHeader[] = "Windows Registry Editor Version 5.00\n\n";
constexpr char kSection[] = "[HKEY_CURRENT_USER\\Software\\Tovak\\Vemo\\Settings]\n";

class RegSettingsTest : public ::testing::Test {
 protected:
  void Store(const std::string& values) {
    home_.WriteStore(kHeader + std::string(kSection) + values);
  }
  [[nodiscard]] bool StoreExists() const { return std::filesystem::exists(home_.StoreFile()); }

  TempConfigHome home_;
  CNRegSettings store_{L"TEST"};
  DWORD number_ = 5;
  std::atomic<DWORD> flag_{1};
  std::wstring text_ = L"default";

  void Bind() {
    ASSERT_TRUE(store_.SetPath(kPath));
    ASSERT_TRUE(store_.AddValue(L"Number", &number_));
    ASSERT_TRUE(store_.AddValue(L"Flag", &flag_));
    ASSERT_TRUE(store_.AddValue(L"Text", &text_));
  }
};

TEST_F(RegSettingsTest, AMissingKeyFailsALoadOnlyWhenRequired) {
  Bind();
  EXPECT_TRUE(store_.Load(false));
  EXPECT_FALSE(store_.Load(true));
  EXPECT_EQ(number_, 5u);
  EXPECT_EQ(text_, L"default");
  EXPECT_FALSE(store_.IsModified());
  EXPECT_FALSE(StoreExists()) << "loading creates nothing";
}

TEST_F(RegSettingsTest, UnusableValuesLeaveTheVariablesAlone) {
  Store(
      "\"Number\"=\"12\"\n"                          // a string, not a number
      "\"Flag\"=hex(4):00,00,00,00,00,00,00,00\n"    // a word of 8 bytes
      "\"Text\"=hex(2):25,00,48,00,25,00,00,00\n");  // REG_EXPAND_SZ "%H%"
  setenv("H", "expanded", 1);
  Bind();
  EXPECT_TRUE(store_.Load(false));
  EXPECT_EQ(number_, 5u);
  EXPECT_EQ(flag_.load(), 1u);
  EXPECT_EQ(text_, L"%H%") << "references stay unexpanded";
  EXPECT_FALSE(store_.Load(true)) << "the first unusable value fails a required load";
  unsetenv("H");
}

TEST_F(RegSettingsTest, ChangedAndChangedBackWritesNothing) {
  Bind();
  ASSERT_TRUE(store_.Load(false));
  number_ = 6;
  EXPECT_TRUE(store_.IsModified());
  number_ = 5;
  EXPECT_FALSE(store_.IsModified());
  EXPECT_TRUE(store_.Save(false));
  EXPECT_FALSE(StoreExists()) << "nothing changed, so the key was not even created";
}

TEST_F(RegSettingsTest, ASaveWritesChangedAndMissingValuesOnly) {
  Store("\"Number\"=dword:00000005\n\"Flag\"=dword:00000001\n");
  Bind();
  ASSERT_TRUE(store_.Load(false));
  // Another program changes a value this store loaded and did not change: it must survive.
  Store("\"Number\"=dword:00000009\n\"Flag\"=dword:00000001\n");
  flag_ = 0;
  ASSERT_TRUE(store_.Save(false));
  EXPECT_EQ(home_.ReadStore(), kHeader + std::string(kSection) +
                                   "\"Number\"=dword:00000009\n\"Flag\"=dword:00000000\n"
                                   "\"Text\"=\"default\"\n");
  EXPECT_FALSE(store_.IsModified());

  // Forced, every value is written.
  ASSERT_TRUE(store_.Save(true));
  EXPECT_NE(home_.ReadStore().find("\"Number\"=dword:00000005"), std::string::npos);
}

TEST_F(RegSettingsTest, SetModifiedDecidesWhetherASaveWrites) {
  Bind();
  text_ = L"changed";
  store_.Clear();
  ASSERT_TRUE(store_.AddValue(L"Text", &text_));
  EXPECT_FALSE(store_.IsModified()) << "binding takes the current contents as unchanged";

  CNRegStringValue value(L"Text", &text_);
  value.SetModified(true);
  EXPECT_TRUE(value.IsModified());
  value.SetModified(false);
  EXPECT_FALSE(value.IsModified());
  EXPECT_EQ(value.ToString(), L"\"changed\"");
  CNRegDwordValue number(L"Number", &number_);
  EXPECT_EQ(number.ToString(), L"5");

  store_.SetModified(true);
  ASSERT_TRUE(store_.Save(false));
  EXPECT_NE(home_.ReadStore().find("\"Text\"=\"changed\""), std::string::npos);
  store_.Clear();
  EXPECT_FALSE(store_.IsModified());
  EXPECT_EQ(store_.GetCount(), 0u);
}

TEST_F(RegSettingsTest, ASaveThatCannotWriteFailsWithTheErrorCode) {
  std::ofstream(home_.Root() / "config") << "a file where the directory should be";
  Bind();
  EXPECT_TRUE(store_.Load(false)) << "loads fall back to the defaults";
  number_ = 7;
  EXPECT_FALSE(store_.Save(false));
  EXPECT_EQ(platform::LastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(store_.IsModified()) << "still to be saved";
}

// The process-wide values are restored after each test.
class AppSettingsTest : public ::testing::Test {
 protected:
  ~AppSettingsTest() override {
    vemo_test::ResetProcessValues();
    AppSettingsStore().Clear();
  }
  TempConfigHome home_;
};

TEST_F(AppSettingsTest, FirstRunKeepsTheDefaultsAndWritesOnlyWhenSomethingChanged) {
  ASSERT_TRUE(LoadAppSettings());
  EXPECT_EQ(AppSettingsStore().GetPath(), kPath);
  EXPECT_EQ(AppSettingsStore().GetName(), L"SET");
  EXPECT_EQ(ShowFlags.load(), 63u);
  EXPECT_EQ(WebPage, kDefaultWebPage);
  ASSERT_TRUE(SaveAppSettings());
  EXPECT_FALSE(std::filesystem::exists(home_.StoreFile()));

  ShowFlags ^= SF_NEW;  // the user hides new files
  ASSERT_TRUE(SaveAppSettings());
  EXPECT_EQ(home_.ReadStore(), kHeader + std::string(kSection) +
                                   "\"Gridlines\"=dword:00000001\n"
                                   "\"FollowScan\"=dword:00000000\n"
                                   "\"ShowFlags\"=dword:0000003b\n"
                                   "\"TolTZShift\"=dword:00000001\n"
                                   "\"Tol2Seconds\"=dword:00000001\n"
                                   "\"TolARAttrOnCD\"=dword:00000001\n"
                                   "\"WebPage\"=\"https://www.tovak.example/vemo/\"\n");

  // The next run finds them all.
  ShowFlags = 63;
  ASSERT_TRUE(LoadAppSettings());
  EXPECT_EQ(ShowFlags.load(), 0x3bu);
  EXPECT_FALSE(AppSettingsStore().IsModified());
}

TEST_F(AppSettingsTest, StoredValuesReplaceTheDefaultsAndUnusableOnesAreIgnored) {
  home_.WriteStore(kHeader + std::string(kSection) +
                   "\"Gridlines\"=\"0\"\n"
                   "\"FollowScan\"=dword:00000001\n"
                   "\"TolTZShift\"=hex(4):00,00,00,00,00,00,00,00\n"
                   "\"WebPage\"=\"https://mirror.example/\"\n");
  ASSERT_TRUE(LoadAppSettings());
  EXPECT_EQ(Gridlines.load(), 1u) << "a string is no number";
  EXPECT_EQ(TolTZShift.load(), 1u) << "a word of 8 bytes is no number";
  EXPECT_EQ(FollowScan.load(), 1u);
  EXPECT_EQ(WebPage, L"https://mirror.example/");

  // A changed value writes itself and the values that were absent or unusable; the stored web
  // page, loaded and unchanged, is left alone.
  Tol2Seconds = 0;
  ASSERT_TRUE(SaveAppSettings());
  EXPECT_EQ(home_.ReadStore(), kHeader + std::string(kSection) +
                                   "\"Gridlines\"=dword:00000001\n"
                                   "\"FollowScan\"=dword:00000001\n"
                                   "\"TolTZShift\"=dword:00000001\n"
                                   "\"WebPage\"=\"https://mirror.example/\"\n"
                                   "\"ShowFlags\"=dword:0000003f\n"
                                   "\"Tol2Seconds\"=dword:00000000\n"
                                   "\"TolARAttrOnCD\"=dword:00000001\n");
}

TEST(AppSettingsPath, EndsInExactlyOneBackslashBeforeSettings) {
  EXPECT_EQ(SettingsPathFor(L"HKCU\\Software\\Tovak\\Vemo\\"), kPath);
  EXPECT_EQ(SettingsPathFor(L"HKCU\\Software\\Tovak\\Vemo"), kPath);
  EXPECT_EQ(SettingsPathFor(L"HKCU\\Software\\Tovak\\Vemo\\\\"), kPath);
}

}  // namespace
