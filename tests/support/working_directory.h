// Changes the process's current directory for one test and restores it afterwards. Tests that use
// it must not run at the same time as others that depend on the current directory.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vemo_test {

class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& dir) : saved_(getcwd(nullptr, 0)) {
    EXPECT_EQ(chdir(dir.c_str()), 0);
  }
  ~WorkingDirectory() {
    EXPECT_EQ(chdir(saved_), 0);
    std::free(saved_);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  char* saved_;
};

}  // namespace vemo_test
