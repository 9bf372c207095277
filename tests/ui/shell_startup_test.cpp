// Start-up's hand-over to a running program, the integrity check of the executable, and the idle
// loop's count.
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/file_name_text.h"
#include "shell_support.h"
#include "support/temp_tree.h"
#include "ui/executable_signature.h"
#include "ui/framework/idle_loop.h"
#include "ui/framework/single_instance.h"

namespace {

using shell_test::AppFixture;
using shell_test::WaitUntil;
using vemo_test::TempTree;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

using ShellHandOverTest = AppFixture;

TEST_F(ShellHandOverTest, ASecondStartHandsItsFilesToTheRunningProgram) {
  TempTree runtime;
  TempTree tree;
  tree.File("a.txt", "abc");
  setenv("XDG_RUNTIME_DIR", runtime.root().c_str(), 1);
  Make().SetSingleInstance(true);
  ASSERT_TRUE(Start({QString::fromStdString(tree.Path("check.sum"))}));
  ASSERT_EQ(app_->Documents().size(), 1u);

  TempTree other;
  other.File("b.txt", "hello");
  const QString handed = QString::fromStdString(other.Path("check.sum"));
  std::atomic<int> result{-1};
  std::thread second([&] { result = CNSingleInstance::HandOver({handed}) ? 1 : 0; });
  const bool arrived = WaitUntil([&] { return app_->Documents().size() == 2; });
  second.join();
  EXPECT_TRUE(arrived);
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(app_->Documents().at(1)->GetPathName(),
            platform::FileNameToWide(other.Path("check.sum")));

  // With the program gone nobody takes the files: the start opens them itself.
  Stop();
  EXPECT_FALSE(CNSingleInstance::HandOver({handed}, 1000));
  unsetenv("XDG_RUNTIME_DIR");
}

TEST(ShellIntegrityTest, TheBuiltProgramIsSignedAndAnyChangeShows) {
  const std::string built = VEMO_EXECUTABLE;
  const std::string bytes = ReadAll(built);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(CheckExecutableSignatureOf(bytes), ExecutableSignature::kIntact);

  std::string changed = bytes;
  changed[changed.size() / 2] ^= 0x01;
  EXPECT_EQ(CheckExecutableSignatureOf(changed), ExecutableSignature::kTampered);
  // Stripped of its trailer (as a packager's strip does): not checked.
  EXPECT_EQ(CheckExecutableSignatureOf(std::string_view(bytes).substr(0, bytes.size() - 25)),
            ExecutableSignature::kUnsigned);
  // Signing again replaces the trailer.
  ASSERT_TRUE(SignExecutableBytes(changed));
  EXPECT_EQ(changed.size(), bytes.size());
  EXPECT_EQ(CheckExecutableSignatureOf(changed), ExecutableSignature::kIntact);
}

using ShellIntegrityStartTest = AppFixture;

TEST_F(ShellIntegrityStartTest, AChangedProgramWarnsAndDoesNotStart) {
  TempTree tree;
  std::string bytes = ReadAll(VEMO_EXECUTABLE);
  bytes[bytes.size() / 3] ^= 0x40;
  WriteAll(tree.Path("vemo"), bytes);
  Make().SetExecutablePath(tree.Path("vemo"));
  EXPECT_FALSE(Start({}));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0],
            QStringLiteral("Vemo: Warning: Vemo program file has been tampered with\n") +
                QString::fromStdString(tree.Path("vemo")));
  EXPECT_TRUE(app_->Documents().empty());
}

TEST(ShellIdleLoopTest, CountRisesWhileAskedAndRestartsAfterAnEvent) {
  std::vector<long> counts;
  bool more = true;
  CNIdleLoop loop([&](long count) {
    counts.push_back(count);
    return more && count < 5;
  });
  ASSERT_TRUE(WaitUntil([&] { return counts.size() >= 6; }, 5000));
  EXPECT_EQ(counts, (std::vector<long>{0, 1, 2, 3, 4, 5}));
  // Nothing more while nothing happens...
  QCoreApplication::processEvents();
  EXPECT_EQ(counts.size(), 6u);
  // ...until an event arrives.
  counts.clear();
  QTimer::singleShot(0, [] {});
  ASSERT_TRUE(WaitUntil([&] { return counts.size() >= 6; }, 5000));
  EXPECT_EQ(counts.front(), 0);
  EXPECT_EQ(counts.back(), 5);
}

}  // namespace
