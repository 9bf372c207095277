// Ctrl-C (SIGINT) and SIGTERM while a long checksum runs: the workers stop, the command ends with
// status 130, and no list, partial list or temporary file is left behind.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "cli/cli_fixture.h"
#include "support/wait_until.h"

namespace vemo_test {
namespace {

struct InterruptCase {
  const char* name;
  const char* command;
  int signal_number;
};

class CliInterruptTest : public CliFixture, public ::testing::WithParamInterface<InterruptCase> {
 protected:
  // A sparse file far too large to be read before the signal comes (nothing is written to disk).
  void HugeSparseFile(const std::string& relative) {
    const int fd = open(tree_.Path(relative).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t{1} << 38), 0);  // 256 GiB
    close(fd);
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(Root())) {
      names.insert(item.path().filename().string());
    }
    return names;
  }
};

TEST_P(CliInterruptTest, StopsTheChecksumAndLeavesNoPartialFile) {
  const InterruptCase& c = GetParam();
  File("small.txt", "small");
  const bool update = std::string(c.command) == "update";
  if (update) CreateList();
  HugeSparseFile("huge.bin");
  const std::string list_before = update ? ReadFile(ListPath()) : std::string();
  const std::set<std::string> names_before = Names();

  CliProcess process({c.command, Root()});
  // Long enough for the walk of two files to end and the checksum to be under way.
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  process.Signal(c.signal_number);
  const CliResult result = process.Wait(std::chrono::seconds(60));
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_NE(result.err.find("vemo-cli: Interrupted.\n"), std::string::npos) << result.err;
  EXPECT_EQ(Names(), names_before);  // no new list, no temporary file
  if (update) {
    EXPECT_EQ(ReadFile(ListPath()), list_before);
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterruptTest,
                         ::testing::Values(InterruptCase{"CreateSigint", "create", SIGINT},
                                           InterruptCase{"UpdateSigint", "update", SIGINT},
                                           InterruptCase{"UpdateSigterm", "update", SIGTERM}),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST_F(CliInterruptTest, EndsWithinASecondWhereverItWaits) {
  // A save whose flush hangs (a slow or stuck disk): the first SIGTERM ends the program within a
  // second, removing the temporary file; the old list stays as it was.
  File("a.txt", "a");
  CreateList();
  const std::string list = ReadFile(ListPath());
  const std::set<std::string> names_before = Names();
  File("b.txt", "b");
  FaultFileSystem files;
  files.SetHook([](FsCall call, const std::string&, int) {
    // A flush that takes a minute, through any signal.
    if (call == FsCall::kSync) std::this_thread::sleep_for(std::chrono::seconds(60));
    return DWORD{0};
  });
  CliProcess process({"update", Root()}, CliFileAccess{&files, &files});
  // Wait for the save's temporary file: the program is then inside the hanging flush.
  const auto saving = [&] {
    for (const std::string& name : Names()) {
      if (name.starts_with(".check.sum.") && name.ends_with(".tmp")) return true;
    }
    return false;
  };
  ASSERT_TRUE(WaitUntil(saving));
  const auto signalled = std::chrono::steady_clock::now();
  process.Signal(SIGTERM);
  const CliResult result = process.Wait(std::chrono::seconds(30));
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(5));
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_NE(result.err.find("vemo-cli: Interrupted.\n"), std::string::npos) << result.err;
  std::set<std::string> names_after = Names();
  names_after.erase("b.txt");
  EXPECT_EQ(names_after, names_before);
  EXPECT_EQ(ReadFile(ListPath()), list);
}

}  // namespace
}  // namespace vemo_test
