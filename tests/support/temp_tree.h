// A real directory tree under /tmp for tests, removed with everything in it when the object dies.
#pragma once
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace vemo_test {

class TempTree {
 public:
  TempTree() {
    char pattern[] = "/tmp/vemo_test_XXXXXX";
    const char* made = mkdtemp(pattern);
    root_ = made != nullptr ? std::string(made) + "/" : std::string();
  }
  ~TempTree() {
    std::error_code ignored;
    if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Absolute path of the root, ending in '/'.
  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + relative; }

  void Dir(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
  }
  void File(const std::string& relative, const std::string& contents) const {
    std::ofstream out(Path(relative), std::ios::binary);
    out << contents;
  }
  void Link(const std::string& relative, const std::string& target) const {
    if (symlink(target.c_str(), Path(relative).c_str()) != 0) throw std::runtime_error("symlink");
  }
  // Sets the last-write time (seconds and nanoseconds since 1970) without following links.
  void SetTime(const std::string& relative, time_t seconds, long nanoseconds = 0) const {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    utimensat(AT_FDCWD, Path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW);
  }

 private:
  std::string root_;
};

}  // namespace vemo_test
