// The command line: the input is the argument list, split at NUL bytes. Parsing must end with
// options or an error message, and the usage text must be there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args{"vemo-cli"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  args.push_back(std::move(current));
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  CliOptions options;
  std::string error;
  const bool parsed = ParseCliOptions(static_cast<int>(args.size()), argv.data(), &options, &error);
  if (!parsed && error.empty()) std::abort();
  if (CliUsageText() == nullptr) std::abort();
  return 0;
}
