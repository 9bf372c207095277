// A fixture for running vemo-cli on a temporary tree: a fresh settings directory, UTC as the
// local time zone (the Date column), files with fixed times, and the report read back as lines.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_process.h"
#include "gtest/gtest.h"
#include "support/fault_file_system.h"
#include "support/temp_config_home.h"
#include "support/temp_tree.h"

namespace vemo_test {

// 2023-11-14 22:13:20 UTC.
inline constexpr time_t kTreeTime = 1700000000;

// One line of the text report.
struct ReportLine {
  std::string category;
  std::string note;
};

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override { setenv("TZ", "UTC", 1); }

  // A file with contents and a fixed time; missing directories on its way are made.
  void File(const std::string& relative, const std::string& contents, time_t time = kTreeTime) {
    const std::size_t slash = relative.rfind('/');
    if (slash != std::string::npos) tree_.Dir(relative.substr(0, slash));
    tree_.File(relative, contents);
    tree_.SetTime(relative, time);
  }
  std::string Root() const { return tree_.root(); }
  std::string ListPath() const { return tree_.Path("check.sum"); }

  // Runs vemo-cli with args followed by the tree's root (no progress line: the pipe is no
  // terminal anyway).
  CliResult Run(std::vector<std::string> args, const std::vector<std::string>& env = {}) const {
    args.push_back(Root());
    return RunCli(args, env);
  }
  // The same, with every file and directory whose name ends in ".unreadable" unreadable (the
  // tests run as root, where permission bits stop nothing).
  CliResult RunUnreadable(std::vector<std::string> args) const {
    args.push_back(Root());
    FaultFileSystem files;
    for (const char* suffix : {".unreadable", ".unreadable/"}) {
      files.Fail({.call = FsCall::kOpenForRead, .path_suffix = suffix});
      files.Fail({.call = FsCall::kOpenListing, .path_suffix = suffix});
    }
    return CliProcess(args, CliFileAccess{&files, &files}).Wait();
  }
  // Makes the list of the tree as it is now.
  void CreateList() {
    const CliResult created = Run({"create"});
    ASSERT_EQ(created.status, 0) << created.err;
    ASSERT_TRUE(std::filesystem::exists(ListPath()));
  }

  // The text report by path; the summary line is left out and returned in *summary.
  static std::map<std::string, ReportLine> Report(const std::string& out,
                                                  std::string* summary = nullptr) {
    std::map<std::string, ReportLine> report;
    for (const std::string& line : Lines(out)) {
      if (line.rfind("Summary: ", 0) == 0) {
        if (summary != nullptr) *summary = line;
        continue;
      }
      const std::size_t tab1 = line.find('\t');
      const std::size_t tab2 = line.find('\t', tab1 + 1);
      EXPECT_NE(tab2, std::string::npos) << line;
      if (tab2 == std::string::npos) continue;
      EXPECT_EQ(line.find('\t', tab2 + 1), std::string::npos) << line;
      report[line.substr(tab1 + 1, tab2 - tab1 - 1)] = {line.substr(0, tab1),
                                                        line.substr(tab2 + 1)};
    }
    return report;
  }

  TempConfigHome config_;
  TempTree tree_;
};

}  // namespace vemo_test
