#include "platform/error_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/error_codes.h"

namespace {

TEST(SystemErrorText, WordsCodesAsWindowsDoes) {
  EXPECT_EQ(platform::SystemErrorText(ERROR_FILE_NOT_FOUND),
            L"The system cannot find the file specified.");
  EXPECT_EQ(platform::SystemErrorText(ERROR_ACCESS_DENIED), L"Access is denied.");
  EXPECT_EQ(platform::SystemErrorText(ERROR_DISK_FULL), L"There is not enough space on the disk.");
  EXPECT_EQ(platform::SystemErrorText(ERROR_SUCCESS), L"The operation completed successfully.");
  EXPECT_EQ(platform::SystemErrorText(ERROR_CANT_RESOLVE_FILENAME),
            L"The name of the file cannot be resolved by the system.");
  EXPECT_EQ(platform::SystemErrorText(0xFFFFFFFF), L"");
  EXPECT_EQ(platform::SystemErrorText(2150), L"");  // network messages are not part of this build
}

// A code added to error_codes.h without its text would show as "Unknown system error".
TEST(SystemErrorText, EveryCodeTheBuildProducesHasItsText) {
  const auto header = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() /
                      "platform" / "error_codes.h";
  std::ifstream in(header);
  ASSERT_TRUE(in) << header;
  int seen = 0;
  for (std::string line; std::getline(in, line);) {
    // inline constexpr DWORD ERROR_NAME = 123;
    const size_t name = line.find("DWORD ERROR_");
    const size_t equals = line.find('=');
    if (name == std::string::npos || equals == std::string::npos) continue;
    ++seen;
    const DWORD code = static_cast<DWORD>(std::stoul(line.substr(equals + 1)));
    EXPECT_FALSE(platform::SystemErrorText(code).empty()) << line;
  }
  EXPECT_GT(seen, 30);
}

}  // namespace
