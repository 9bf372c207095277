// The commands as a user runs them: create, verify and update in sequence, a list written on
// Windows, and every way a command can fail to do its work (exit status 2).
#include <sys/stat.h>

#include <filesystem>
#include <string_view>

#include "cli/cli_fixture.h"
#include "cli/json_line.h"
#include "document/document_signature.h"
#include "engine/crc.h"

namespace vemo_test {
namespace {

using CliCommandsTest = CliFixture;

TEST_F(CliCommandsTest, CreateVerifyUpdateCycle) {
  File("a.txt", "alpha");
  File("sub/b.txt", "beta");
  tree_.Dir("empty");
  const CliResult created = Run({"create"});
  EXPECT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(Lines(created.out),
            std::vector<std::string>{"Summary: listed 2 files and 2 directories, 0 errors"});
  EXPECT_EQ(CheckSignature(ReadFile(ListPath())), SignatureStatus::kIntact);

  // Unchanged: only the summary, status 0; the list file as well as its directory will do.
  const CliResult same = Run({"verify"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(Lines(same.out),
            std::vector<std::string>{"Summary: files 2 unchanged, 0 changed, 0 damaged?, 0 moved, "
                                     "0 new, 0 missing, 0 errors; directories 2 unchanged, 0 "
                                     "moved, 0 new, 0 missing, 0 errors"});
  EXPECT_EQ(RunCli({"verify", ListPath()}).status, 0);
  const auto all = Report(Run({"verify", "--all"}).out);
  EXPECT_EQ(all.at("sub/").category, "unchanged");
  EXPECT_EQ(all.at("empty/").category, "unchanged");
  EXPECT_EQ(all.at("sub/b.txt").note, "Contents unchanged");

  // Verify writes nothing.
  const std::string list = ReadFile(ListPath());
  File("a.txt", "alpha, changed", kTreeTime + 60);
  std::filesystem::remove(tree_.Path("sub/b.txt"));
  File("sub/c.txt", "gamma");
  EXPECT_EQ(Run({"verify"}).status, 1);
  EXPECT_EQ(ReadFile(ListPath()), list);

  // Update reports what it records, saves, and the tree then verifies clean.
  const CliResult updated = Run({"update"});
  EXPECT_EQ(updated.status, 1) << updated.err;
  const auto changes = Report(updated.out);
  EXPECT_EQ(changes.at("a.txt").category, "changed");
  EXPECT_EQ(changes.at("sub/b.txt").category, "missing");
  EXPECT_EQ(changes.at("sub/c.txt").category, "new");
  EXPECT_NE(updated.err.find("vemo-cli: " + ListPath() + ": Saved.\n"), std::string::npos)
      << updated.err;
  EXPECT_EQ(CheckSignature(ReadFile(ListPath())), SignatureStatus::kIntact);
  const CliResult clean = Run({"verify", "--all"});
  EXPECT_EQ(clean.status, 0) << clean.out;
  EXPECT_EQ(Report(clean.out).count("sub/b.txt"), 0u);

  // An update with nothing to record leaves the intact list alone.
  const std::string recorded = ReadFile(ListPath());
  const CliResult again = Run({"update"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadFile(ListPath()), recorded);
}

// A list as the Windows program writes it: byte order mark, CR LF, backslashes in the relative
// directories, archive bits, a drive-letter path in the header.
std::string WindowsList(const std::string& entries) {
  return "\xEF\xBB\xBF"
         "; Vemo Release 2.01.05\r\n"
         "% Date \"2007-03-14 09:26:53 (GMT+0100)\"\r\n"
         "@ System WORKSTATION7\r\n"
         "$ Path \"C:\\\\Data\\\\\"\r\n" +
         entries;
}

// Appends the trailer with a signature that brings the CRC-32 of the whole file to 0.
std::string Signed(const std::string& body) {
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  crc.SetRegister(crc.GetFinalXor());
  crc.UnwindString("\r\n", false);
  const DWORD target = crc.GetRegister();
  const std::string marker = "~ AutoSigned ";
  crc.Reset();
  crc.Update(body.data(), body.size());
  crc.Update(marker.data(), marker.size());
  return body + marker + crc.MakeSignature(crc.GetRegister(), target) + "\r\n";
}

enum class Signature { kValid, kNone, kTampered };

class WindowsListTest : public CliFixture, public ::testing::WithParamInterface<Signature> {};

TEST_P(WindowsListTest, VerifiesHere) {
  // "abc": CRC-32 352441C2, second checksum 5AEB2AAE. 2007-03-14 09:26:53 UTC = 1173864413.
  const time_t listed = 1173864413;
  File("docs/abc.txt", "abc", listed);
  File("docs/deep/abc.bin", "abc", listed);
  const std::string body = WindowsList(
      "            0,FFFFFFFF,FFFFFFFF,\"2007-03-14 09:20:00\",---d--------,,docs\r\n"
      "            3,352441C2,5AEB2AAE,\"2007-03-14 "
      "09:26:53\",----a-------,\"docs\\\\\",abc.txt\r\n"
      "            0,FFFFFFFF,FFFFFFFF,\"2007-03-14 09:20:00\",---d--------,\"docs\\\\\",deep\r\n"
      "            3,352441C2,5AEB2AAE,\"2007-03-14 09:26:53\",----a-------,"
      "\"docs\\\\deep\\\\\",abc.bin\r\n");
  std::string list = body;
  if (GetParam() != Signature::kNone) list = Signed(body);
  ASSERT_EQ(CheckSignature(list),
            GetParam() == Signature::kNone ? SignatureStatus::kUnsigned : SignatureStatus::kIntact);
  if (GetParam() == Signature::kTampered) list[list.find("abc.bin")] = 'A';
  std::ofstream(tree_.Path("CRCDir.crx"), std::ios::binary) << list;

  const CliResult result = Run({"verify", "--all"});
  const auto report = Report(result.out);
  for (const char* path : {"docs/", "docs/deep/"}) {
    EXPECT_EQ(report.at(path).category, "unchanged") << path << result.out;
  }
  // The archive bits listed on Windows are not set here: always tolerated, and said so.
  const std::string tolerated = "; tolerated: attribute change (----a-------)";
  EXPECT_EQ(report.at("docs/abc.txt").note, "Contents unchanged" + tolerated) << result.out;
  const std::string tamper_warning =
      "Warning: Vemo document file has been tampered with\n" + tree_.Path("CRCDir.crx") + "\n";
  const bool tampered = GetParam() == Signature::kTampered;
  if (tampered) {
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(tamper_warning), std::string::npos) << result.err;
    // The altered line names a file that is not there; the file that is, is its rename.
    EXPECT_EQ(report.at("docs/deep/abc.bin").category, "moved");
    EXPECT_EQ(report.at("docs/deep/abc.bin").note,
              "Renamed (letter case only) from docs/deep/Abc.bin" + tolerated);
  } else {
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    // Accepted as the format allows, but not taken for a verified list.
    EXPECT_EQ(result.err, GetParam() == Signature::kNone
                              ? "vemo-cli: " + tree_.Path("CRCDir.crx") +
                                    ": The list carries no signature, so nothing shows whether it "
                                    "was changed.\n"
                              : "");
    EXPECT_EQ(report.at("docs/deep/abc.bin").note, "Contents unchanged" + tolerated);
  }

  // The tampering is part of the result in both formats, with what the signature can tell.
  std::string summary;
  (void)Report(result.out, &summary);
  EXPECT_EQ(summary.ends_with("; the list was tampered with: its signature tells that it changed, "
                              "not where, so no line of it can be trusted"),
            tampered)
      << summary;
  const bool unsigned_list = GetParam() == Signature::kNone;
  EXPECT_EQ(summary.ends_with("; the list carries no signature, so nothing shows whether it was "
                              "changed"),
            unsigned_list)
      << summary;
  const CliResult json = Run({"verify", "--json"});
  const auto object = JsonLineReader::ParseObject(Lines(json.out).back());
  ASSERT_TRUE(object && object->Get("summary")) << json.out;
  const JsonValue& counts = *object->Get("summary");
  EXPECT_EQ(counts.Get("tampered")->boolean, tampered);
  EXPECT_EQ(counts.Get("signed")->boolean, !unsigned_list);
  EXPECT_EQ(counts.Get("untrusted")->text, tampered || unsigned_list ? "all" : "none");
  EXPECT_FALSE(counts.Get("empty")->boolean);
}

INSTANTIATE_TEST_SUITE_P(Signatures, WindowsListTest,
                         ::testing::Values(Signature::kValid, Signature::kNone,
                                           Signature::kTampered));

TEST_F(CliCommandsTest, EmptyListIsWarnedAndItsTreeReportedNew) {
  File("a.txt", "a");
  std::ofstream(ListPath()).close();
  const CliResult result = Run({"verify"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("Warning: Vemo document file is empty\n" + ListPath()),
            std::string::npos)
      << result.err;
  std::string summary;
  EXPECT_EQ(Report(result.out, &summary).at("a.txt").category, "new");
  EXPECT_TRUE(summary.ends_with("; the list was empty")) << summary;
  const CliResult json = Run({"verify", "--json"});
  const auto object = JsonLineReader::ParseObject(Lines(json.out).back());
  ASSERT_TRUE(object && object->Get("summary")) << json.out;
  EXPECT_TRUE(object->Get("summary")->Get("empty")->boolean);
  EXPECT_FALSE(object->Get("summary")->Get("tampered")->boolean);

  // An empty list never verifies a tree as unchanged, not even an empty tree.
  std::filesystem::remove(tree_.Path("a.txt"));
  EXPECT_EQ(Run({"verify"}).status, 1);
}

TEST_F(CliCommandsTest, ListOfAnUnknownEncodingIsReportedAndNeverReplaced) {
  File("a.txt", "a");
  const std::string unknown("\0\0\0\0 list \x80\x81", 12);
  File("check.sum", unknown);
  for (const char* command : {"verify", "update"}) {
    const CliResult result = Run({command});
    EXPECT_EQ(result.status, 2) << command;
    EXPECT_NE(result.err.find("Vemo document file could not be read\n" + ListPath()),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.out, "");  // the tree is not reported as new
    EXPECT_EQ(ReadFile(ListPath()), unknown);
  }
}

// Everything that keeps a command from its work ends with status 2 and says why.
struct FailureCase {
  const char* name;
  std::vector<std::string> args;  // the tree's root is appended when append_root is set
  bool append_root;
  const char* message;  // part of standard error; '@' stands for the tree's root and its '/'
};

class CliFailureTest : public CliFixture, public ::testing::WithParamInterface<FailureCase> {
 protected:
  void SetUp() override {
    CliFixture::SetUp();
    File("a.txt", "a");
  }
};

TEST_P(CliFailureTest, ExitsWithStatusTwo) {
  const FailureCase& c = GetParam();
  const std::string name = c.name;
  if (name == "ListIsADirectory" || name == "CreateOverADirectory") tree_.Dir("check.sum");
  if (name == "CreateOverList") File("check.sum", "");
  if (name == "CreateOverCrx") File("CRCDir.crx", "");
  std::vector<std::string> args = c.args;
  for (std::string& arg : args) {
    if (arg.rfind("@", 0) == 0) arg = tree_.Path(arg.substr(1));
  }
  const CliResult result = c.append_root ? Run(args) : RunCli(args);
  EXPECT_EQ(result.status, 2) << result.out << result.err;
  // A path in the message comes first, then one sentence.
  std::string message = c.message;
  for (std::size_t at = message.find('@'); at != std::string::npos; at = message.find('@', at)) {
    message.replace(at, 1, tree_.Path(""));
  }
  EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CliFailureTest,
    ::testing::Values(
        FailureCase{"NoCommand", {}, false, "no command given"},
        FailureCase{"UnknownCommand", {"check"}, false, "unknown command 'check'"},
        FailureCase{"UnknownOption", {"verify", "--fast"}, true, "unknown option '--fast'"},
        FailureCase{"BadSwitch", {"verify", "--tz-shift", "maybe"}, true, "takes on or off"},
        FailureCase{"MissingSwitch", {"verify", "--one-second"}, false, "needs on or off"},
        FailureCase{"TwoPaths", {"verify", "/tmp"}, true, "more than one path"},
        FailureCase{"NoList",
                    {"verify"},
                    true,
                    "vemo-cli: @: There is no checksum list (check.sum or CRCDir.crx) here; "
                    "'vemo-cli create' makes one.\n"},
        FailureCase{"MissingPath",
                    {"verify", "@nothing/here.sum"},
                    false,
                    "vemo-cli: @nothing/here.sum: The system cannot find the path specified.\n"},
        FailureCase{"ListIsADirectory",
                    {"verify"},
                    true,
                    "A directory of the desired document name exists\n"},
        FailureCase{"CreateOverADirectory",
                    {"create"},
                    true,
                    "check.sum: A directory of the desired document name exists."},
        FailureCase{"CreateOverList",
                    {"create"},
                    true,
                    "vemo-cli: @check.sum: A checksum list is already here; 'vemo-cli update' "
                    "changes it.\n"},
        FailureCase{"CreateOverCrx", {"create"}, true, "@CRCDir.crx: A checksum list is already"},
        FailureCase{"CreateOfAFile",
                    {"create", "@a.txt"},
                    false,
                    "vemo-cli: @a.txt: The directory name is invalid.\n"},
        FailureCase{"CreateOfNothing",
                    {"create", "@missing"},
                    false,
                    "vemo-cli: @missing: The system cannot find the file specified.\n"}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST_F(CliCommandsTest, FailedWalkReportsNothingAndSavesNothing) {
  File("a.txt", "a");
  tree_.Dir("locked.unreadable");
  File("locked.unreadable/inside.txt", "i");
  const CliResult create = RunUnreadable({"create"});
  EXPECT_EQ(create.status, 2);
  EXPECT_NE(create.err.find("Error (5): Access is denied."), std::string::npos) << create.err;
  EXPECT_FALSE(std::filesystem::exists(ListPath()));

  CreateList();
  const std::string list = ReadFile(ListPath());
  const CliResult update = RunUnreadable({"update"});
  EXPECT_EQ(update.status, 2);
  EXPECT_EQ(update.out, "");  // no entry is claimed missing for a tree that was not seen
  EXPECT_EQ(ReadFile(ListPath()), list);
}

TEST_F(CliCommandsTest, UpdateKeepsTheListedLineOfAFileThatCouldNotBeRead) {
  File("a.txt", "a");
  File("f.unreadable", "secret");
  CreateList();
  const auto lineOf = [](const std::string& list, std::string_view name) {
    for (const std::string& line : Lines(list)) {
      if (line.find(name) != std::string::npos) return line;
    }
    return std::string("<no line>");
  };
  const std::string listed = lineOf(ReadFile(ListPath()), "f.unreadable");
  ASSERT_EQ(listed.find("FFFFFFFF"), std::string::npos) << listed;  // checksums listed

  File("a.txt", "changed");
  File("f.unreadable", "secret, and more", kTreeTime + 60);
  const CliResult update = RunUnreadable({"update"});
  EXPECT_EQ(Report(update.out)["f.unreadable"].category, "error") << update.out;
  const std::string saved = ReadFile(ListPath());
  EXPECT_EQ(lineOf(saved, "f.unreadable"), listed);
  EXPECT_EQ(lineOf(saved, "a.txt").substr(0, 13), "            7");  // the rest is updated
}

TEST_F(CliCommandsTest, ReadOnlyListIsNotOverwrittenWithoutAsking) {
  File("a.txt", "a");
  CreateList();
  File("b.txt", "b");
  ASSERT_EQ(chmod(ListPath().c_str(), 0444), 0);
  const std::string list = ReadFile(ListPath());
  const CliResult update = Run({"update"});
  EXPECT_EQ(update.status, 2);
  EXPECT_NE(update.err.find("File is read/only\n" + ListPath() + "\nOverride anyway?"),
            std::string::npos)
      << update.err;
  EXPECT_EQ(ReadFile(ListPath()), list);
}

TEST_F(CliCommandsTest, HelpAndVersion) {
  const CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: vemo-cli COMMAND"), std::string::npos);
  const CliResult version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("Vemo ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace vemo_test
