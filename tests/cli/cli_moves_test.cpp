// Moved and renamed files and directories: each reported once as moved with its old path, never as
// an unrelated missing and new pair; what cannot be paired for sure stays missing and new and says
// why; the list an update saves holds every file under its new path.
#include <filesystem>

#include "cli/cli_fixture.h"
#include "cli/json_line.h"

namespace vemo_test {
namespace {

namespace fs = std::filesystem;

class CliMovesTest : public CliFixture {
 protected:
  void Move(const std::string& from, const std::string& to) {
    const std::size_t slash = to.rfind('/');
    if (slash != std::string::npos) tree_.Dir(to.substr(0, slash));
    fs::rename(tree_.Path(from), tree_.Path(to));
  }
  // The JSON report's objects by path; the summary object under "".
  std::map<std::string, JsonValue> JsonReport(std::vector<std::string> args) {
    args.push_back("--json");
    const CliResult result = Run(args);
    std::map<std::string, JsonValue> objects;
    for (const std::string& line : Lines(result.out)) {
      auto object = JsonLineReader::ParseObject(line);
      EXPECT_TRUE(object) << line;
      if (!object) continue;
      const JsonValue* path = object->Get("path");
      objects[path != nullptr ? path->text : ""] = *object;
    }
    return objects;
  }
};

struct MoveCase {
  const char* name;
  // From, to, after the list was made; an empty "to" removes the (emptied) directory.
  std::vector<std::pair<std::string, std::string>> moves;
  std::map<std::string, ReportLine> expected;  // the whole report but the summary
};

class MoveReportTest : public CliMovesTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveReportTest, ReportsEachMoveOnce) {
  const MoveCase& c = GetParam();
  File("readme.txt", "read me");
  File("docs/plan.txt", "the plan");
  File("docs/notes.txt", "some notes");
  File("photos/2019/a.jpg", "picture a");
  File("photos/2019/b.jpg", "picture b");
  File("photos/c.jpg", "picture c");
  File("photos/twin1.jpg", "twin");  // two files alike, and an empty one, in a moved directory
  File("photos/twin2.jpg", "twin");
  File("photos/empty.txt", "");
  tree_.Dir("photos/raw");
  CreateList();
  for (const auto& [from, to] : c.moves) {
    if (to.empty()) {
      fs::remove(tree_.Path(from));
    } else {
      Move(from, to);
    }
  }

  const CliResult result = Run({"verify"});
  EXPECT_EQ(result.status, 1) << result.err;
  const auto report = Report(result.out);
  EXPECT_EQ(report.size(), c.expected.size()) << result.out;
  for (const auto& [path, line] : c.expected) {
    ASSERT_TRUE(report.count(path)) << path << "\n" << result.out;
    EXPECT_EQ(report.at(path).category, line.category) << path;
    EXPECT_EQ(report.at(path).note, line.note) << path;
  }

  // Update records every file under its new path: the tree then verifies clean.
  EXPECT_EQ(Run({"update"}).status, 1);
  const CliResult after = Run({"verify"});
  EXPECT_EQ(after.status, 0) << after.out;
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveReportTest,
    ::testing::Values(
        MoveCase{"FileIntoAnotherDirectory",
                 {{"readme.txt", "docs/readme.txt"}},
                 {{"docs/readme.txt", {"moved", "Moved from readme.txt"}}}},
        MoveCase{"FileRenamedInItsDirectory",
                 {{"docs/plan.txt", "docs/plan-2024.txt"}},
                 {{"docs/plan-2024.txt", {"moved", "Renamed from docs/plan.txt"}}}},
        MoveCase{"LetterCaseOnly",
                 {{"docs/plan.txt", "docs/Plan.TXT"}},
                 {{"docs/Plan.TXT", {"moved", "Renamed (letter case only) from docs/plan.txt"}}}},
        // Subdirectories (the empty one too), alike and empty files all come along.
        MoveCase{"DirectoryRenamed",
                 {{"photos", "pictures"}},
                 {{"pictures/", {"moved", "Renamed from photos/ with its 6 files"}}}},
        MoveCase{"DirectoryMovedIntoAnother",
                 {{"photos", "docs/photos"}},
                 {{"docs/photos/", {"moved", "Moved from photos/ with its 6 files"}}}},
        MoveCase{
            "SubdirectoryRenamed",
            {{"photos/2019", "photos/2019-summer"}},
            {{"photos/2019-summer/", {"moved", "Renamed from photos/2019/ with its 2 files"}}}},
        // One file renamed on the way: the directory's files are reported one by one.
        MoveCase{"DirectoryAndOneOfItsFilesRenamed",
                 {{"docs", "papers"}, {"papers/plan.txt", "papers/plan-2024.txt"}},
                 {{"papers/", {"new", "New directory"}},
                  {"papers/notes.txt", {"moved", "Moved from docs/notes.txt"}},
                  {"papers/plan-2024.txt", {"moved", "Moved from docs/plan.txt"}},
                  {"docs/", {"missing", "Directory not found"}}}},
        // Files of one directory spread over two: no directory move.
        MoveCase{"DirectorySplit",
                 {{"docs/plan.txt", "a/plan.txt"}, {"docs/notes.txt", "b/notes.txt"}, {"docs", ""}},
                 {{"a/", {"new", "New directory"}},
                  {"a/plan.txt", {"moved", "Moved from docs/plan.txt"}},
                  {"b/", {"new", "New directory"}},
                  {"b/notes.txt", {"moved", "Moved from docs/notes.txt"}},
                  {"docs/", {"missing", "Directory not found"}}}},
        // The files of two directories into one: the move of neither.
        MoveCase{"TwoDirectoriesMerged",
                 {{"docs/plan.txt", "all/plan.txt"},
                  {"docs/notes.txt", "all/notes.txt"},
                  {"photos/2019/a.jpg", "all/a.jpg"},
                  {"photos/2019/b.jpg", "all/b.jpg"},
                  {"docs", ""},
                  {"photos/2019", ""}},
                 {{"all/", {"new", "New directory"}},
                  {"all/plan.txt", {"moved", "Moved from docs/plan.txt"}},
                  {"all/notes.txt", {"moved", "Moved from docs/notes.txt"}},
                  {"all/a.jpg", {"moved", "Moved from photos/2019/a.jpg"}},
                  {"all/b.jpg", {"moved", "Moved from photos/2019/b.jpg"}},
                  {"docs/", {"missing", "Directory not found"}},
                  {"photos/2019/", {"missing", "Directory not found"}}}}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST_F(CliMovesTest, AlikeCandidatesPairWithNoneAndSaySo) {
  File("one/a.txt", "alike");   // one missing, two new alike
  File("two/b.txt", "double");  // two missing, one new alike
  File("two/c.txt", "double");
  File("empty.txt", "");  // every empty file looks alike: never paired on its own
  CreateList();
  Move("one/a.txt", "one/a1.txt");
  File("one/a2.txt", "alike");
  Move("two/b.txt", "two/d.txt");
  fs::remove(tree_.Path("two/c.txt"));
  Move("empty.txt", "void.txt");

  const auto report = Report(Run({"verify"}).out);
  const std::map<std::string, ReportLine> expected = {
      {"one/a.txt",
       {"missing", "File not found; not paired: 2 new files have the same size and checksums"}},
      {"one/a1.txt",
       {"new",
        "New file; not paired: 1 other new file and 1 missing file have the same size and "
        "checksums"}},
      {"one/a2.txt",
       {"new",
        "New file; not paired: 1 other new file and 1 missing file have the same size and "
        "checksums"}},
      {"two/b.txt",
       {"missing",
        "File not found; not paired: 1 new file and 1 other missing file have the same "
        "size and checksums"}},
      {"two/c.txt",
       {"missing",
        "File not found; not paired: 1 new file and 1 other missing file have the same "
        "size and checksums"}},
      {"two/d.txt",
       {"new", "New file; not paired: 2 missing files have the same size and checksums"}},
      {"empty.txt", {"missing", "File not found"}},
      {"void.txt", {"new", "New file"}},
  };
  ASSERT_EQ(report.size(), expected.size());
  for (const auto& [path, line] : expected) {
    EXPECT_EQ(report.at(path).category, line.category) << path;
    EXPECT_EQ(report.at(path).note, line.note) << path;
  }
  auto json = JsonReport({"verify"});
  const JsonValue* alike = json["two/d.txt"].Get("alike");
  ASSERT_TRUE(alike != nullptr);
  EXPECT_EQ(alike->Get("missing")->text, "2");
  EXPECT_EQ(alike->Get("new")->text, "1");
  EXPECT_EQ(json["void.txt"].Get("alike"), nullptr);
}

TEST_F(CliMovesTest, JsonNamesTheOldPathAndTheListedStateAndCountsWhatMoved) {
  File("a.txt", "alpha");
  File("dir/x.txt", "x");
  File("dir/sub/y.txt", "y");
  File("shift.txt", "shift");
  CreateList();
  Move("a.txt", "b/a.txt");
  File("b/a.txt", "alpha", kTreeTime + 300);  // moved and touched
  Move("dir", "folder");
  Move("shift.txt", "shifted.txt");
  File("shifted.txt", "shift", kTreeTime + 7200);  // a time-zone shift, tolerated

  const auto text = Report(Run({"verify"}).out);
  EXPECT_EQ(text.at("b/a.txt").note, "Moved from a.txt, Newer time stamp (+00:05:00)");
  EXPECT_EQ(text.at("shifted.txt").note,
            "Renamed from shift.txt; tolerated: whole-hour time shift (+02:00:00)");

  auto json = JsonReport({"verify"});
  const JsonValue& file = json["b/a.txt"];
  EXPECT_EQ(file.Get("category")->text, "moved");
  EXPECT_EQ(file.Get("from")->text, "a.txt");
  EXPECT_EQ(file.Get("date")->text, "2023-11-14 22:18:20");
  EXPECT_EQ(file.Get("listed")->Get("date")->text, "2023-11-14 22:13:20");
  EXPECT_EQ(file.Get("listed")->Get("size")->text, "5");
  EXPECT_EQ(file.Get("listed")->Get("crc")->text, file.Get("crc")->text);
  EXPECT_EQ(file.Get("files"), nullptr);
  const JsonValue& folder = json["folder/"];
  EXPECT_EQ(folder.Get("category")->text, "moved");
  EXPECT_EQ(folder.Get("from")->text, "dir/");
  EXPECT_EQ(folder.Get("files")->text, "2");
  const JsonValue* tolerated = json["shifted.txt"].Get("tolerated");
  ASSERT_EQ(tolerated->items.size(), 1u);
  EXPECT_EQ(tolerated->items[0]->Get("name")->text, "tz-shift");
  EXPECT_EQ(tolerated->items[0]->Get("by")->text, "+02:00:00");
  // Nothing inside the moved directory has a line of its own, but the summary counts it.
  EXPECT_EQ(json.count("folder/sub/"), 0u);
  EXPECT_EQ(json.count("folder/x.txt"), 0u);
  const JsonValue* summary = json[""].Get("summary");
  ASSERT_TRUE(summary != nullptr);
  EXPECT_EQ(summary->Get("files")->Get("moved")->text, "4");
  EXPECT_EQ(summary->Get("directories")->Get("moved")->text, "2");
  EXPECT_EQ(summary->Get("directories")->Get("new")->text, "1");  // b/
  EXPECT_EQ(summary->Get("missing")->text, "0");
}

TEST_F(CliMovesTest, RescanNewPairsAndNoMovesReportsMissingAndNew) {
  File("a.txt", "alpha");
  File("b.txt", "beta");
  CreateList();
  Move("a.txt", "c.txt");

  // --new reads the new file anyway, so its checksums are there to pair with.
  const CliResult rescan_new = Run({"verify", "--new"});
  EXPECT_EQ(rescan_new.status, 1);
  EXPECT_EQ(Report(rescan_new.out).at("c.txt").category, "moved") << rescan_new.out;

  const CliResult unpaired = Run({"verify", "--no-moves"});
  EXPECT_EQ(unpaired.status, 1);
  const auto report = Report(unpaired.out);
  EXPECT_EQ(report.at("a.txt").category, "missing");
  EXPECT_EQ(report.at("c.txt").category, "new");
}

}  // namespace
}  // namespace vemo_test
