// Runs vemo-cli as a child process for the tests: arguments, extra environment, the exit status
// (128 + signal when it was killed), and everything it wrote to standard output and standard
// error. The child inherits the test's environment (XDG_CONFIG_HOME, TZ). It is the real
// executable, or the program's library run in a fork of the test with the files it reads and
// writes going through a file system the test chose (one that injects faults).
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/vemo_cli.h"

namespace vemo_test {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

class CliProcess {
 public:
  // Starts vemo-cli with args; env entries ("NAME=value") are added to the inherited environment.
  // A memory_limit other than 0 caps the child's address space (RLIMIT_AS) in bytes, so that its
  // allocations fail for real.
  explicit CliProcess(const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}, rlim_t memory_limit = 0) {
    std::vector<char*> argv = Argv(args);
    if (!Fork(env)) return;
    if (memory_limit != 0) {
      const rlimit limit{memory_limit, memory_limit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
    }
    execv(VEMO_CLI_PATH, argv.data());
    _exit(127);
  }
  // Runs the program's library in a fork of the test, reading and writing through `files`.
  CliProcess(const std::vector<std::string>& args, const CliFileAccess& files,
             const std::vector<std::string>& env = {}) {
    std::vector<char*> argv = Argv(args);
    if (!Fork(env)) return;
    const int status = RunVemoCli(static_cast<int>(args.size() + 1), argv.data(), files);
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
  }
  ~CliProcess() {
    if (pid_ > 0 && !finished_) {
      kill(pid_, SIGKILL);
      (void)Wait();
    }
    if (out_fd_ >= 0) close(out_fd_);
    if (err_fd_ >= 0) close(err_fd_);
  }
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  void Signal(int signal_number) const {
    if (pid_ > 0) kill(pid_, signal_number);
  }

  // Collects the output until the child ends; a child still running after `limit` is killed (its
  // status then says SIGKILL), so a hang fails the test instead of stopping the suite.
  CliResult Wait(std::chrono::seconds limit = std::chrono::seconds(120)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (out_fd_ >= 0 || err_fd_ >= 0) {
      if (std::chrono::steady_clock::now() > end) kill(pid_, SIGKILL);
      pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
      if (poll(fds, 2, 100) < 0) break;
      Drain(fds[0], &out_fd_, &result_.out);
      Drain(fds[1], &err_fd_, &result_.err);
    }
    int raw = 0;
    if (pid_ > 0 && waitpid(pid_, &raw, 0) == pid_) {
      result_.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    finished_ = true;
    return result_;
  }

 private:
  static std::vector<char*> Argv(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(VEMO_CLI_PATH));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
  }
  // Forks with standard output and error going to pipes and env added in the child. True in the
  // child, false in the test.
  bool Fork(const std::vector<std::string>& env) {
    int out_pipe[2];
    int err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) return false;
    // What the test has buffered must not come out of the child as well.
    std::fflush(stdout);
    std::fflush(stderr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out_pipe[1], STDOUT_FILENO);
      dup2(err_pipe[1], STDERR_FILENO);
      for (const std::string& entry : env) putenv(const_cast<char*>(entry.c_str()));
      return true;
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    out_fd_ = out_pipe[0];
    err_fd_ = err_pipe[0];
    return false;
  }

  static void Drain(const pollfd& fd, int* owned, std::string* into) {
    if (*owned < 0 || (fd.revents & (POLLIN | POLLHUP | POLLERR)) == 0) return;
    char buffer[65536];
    const ssize_t n = read(*owned, buffer, sizeof buffer);
    if (n > 0) {
      into->append(buffer, static_cast<std::size_t>(n));
    } else {
      close(*owned);
      *owned = -1;
    }
  }

  pid_t pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  bool finished_ = false;
  CliResult result_;
};

// Runs vemo-cli to its end.
inline CliResult RunCli(const std::vector<std::string>& args,
                        const std::vector<std::string>& env = {}, rlim_t memory_limit = 0) {
  return CliProcess(args, env, memory_limit).Wait();
}

}  // namespace vemo_test
