#include "platform/error_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
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
  const std::regex constant(R"(DWORD\s+(ERROR_\w+)\s*=\s*(\d+)\s*;)");
  int seen = 0;
  for (std::string line; std::getline(in, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, constant)) continue;
    ++seen;
    EXPECT_FALSE(platform::SystemErrorText(std::stoul(match[2])).empty()) << match[1];
  }
  EXPECT_GT(seen, 30);
}

}  // namespace
