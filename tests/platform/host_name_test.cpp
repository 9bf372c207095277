#include "platform/host_name.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/executable_path.h"

namespace {

TEST(HostName, IsTheSystemHostName) {
  char expected[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(expected, sizeof expected - 1), 0);
  std::wstring name;
  ASSERT_TRUE(platform::HostName(name));
  EXPECT_EQ(name, std::wstring(expected, expected + std::char_traits<char>::length(expected)));
}

TEST(ExecutablePath, NamesTheRunningProgram) {
  std::string path;
  ASSERT_TRUE(platform::ExecutablePath(path));
  ASSERT_EQ(path.front(), '/');
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_NE(path.find("vemo_platform_tests"), std::string::npos);
}

}  // namespace
