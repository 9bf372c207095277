// Hostile input and faults, as an attacker or an unlucky user meets them from the command line:
// files that are no list, lists that are links, sizes the machine cannot hold, and the like.
// Nothing may be overwritten, read from outside the tree, hang or crash.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string_view>

#include "cli/cli_fixture.h"
#include "support/working_directory.h"

namespace vemo_test {
namespace {

using CliHostileInputTest = CliFixture;

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST_F(CliHostileInputTest, FileThatIsNoListIsNeverOverwritten) {
  File("a.txt", "a");
  const std::string readme = "# Notes\n\nRun it.\n";
  File("README.md", readme);
  const std::string picture("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20);
  File("logo.png", picture);
  for (const char* command : {"verify", "update"}) {
    for (const auto& [name, bytes] : {std::pair{"README.md", readme}, {"logo.png", picture}}) {
      const CliResult result = RunCli({command, tree_.Path(name)});
      EXPECT_EQ(result.status, 2) << command << " " << name << "\n" << result.err;
      EXPECT_TRUE(Contains(result.err, "Not a Vemo document file\n" + tree_.Path(name)) ||
                  Contains(result.err, "Vemo document file could not be read\n"))
          << result.err;
      EXPECT_EQ(result.out, "");
      EXPECT_EQ(ReadFile(tree_.Path(name)), bytes);
    }
  }
}

TEST_F(CliHostileInputTest, ListThatIsALinkIsNeverWrittenThrough) {
  // check.sum -> a file outside the tree that is no list (someone's ~/.bashrc): read, refused as
  // no list, nothing written anywhere.
  TempTree outside;
  outside.File(".bashrc", "export PATH=$HOME/bin:$PATH\n");
  File("a.txt", "a");
  tree_.Link("check.sum", outside.Path(".bashrc"));
  const CliResult update = Run({"update"});
  EXPECT_EQ(update.status, 2) << update.err;
  EXPECT_TRUE(Contains(update.err, "is a symbolic link")) << update.err;
  EXPECT_TRUE(Contains(update.err, "Not a Vemo document file")) << update.err;
  EXPECT_EQ(ReadFile(outside.Path(".bashrc")), "export PATH=$HOME/bin:$PATH\n");
  EXPECT_TRUE(std::filesystem::is_symlink(ListPath()));

  // check.sum -> a real list kept elsewhere: verified through the link, and an update replaces
  // the link with the new list while the list it pointed to stays as it was.
  std::filesystem::remove(ListPath());
  CreateList();
  const std::string list = ReadFile(ListPath());
  outside.File("tree.sum", list);
  std::filesystem::remove(ListPath());
  tree_.Link("check.sum", outside.Path("tree.sum"));
  const CliResult verify = Run({"verify"});
  EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
  EXPECT_TRUE(Contains(verify.err, "Warning: Vemo document file is a symbolic link")) << verify.err;
  File("b.txt", "b");
  const CliResult updated = Run({"update"});
  EXPECT_EQ(updated.status, 1) << updated.err;
  EXPECT_FALSE(std::filesystem::is_symlink(ListPath()));
  EXPECT_TRUE(Contains(ReadFile(ListPath()), "b.txt"));
  EXPECT_EQ(ReadFile(outside.Path("tree.sum")), list);
}

TEST_F(CliHostileInputTest, ListLargerThanMemoryEndsWithNotEnoughMemory) {
  // Sparse files: their size costs no disk. 1 TiB is more than the machine holds; 1 GiB fits the
  // machine but not an address space capped at 512 MiB, where the allocation itself fails.
  File("a.txt", "a");
  struct Case {
    off_t size;
    rlim_t memory_limit;
  };
  std::vector<Case> cases = {{off_t{1} << 40, 0}};
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // (The sanitizers reserve terabytes of address space and end the process on a failed
  // allocation instead of throwing.)
  cases.push_back({off_t{1} << 30, rlim_t{512} << 20});
#endif
  for (const Case& c : cases) {
    File("check.sum", "");
    ASSERT_EQ(truncate(ListPath().c_str(), c.size), 0);
    for (const char* command : {"verify", "update"}) {
      const CliResult result = RunCli({command, Root()}, {}, c.memory_limit);
      EXPECT_EQ(result.status, 2) << command << " " << c.size << "\n" << result.err;
      EXPECT_TRUE(Contains(result.err,
                           "Not enough memory resources are available to process this command."))
          << result.err;
      EXPECT_EQ(std::filesystem::file_size(ListPath()), static_cast<std::uintmax_t>(c.size));
    }
  }
}

TEST_F(CliHostileInputTest, SettingsStoreThatIsAFifoIsNotWaitedFor) {
  // It used to block every start in open(), and SIGTERM restarted the open.
  File("a.txt", "a");
  std::filesystem::create_directories(config_.StoreDir());
  ASSERT_EQ(mkfifo(config_.StoreFile().c_str(), 0600), 0);
  const CliResult result = RunCli({"create", Root()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.err, "is not a regular file; the defaults are used")) << result.err;
  EXPECT_TRUE(std::filesystem::exists(ListPath()));
}

TEST_F(CliHostileInputTest, DamagedSettingsAreReportedOnceNotOnEveryRun) {
  File("a.txt", "a");
  config_.WriteStore(
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\nbroken\n");
  const CliResult first = RunCli({"create", Root()});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(Contains(first.err, "has damaged lines")) << first.err;
  const CliResult second = RunCli({"verify", Root()});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.err, "");
}

TEST_F(CliHostileInputTest, ListCutBeforeOrInsideItsTrailerSaysItCarriesNoSignature) {
  File("a.txt", "a");
  File("b.txt", "b");
  CreateList();
  const std::string list = ReadFile(ListPath());
  const std::size_t trailer = list.find("~ AutoSigned ");
  ASSERT_NE(trailer, std::string::npos);
  const CliResult intact = Run({"verify"});
  EXPECT_EQ(intact.status, 0);
  EXPECT_FALSE(Contains(intact.err, "signature")) << intact.err;
  for (const std::size_t cut : {trailer, trailer + 5}) {
    File("check.sum", list.substr(0, cut));
    const CliResult verify = Run({"verify"});
    EXPECT_EQ(verify.status, 0) << verify.out;  // every entry is still there
    EXPECT_TRUE(Contains(verify.err, "vemo-cli: " + ListPath() + ": The list carries no signature"))
        << verify.err;
  }
  // An update writes a signed list again, though nothing else changed.
  const CliResult update = Run({"update"});
  EXPECT_EQ(update.status, 0) << update.err;
  EXPECT_TRUE(Contains(ReadFile(ListPath()), "~ AutoSigned "));
  EXPECT_FALSE(Contains(Run({"verify"}).err, "signature"));
}

TEST_F(CliHostileInputTest, TwoCreatesAtOnceNeverBothSucceed) {
  // Both may find no list when they begin; the second to save must not replace the first's.
  for (int i = 0; i < 300; ++i) File("d" + std::to_string(i % 10) + "/f" + std::to_string(i), "x");
  for (int round = 0; round < 3; ++round) {
    std::filesystem::remove(ListPath());
    CliProcess first({"create", Root()});
    CliProcess second({"create", Root()});
    const CliResult a = first.Wait();
    const CliResult b = second.Wait();
    EXPECT_EQ((a.status == 0) + (b.status == 0), 1) << a.err << "\n" << b.err;
    EXPECT_EQ(a.status + b.status, 2) << a.err << "\n" << b.err;
    const std::string& refused = a.status == 0 ? b.err : a.err;
    EXPECT_TRUE(Contains(refused, "already exists") || Contains(refused, "The file exists."))
        << refused;
  }
}

TEST_F(CliHostileInputTest, TemporaryFileOfAKilledSaveIsNoEntryAndGoes) {
  File("a.txt", "a");
  const std::string stale = ".check.sum.999999999-0-a1b2c3.tmp";
  File(stale, "half a list");
  const CliResult create = Run({"create", "--all"});
  EXPECT_EQ(create.status, 0) << create.err;
  EXPECT_FALSE(Contains(create.out, stale)) << create.out;
  EXPECT_FALSE(Contains(ReadFile(ListPath()), ".tmp"));
  EXPECT_FALSE(std::filesystem::exists(tree_.Path(stale)));
}

TEST_F(CliHostileInputTest, MessagesKeepAPathOnOneLineAndNameWhatIsWrong) {
  // A line break in a directory name: the message's path stays on its line, escaped as names
  // are ("\n"), instead of breaking into lines that look like messages of their own.
  File("odd\nname/a.txt", "a");
  File("odd\nname/check.sum", "");
  const CliResult empty = RunCli({"verify", tree_.Path("odd\nname")});
  EXPECT_TRUE(Contains(
      empty.err, "Warning: Vemo document file is empty\n" + Root() + "odd\\nname/check.sum\n"))
      << empty.err;

  // A directory named check.sum says so, for every command.
  tree_.Dir("dir/check.sum");
  for (const char* command : {"verify", "update", "create"}) {
    const CliResult result = RunCli({command, tree_.Path("dir")});
    EXPECT_EQ(result.status, 2) << command;
    EXPECT_TRUE(Contains(result.err, "A directory of the desired document name exists"))
        << command << ": " << result.err;
  }

  // A path over the length limit names the directory where it is, not the base.
  const std::string long_name(200, 'd');
  std::string deep = "deep/";
  tree_.Dir("deep");
  int fd = open(tree_.Path("deep").c_str(), O_RDONLY | O_DIRECTORY);
  for (int level = 0; level < 21 && fd >= 0; ++level) {
    ASSERT_EQ(mkdirat(fd, long_name.c_str(), 0755), 0);
    const int next = openat(fd, long_name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
    if (level < 19) deep += long_name + "/";
  }
  if (fd >= 0) close(fd);
  const CliResult too_long = RunCli({"create", tree_.Path("deep")});
  EXPECT_EQ(too_long.status, 2);
  EXPECT_TRUE(Contains(too_long.err, "Error (206): The filename or extension is too long.\n" +
                                         tree_.Path("deep/") + long_name + "/"))
      << too_long.err;
}

TEST_F(CliHostileInputTest, DeletedCurrentDirectoryNamesItself) {
  TempTree work;
  work.Dir("gone");
  CliResult create;
  CliResult verify;
  {
    WorkingDirectory in(work.Path("gone"));
    ASSERT_EQ(rmdir(work.Path("gone").c_str()), 0);
    create = RunCli({"create"});
    verify = RunCli({"verify", "sub"});
  }
  EXPECT_EQ(create.status, 2);
  EXPECT_TRUE(Contains(create.err, work.Path("gone") + " (deleted): The current directory no "
                                                       "longer exists, so '.' names nothing."))
      << create.err;
  EXPECT_TRUE(Contains(verify.err, "The current directory no longer exists, so 'sub' names"))
      << verify.err;
}

}  // namespace
}  // namespace vemo_test
