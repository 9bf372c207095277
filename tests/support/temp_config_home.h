// Points XDG_CONFIG_HOME (and HOME) at a fresh temporary directory for the life of a test, so
// registry tests never touch the user's own settings. Removes the directory afterwards.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

class TempConfigHome {
 public:
  TempConfigHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vemo-cfg-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    root_ = pattern;
    Save("XDG_CONFIG_HOME", &old_xdg_);
    Save("HOME", &old_home_);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("HOME", root_.c_str(), 1);
  }
  ~TempConfigHome() {
    Restore("XDG_CONFIG_HOME", old_xdg_);
    Restore("HOME", old_home_);
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  [[nodiscard]] const std::filesystem::path& Root() const { return root_; }
  [[nodiscard]] std::filesystem::path StoreDir() const { return root_ / "config" / "vemo"; }
  [[nodiscard]] std::filesystem::path StoreFile() const { return StoreDir() / "registry.reg"; }

  [[nodiscard]] std::string ReadStore() const { return ReadFile(StoreFile()); }
  // Writes the store as a new file (a new inode), so readers cannot mistake it for the old one.
  void WriteStore(const std::string& text) const {
    std::filesystem::create_directories(StoreDir());
    const auto temp = StoreDir() / "test.tmp";
    std::ofstream(temp, std::ios::binary) << text;
    std::filesystem::rename(temp, StoreFile());
  }

  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  static void Save(const char* name, std::optional<std::string>* out) {
    if (const char* v = getenv(name)) *out = v;
  }
  static void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

  std::filesystem::path root_;
  std::optional<std::string> old_xdg_;
  std::optional<std::string> old_home_;
};
