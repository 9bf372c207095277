// Every #include of the product points to its own layer or a lower one:
//   platform < foundation < records < engine < document < cli, ui
// cli and ui never include each other, and only ui includes Qt. document/entries counts as
// document. Quoted includes name a file from the project root ("layer/name.h").
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/temp_tree.h"

namespace {

namespace fs = std::filesystem;

const std::map<std::string, int>& LayerRanks() {
  static const std::map<std::string, int> ranks = {
      {"platform", 0}, {"foundation", 1}, {"records", 2}, {"engine", 3},
      {"document", 4}, {"cli", 5},        {"ui", 5},
  };
  return ranks;
}

// The layer of a path relative to the project root, or nothing outside the layers.
std::optional<std::string> LayerOf(const std::string& relative) {
  const std::string top = relative.substr(0, relative.find('/'));
  if (top == relative || LayerRanks().count(top) == 0) return std::nullopt;
  return top;
}

// An include that breaks the layering until the layers move; a use of the exception it grants
// is not reported, and an exception nothing uses any more fails the check, so it is removed.
struct Exception {
  std::string from_layer;
  std::string include_prefix;
};

struct Result {
  std::vector<std::string> violations;
  std::vector<std::string> unused_exceptions;
  int files = 0;
  int includes = 0;
};

Result CheckLayering(const fs::path& root, const std::vector<Exception>& exceptions) {
  static const std::regex quoted(R"re(^\s*#\s*include\s*"([^"]+)")re");
  static const std::regex qt(R"re(^\s*#\s*include\s*<(Qt|Q[A-Z])[^>]*>)re");
  Result result;
  std::vector<bool> used(exceptions.size(), false);
  std::vector<fs::path> files;
  for (const auto& [layer, rank] : LayerRanks()) {
    if (!fs::is_directory(root / layer)) continue;
    for (const auto& item : fs::recursive_directory_iterator(root / layer)) {
      const std::string ext = item.path().extension().string();
      if (item.is_regular_file() && (ext == ".h" || ext == ".cpp" || ext == ".c")) {
        files.push_back(item.path());
      }
    }
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    ++result.files;
    const std::string from = fs::relative(file, root).generic_string();
    const std::string from_layer = *LayerOf(from);
    std::ifstream in(file);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      const std::string where = from + ":" + std::to_string(number) + ": ";
      std::smatch match;
      if (std::regex_search(line, match, qt) && from_layer != "ui") {
        result.violations.push_back(where + "Qt header outside ui/: " + line);
        continue;
      }
      if (!std::regex_search(line, match, quoted)) continue;
      ++result.includes;
      const std::string target = match[1].str();
      const std::optional<std::string> to_layer = LayerOf(target);
      if (!to_layer || !fs::exists(root / target)) {
        result.violations.push_back(where + "\"" + target +
                                    "\" is not a file of a layer named from the project root");
        continue;
      }
      if (*to_layer == from_layer) continue;
      const int from_rank = LayerRanks().at(from_layer);
      const int to_rank = LayerRanks().at(*to_layer);
      if (to_rank < from_rank) continue;
      bool excepted = false;
      for (std::size_t i = 0; i < exceptions.size(); ++i) {
        if (exceptions[i].from_layer == from_layer &&
            target.rfind(exceptions[i].include_prefix, 0) == 0) {
          used[i] = excepted = true;
        }
      }
      if (excepted) continue;
      result.violations.push_back(where + from_layer + " includes " +
                                  (to_rank == from_rank ? "its sibling " : "the higher layer ") +
                                  *to_layer + ": \"" + target + "\"");
    }
  }
  for (std::size_t i = 0; i < exceptions.size(); ++i) {
    if (!used[i]) {
      result.unused_exceptions.push_back(exceptions[i].from_layer + " -> " +
                                         exceptions[i].include_prefix);
    }
  }
  return result;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

TEST(IncludeLayering, ReportsEveryIncludeThatPointsUpOrSideways) {
  vemo_test::TempTree tree;
  tree.Dir("platform");
  tree.Dir("engine");
  tree.Dir("document/entries");
  tree.Dir("cli");
  tree.Dir("ui/framework");
  tree.Dir("tests");
  tree.File("platform/base.h", "#pragma once\n");
  tree.File("engine/scan.h", "#include \"platform/base.h\"\n#include \"document/doc.h\"\n");
  tree.File("engine/worker.cpp", "#include \"document/entries/entry.h\"\n");
  tree.File("document/doc.h", "#include <string>\n#include <QString>\n");
  tree.File("document/entries/entry.h",
            "#include \"document/doc.h\"\n#include \"engine/scan.h\"\n#include \"missing/x.h\"\n");
  tree.File("cli/main.cpp", "  #  include \"ui/framework/app.h\"\n#include \"document/doc.h\"\n");
  tree.File("ui/framework/app.h",
            "#include <QtWidgets/QWidget>\n#include \"cli/main.cpp\"\n#include \"app.h\"\n");
  tree.File("tests/t.cpp", "#include \"ui/framework/app.h\"\n");

  const Result result =
      CheckLayering(tree.root(), {{"engine", "document/entries/"}, {"platform", "foundation/"}});
  EXPECT_EQ(result.violations,
            (std::vector<std::string>{
                "cli/main.cpp:1: cli includes its sibling ui: \"ui/framework/app.h\"",
                "document/doc.h:2: Qt header outside ui/: #include <QString>",
                "document/entries/entry.h:3: \"missing/x.h\" is not a file of a layer named from "
                "the project root",
                "engine/scan.h:2: engine includes the higher layer document: \"document/doc.h\"",
                "ui/framework/app.h:2: ui includes its sibling cli: \"cli/main.cpp\"",
                "ui/framework/app.h:3: \"app.h\" is not a file of a layer named from the project "
                "root",
            }))
      << Lines(result.violations);
  EXPECT_EQ(result.unused_exceptions, std::vector<std::string>{"platform -> foundation/"});
  EXPECT_EQ(result.files, 7);
}

TEST(IncludeLayering, ProductIncludesPointOnlyDownward) {
  const Result result = CheckLayering(VEMO_SOURCE_DIR, {});
  EXPECT_TRUE(result.violations.empty()) << Lines(result.violations);
  EXPECT_TRUE(result.unused_exceptions.empty()) << "no longer needed, remove from this test:\n"
                                                << Lines(result.unused_exceptions);
  // A wrong source directory would pass vacuously.
  EXPECT_GT(result.files, 200);
  EXPECT_GT(result.includes, 400);
}

}  // namespace
