// What vemo-cli reports: every category with the notes of the list view, the JSON Lines form of
// the same report, names that need escaping, the tolerances and where their defaults come from,
// and Rescan New.
#include <filesystem>
#include <fstream>

#include "cli/cli_fixture.h"
#include "cli/json_line.h"

namespace vemo_test {
namespace {

using CliReportTest = CliFixture;

constexpr time_t kDay = 86400;

// A tree whose list is made, then changed in every way the report tells apart.
class EveryCategoryTest : public CliFixture {
 protected:
  void SetUp() override {
    CliFixture::SetUp();
    File("same.txt", "same");
    File("grown.txt", "grown");
    File("damaged.bin", "0123456789");
    File("touched.txt", "touched");
    File("shifted.txt", "shifted");
    File("gone.txt", "gone");
    File("f.unreadable", "secret");
    tree_.Dir("olddir");
    File("olddir/x.txt", "x");
    tree_.Dir("keep");
    File("keep/k.txt", "k");
    CreateList();

    File("grown.txt", "grown bigger", kTreeTime + 2 * kDay);
    File("damaged.bin", "0123456X89");  // same size, same time: silent corruption
    File("touched.txt", "touched", kTreeTime + 300);
    File("shifted.txt", "shifted", kTreeTime + 3600);  // a time-zone shift, tolerated
    std::filesystem::remove(tree_.Path("gone.txt"));
    std::filesystem::remove_all(tree_.Path("olddir"));
    File("fresh.txt", "fresh");
    tree_.Dir("newdir");
  }
};

struct Expected {
  const char* path;
  const char* category;
  const char* note;
};

const Expected kEveryCategory[] = {
    {"same.txt", "unchanged", "Contents unchanged"},
    {"shifted.txt", "unchanged",
     "Contents unchanged; tolerated: whole-hour time shift (+01:00:00)"},
    {"keep/", "unchanged", ""},
    {"keep/k.txt", "unchanged", "Contents unchanged"},
    {"grown.txt", "changed", "Contents changed, Newer time stamp (+2d 00:00:00)"},
    {"touched.txt", "changed", "Contents unchanged, Newer time stamp (+00:05:00)"},
    {"damaged.bin", "damaged?", "Contents changed"},
    {"fresh.txt", "new", "New file"},
    {"newdir/", "new", "New directory"},
    {"gone.txt", "missing", "File not found"},
    {"olddir/", "missing", "Directory not found"},
    {"olddir/x.txt", "missing", "File not found"},
    {"f.unreadable", "error", "Access is denied."},
};

TEST_F(EveryCategoryTest, TextReportNamesEachEntryWithTheListViewNote) {
  const CliResult result = RunUnreadable({"verify", "--all"});
  EXPECT_EQ(result.status, 1) << result.err;
  std::string summary;
  const auto report = Report(result.out, &summary);
  for (const Expected& e : kEveryCategory) {
    ASSERT_TRUE(report.count(e.path)) << e.path << "\n" << result.out;
    EXPECT_EQ(report.at(e.path).category, e.category) << e.path;
    EXPECT_EQ(report.at(e.path).note, e.note) << e.path;
  }
  EXPECT_EQ(report.size(), std::size(kEveryCategory)) << result.out;
  EXPECT_EQ(
      summary,
      "Summary: files 3 unchanged, 2 changed, 1 damaged?, 0 moved, 1 new, 2 missing, 1 error; "
      "directories 1 unchanged, 0 moved, 1 new, 1 missing, 0 errors");
  // The summary comes last.
  EXPECT_EQ(Lines(result.out).back(), summary);

  // Without --all the unchanged entries are left out; --quiet keeps only the summary.
  const CliResult changes = RunUnreadable({"verify"});
  EXPECT_EQ(changes.status, 1);
  EXPECT_EQ(Report(changes.out).size(), std::size(kEveryCategory) - 4);
  const CliResult quiet = RunUnreadable({"verify", "--quiet"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(Lines(quiet.out), std::vector<std::string>{summary});
}

TEST_F(EveryCategoryTest, JsonLinesCarryTheSameReportWithEveryColumn) {
  const CliResult text = RunUnreadable({"verify", "--all"});
  const CliResult json = RunUnreadable({"verify", "--all", "--json"});
  EXPECT_EQ(json.status, 1) << json.err;
  const auto report = Report(text.out);
  const std::vector<std::string> lines = Lines(json.out);
  ASSERT_EQ(lines.size(), report.size() + 1);

  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto object = JsonLineReader::ParseObject(lines[i]);
    ASSERT_TRUE(object) << lines[i];
    EXPECT_EQ(object->members.size(), 10u) << lines[i];
    const JsonValue* path = object->Get("path");
    ASSERT_TRUE(path && path->kind == JsonValue::Kind::kString) << lines[i];
    ASSERT_TRUE(report.count(path->text)) << lines[i];
    EXPECT_EQ(object->Get("category")->text, report.at(path->text).category);
    EXPECT_EQ(object->Get("note")->text, report.at(path->text).note);
    const bool directory = path->text.back() == '/';
    ASSERT_EQ(object->Get("directory")->kind, JsonValue::Kind::kBool);
    EXPECT_EQ(object->Get("directory")->boolean, directory);
    for (const char* key : {"date", "attr", "crc"}) {
      ASSERT_TRUE(object->Get(key) && object->Get(key)->kind == JsonValue::Kind::kString) << key;
    }
    const JsonValue* size = object->Get("size");
    ASSERT_TRUE(size != nullptr);
    if (directory) {
      EXPECT_EQ(size->kind, JsonValue::Kind::kNull) << lines[i];
      EXPECT_EQ(object->Get("crc")->text, "");
    } else {
      EXPECT_EQ(size->kind, JsonValue::Kind::kNumber) << lines[i];
      EXPECT_EQ(object->Get("attr")->text.size(), 12u);
    }
    // The listed state beside the found one; null for what the list did not hold.
    const JsonValue* listed = object->Get("listed");
    ASSERT_TRUE(listed != nullptr);
    EXPECT_EQ(listed->kind, report.at(path->text).category == "new" ? JsonValue::Kind::kNull
                                                                    : JsonValue::Kind::kObject)
        << lines[i];
    const JsonValue* tolerated = object->Get("tolerated");
    ASSERT_TRUE(tolerated && tolerated->kind == JsonValue::Kind::kArray) << lines[i];
    EXPECT_EQ(tolerated->items.size(), path->text == "shifted.txt" ? 1u : 0u) << lines[i];
    if (path->text == "grown.txt") {
      EXPECT_EQ(size->text, "12");
      EXPECT_EQ(object->Get("date")->text, "2023-11-16 22:13:20");
      EXPECT_EQ(object->Get("crc")->text.size(), std::string("0x12345678/0x12345678").size());
      EXPECT_EQ(listed->Get("size")->text, "5");
      EXPECT_EQ(listed->Get("date")->text, "2023-11-14 22:13:20");
      EXPECT_EQ(listed->Get("attr")->text, object->Get("attr")->text);
      EXPECT_NE(listed->Get("crc")->text, object->Get("crc")->text);
    }
    if (path->text == "shifted.txt") {
      EXPECT_EQ(tolerated->items[0]->Get("name")->text, "tz-shift");
      EXPECT_EQ(tolerated->items[0]->Get("by")->text, "+01:00:00");
    }
    if (path->text == "f.unreadable") {
      EXPECT_EQ(object->Get("crc")->text, "Error (5)");
    }
    if (path->text == "gone.txt") {
      EXPECT_EQ(size->text, "4");  // the listed state
    }
  }
  const auto summary = JsonLineReader::ParseObject(lines.back());
  ASSERT_TRUE(summary) << lines.back();
  const JsonValue* counts = summary->Get("summary");
  ASSERT_TRUE(counts && counts->kind == JsonValue::Kind::kObject) << lines.back();
  // Totals first (files and directories together), then each kind apart.
  const std::map<std::string, std::string> expected = {
      {"unchanged", "4"}, {"changed", "2"}, {"damaged", "1"}, {"moved", "0"},
      {"new", "2"},       {"missing", "3"}, {"errors", "1"}};
  const std::map<std::string, std::string> files = {
      {"unchanged", "3"}, {"changed", "2"}, {"damaged", "1"}, {"moved", "0"},
      {"new", "1"},       {"missing", "2"}, {"errors", "1"}};
  const std::map<std::string, std::string> directories = {
      {"unchanged", "1"}, {"moved", "0"}, {"new", "1"}, {"missing", "1"}, {"errors", "0"}};
  ASSERT_EQ(counts->members.size(), expected.size() + 6);
  for (const auto& [key, value] : expected) EXPECT_EQ(counts->Get(key)->text, value) << key;
  for (const auto& [kind, table] :
       {std::pair{"files", files}, std::pair{"directories", directories}}) {
    const JsonValue* apart = counts->Get(kind);
    ASSERT_TRUE(apart && apart->members.size() == table.size()) << kind;
    for (const auto& [key, value] : table) EXPECT_EQ(apart->Get(key)->text, value) << kind << key;
  }
  EXPECT_FALSE(counts->Get("tampered")->boolean);
  EXPECT_TRUE(counts->Get("signed")->boolean);
  EXPECT_EQ(counts->Get("untrusted")->text, "none");
  EXPECT_FALSE(counts->Get("empty")->boolean);
}

TEST_F(CliReportTest, NamesThatNeedEscapingStayOnTheirLineAndGiveValidJson) {
  File("plain.txt", "p");
  CreateList();
  struct Name {
    std::string on_disk;
    std::string text;  // in the text report
    std::string json;  // decoded from the JSON report
  };
  const std::vector<Name> names = {
      {"tab\there", "tab\\there", "tab\there"},
      {"quote\"back\\slash", "quote\"back\\\\slash", "quote\"back\\slash"},
      {"ctl\x01.txt", "ctl\\x01.txt", "ctl\x01.txt"},
      {"line\nbreak", "line\\nbreak", "line\nbreak"},
      {"bad\xFF.bin", "bad\\xFF.bin", "bad\xEF\xBF\xBD.bin"},  // not UTF-8: U+FFFD in JSON
      {"\xC3\xBCn\xC3\xAF.txt", "\xC3\xBCn\xC3\xAF.txt", "\xC3\xBCn\xC3\xAF.txt"},
  };
  for (const Name& name : names) File(name.on_disk, "n");

  const CliResult text = Run({"verify"});
  EXPECT_EQ(text.status, 1) << text.err;
  const auto report = Report(text.out);
  EXPECT_EQ(report.size(), names.size()) << text.out;
  for (const Name& name : names) {
    ASSERT_TRUE(report.count(name.text)) << name.text << "\n" << text.out;
    EXPECT_EQ(report.at(name.text).category, "new");
  }

  const CliResult json = Run({"verify", "--json"});
  std::vector<std::string> paths;
  for (const std::string& line : Lines(json.out)) {
    const auto object = JsonLineReader::ParseObject(line);
    ASSERT_TRUE(object) << line;
    if (const JsonValue* path = object->Get("path")) paths.push_back(path->text);
  }
  for (const Name& name : names) {
    EXPECT_NE(std::find(paths.begin(), paths.end(), name.json), paths.end()) << name.text;
  }

  // A name the list cannot hold is named and left out; the rest of the list stays sound.
  const CliResult update = Run({"update"});
  EXPECT_EQ(update.status, 1);
  EXPECT_NE(update.err.find("vemo-cli: " + tree_.Path("line\\nbreak") +
                            ": Left out of the list, which cannot hold this name.\n"),
            std::string::npos)
      << update.err;
  const auto after = Report(Run({"verify"}).out);
  EXPECT_EQ(after.size(), 1u);
  EXPECT_EQ(after.count("line\\nbreak"), 1u);
}

// The tolerances: defaults from the settings store, overridden for one run by the options.
struct ToleranceCase {
  const char* name;
  time_t shift;       // seconds the file's time moved after the list was made
  const char* store;  // settings stored before the run ("" for none)
  std::vector<std::string> options;
  int status;
  const char* note;
};

class ToleranceTest : public CliFixture, public ::testing::WithParamInterface<ToleranceCase> {};

TEST_P(ToleranceTest, DecidesWhetherATimeDifferenceCounts) {
  const ToleranceCase& c = GetParam();
  File("file.txt", "contents");
  CreateList();
  File("file.txt", "contents", kTreeTime + c.shift);
  if (*c.store != '\0') {
    config_.WriteStore(std::string("Windows Registry Editor Version 5.00\n\n"
                                   "[HKEY_CURRENT_USER\\Software\\Tovak\\Vemo\\Settings]\n") +
                       c.store);
  }
  const std::string store_before = config_.ReadStore();
  std::vector<std::string> args = {"verify", "--all"};
  args.insert(args.end(), c.options.begin(), c.options.end());
  const CliResult result = Run(args);
  EXPECT_EQ(result.status, c.status) << result.out << result.err;
  EXPECT_EQ(Report(result.out)["file.txt"].note, c.note) << result.out;
  // Options hold for the run only: the store is never written.
  EXPECT_EQ(config_.ReadStore(), store_before);
}

INSTANTIATE_TEST_SUITE_P(
    Tolerances, ToleranceTest,
    ::testing::Values(
        ToleranceCase{"HourShiftToleratedByDefault",
                      3600,
                      "",
                      {},
                      0,
                      "Contents unchanged; tolerated: whole-hour time shift (+01:00:00)"},
        ToleranceCase{"HourShiftOptionOff",
                      3600,
                      "",
                      {"--tz-shift", "off"},
                      1,
                      "Contents unchanged, Newer time stamp (+01:00:00)"},
        ToleranceCase{"HourShiftStoreOff",
                      3600,
                      "\"TolTZShift\"=dword:00000000\n",
                      {},
                      1,
                      "Contents unchanged, Newer time stamp (+01:00:00)"},
        ToleranceCase{"HourShiftStoreOffOptionOn",
                      3600,
                      "\"TolTZShift\"=dword:00000000\n",
                      {"--tz-shift=on"},
                      0,
                      "Contents unchanged; tolerated: whole-hour time shift (+01:00:00)"},
        ToleranceCase{"OneSecondToleratedByDefault",
                      -1,
                      "",
                      {},
                      0,
                      "Contents unchanged; tolerated: one-second time difference (-00:00:01)"},
        ToleranceCase{"OneSecondOptionOff",
                      -1,
                      "",
                      {"--one-second", "off"},
                      1,
                      "Contents unchanged, Older(!) time stamp (-00:00:01)"},
        ToleranceCase{"TwoSecondsNeverTolerated",
                      2,
                      "",
                      {},
                      1,
                      "Contents unchanged, Newer time stamp (+00:00:02)"}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST_F(CliReportTest, RescanNewReadsOnlyFilesWhoseSizeTimeOrAttributesChanged) {
  File("quiet.bin", "0123456789");
  File("loud.bin", "0123456789");
  CreateList();
  File("quiet.bin", "0123456X89");  // same size and time: not read again by --new
  File("loud.bin", "0123456X89", kTreeTime + 10);

  const CliResult rescan_new = Run({"verify", "--new"});
  EXPECT_EQ(rescan_new.status, 1);
  auto report = Report(rescan_new.out);
  EXPECT_EQ(report.count("quiet.bin"), 0u) << rescan_new.out;
  EXPECT_EQ(report["loud.bin"].note, "Contents changed, Newer time stamp (+00:00:10)");

  report = Report(Run({"verify"}).out);
  EXPECT_EQ(report["quiet.bin"].category, "damaged?");
  EXPECT_EQ(report["loud.bin"].category, "changed");
}

// A file written to while it is read is an error, never listed with checksums of contents its size
// and time do not describe; the command says why, and counts the rest as usual.
TEST_F(CliReportTest, FileChangedWhileReadIsAnErrorAndSaidSo) {
  File("steady.txt", "steady");
  File("moving.txt", "moving");
  FaultFileSystem files;
  files.SetHook([this](FsCall call, const std::string& path, int) {
    if (call == FsCall::kRead && path.ends_with("/moving.txt")) {
      std::ofstream(tree_.Path("moving.txt"), std::ios::app) << "more";
    }
    return DWORD{0};
  });
  const CliResult created = CliProcess({"create", Root()}, CliFileAccess{&files, &files}).Wait();
  EXPECT_EQ(created.status, 1) << created.err;
  EXPECT_NE(created.err.find(": Files changed while they were read"), std::string::npos)
      << created.err;
  std::string summary;
  const auto report = Report(created.out, &summary);
  EXPECT_EQ(report.at("moving.txt").category, "error") << created.out;
  EXPECT_EQ(report.count("steady.txt"), 0u);
  EXPECT_EQ(summary, "Summary: listed 2 files and 0 directories, 1 error");
}

}  // namespace
}  // namespace vemo_test
