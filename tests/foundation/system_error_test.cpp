#include "foundation/system_error.h"

#include <gtest/gtest.h>

#include "foundation/environment_var.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

TEST(FormatSystemError, NumberAndLineBreakFlags) {
  const std::wstring text = L"The system cannot find the file specified.";
  EXPECT_EQ(FormatSystemError(2), text);
  EXPECT_EQ(FormatSystemError(2, true, true), L"Error 2: " + text + L"\r\n");
  EXPECT_EQ(FormatSystemError(2, false, true), text + L"\r\n");
  EXPECT_EQ(FormatSystemError(5, true), L"Error 5: Access is denied.");
}

TEST(FormatSystemError, UnknownCodesAlwaysCarryTheirNumber) {
  EXPECT_EQ(FormatSystemError(12345), L"Error 12345: Unknown system error");
  EXPECT_EQ(FormatSystemError(2102, false, true), L"Error 2102: Unknown system error\r\n");
}

TEST(FormatSystemError, TakesTheLastErrorAndLeavesIt) {
  platform::SetLastError(ERROR_DISK_FULL);
  EXPECT_EQ(FormatSystemError(kUseLastError, true),
            L"Error 112: There is not enough space on the disk.");
  EXPECT_EQ(platform::LastError(), ERROR_DISK_FULL);
}

TEST(GetEnvVar, ReadsLongValuesWhole) {
  const std::string long_value(5000, 't');
  setenv("VEMO_TEST_TEMP", long_value.c_str(), 1);
  std::wstring value = L"old";
  ASSERT_TRUE(GetEnvVar(L"VEMO_TEST_TEMP", value));
  EXPECT_EQ(value, std::wstring(5000, L't'));
  EXPECT_EQ(GetEnvVar(L"VEMO_TEST_TEMP").size(), 5000U);
  unsetenv("VEMO_TEST_TEMP");

  value = L"old";
  EXPECT_FALSE(GetEnvVar(L"VEMO_TEST_TEMP", value));
  EXPECT_EQ(value, L"old");
  EXPECT_EQ(GetEnvVar(L"VEMO_TEST_TEMP"), L"");
}

}  // namespace
