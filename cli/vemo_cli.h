// vemo-cli as a library: the whole program behind one call, so that main.cpp only calls it and
// the tests can run it in a process of their own making with a fault-injecting file system (an
// unreadable file, a flush that hangs) in front of the real one.
#pragma once
#include "platform/file_store.h"
#include "platform/file_system.h"

// What the program reads and writes files through; neither is owned. By default the real ones.
struct CliFileAccess {
  platform::FileSystem* file_system = platform::FileSystem::Default();
  platform::FileStore* file_store = platform::FileStore::Default();
};

// Parses the arguments (argv[0] is the program's name), runs the command and returns the exit
// status (commands.h). Writes the report to standard output and messages to standard error;
// installs the interrupt handlers (interrupt.h). Never throws: running out of memory or any
// other exception is reported and gives the failure status. Main thread, once per process.
[[nodiscard]] int RunVemoCli(int argc, char** argv, const CliFileAccess& files = {});
