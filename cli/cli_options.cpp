#include "cli/cli_options.h"

#include <string_view>

#include "platform/file_name_text.h"

namespace {

bool ParseSwitch(std::string_view value, bool* out) {
  if (value == "on") {
    *out = true;
    return true;
  }
  if (value == "off") {
    *out = false;
    return true;
  }
  return false;
}

}  // namespace

const char* CliUsageText() {
  return "Usage: vemo-cli COMMAND [OPTIONS] [PATH]\n"
         "Checksums directory trees and verifies them against their checksum lists.\n"
         "\n"
         "Commands:\n"
         "  create [DIR]    checksum every file of DIR (default: the current directory) and\n"
         "                  save the list as DIR/check.sum; refused when DIR holds a list\n"
         "  verify [PATH]   compare the tree with its list (PATH: a .sum or .crx file, or a\n"
         "                  directory holding check.sum or CRCDir.crx); writes nothing\n"
         "  update [PATH]   verify, then save the current state as the new list\n"
         "\n"
         "Options:\n"
         "  --new                 checksum only new files and files whose size, time stamp\n"
         "                        or attributes changed\n"
         "  --all                 report unchanged entries too\n"
         "  --no-moves            report a moved file as missing and new, not as moved\n"
         "  --json                JSON Lines: one object per entry, then a summary object\n"
         "  --quiet               print only the summary\n"
         "  --no-progress         no progress line on a terminal\n"
         "  --tz-shift on|off     tolerate time stamps shifted by 1 to 23 whole hours\n"
         "  --one-second on|off   tolerate time stamps that differ by at most one second\n"
         "  --cd-attributes on|off  tolerate read-only/archive changes on CD-ROM drives\n"
         "  --help, --version\n"
         "\n"
         "Exit status: 0 every entry unchanged; 1 something changed, moved, is new, missing\n"
         "or in error, or the list was tampered with or empty; 2 the command could not do\n"
         "its work; 130 interrupted.\n";
}

bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error) {
  bool have_path = false;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options_ended && arg == "--") {
      options_ended = true;
      continue;
    }
    if (!options_ended && arg.size() > 1 && arg[0] == '-') {
      std::string_view name = arg;
      std::optional<std::string_view> value;
      if (const auto eq = name.find('='); eq != std::string_view::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
      std::optional<bool>* tolerance = nullptr;
      if (name == "--tz-shift") tolerance = &options->tz_shift;
      if (name == "--one-second") tolerance = &options->one_second;
      if (name == "--cd-attributes") tolerance = &options->cd_attributes;
      if (tolerance != nullptr) {
        if (!value) {
          if (i + 1 >= argc) {
            *error = std::string(name) + " needs on or off";
            return false;
          }
          value = argv[++i];
        }
        bool on = false;
        if (!ParseSwitch(*value, &on)) {
          *error = std::string(name) + " takes on or off, not '" + std::string(*value) + "'";
          return false;
        }
        *tolerance = on;
        continue;
      }
      bool* flag = nullptr;
      if (name == "--new") flag = &options->only_new;
      if (name == "--all") flag = &options->all;
      if (name == "--no-moves") flag = &options->no_moves;
      if (name == "--json") flag = &options->json;
      if (name == "--quiet" || name == "-q") flag = &options->quiet;
      if (name == "--no-progress") flag = &options->no_progress;
      if (name == "--help" || name == "-h") flag = &options->help;
      if (name == "--version") flag = &options->version;
      if (flag == nullptr) {
        *error = "unknown option '" + std::string(name) + "'";
        return false;
      }
      if (value) {
        *error = "option '" + std::string(name) + "' takes no value";
        return false;
      }
      *flag = true;
      continue;
    }
    if (options->command == CliCommand::kNone && !options_ended) {
      if (arg == "create") {
        options->command = CliCommand::kCreate;
      } else if (arg == "verify") {
        options->command = CliCommand::kVerify;
      } else if (arg == "update") {
        options->command = CliCommand::kUpdate;
      } else {
        *error = "unknown command '" + std::string(arg) + "' (create, verify or update)";
        return false;
      }
      continue;
    }
    if (have_path) {
      *error = "more than one path given";
      return false;
    }
    if (arg.empty()) {
      *error = "the path is empty";
      return false;
    }
    options->path = platform::FileNameToWide(arg);
    have_path = true;
  }
  if (options->help || options->version) return true;
  if (options->command == CliCommand::kNone) {
    *error = "no command given (create, verify or update)";
    return false;
  }
  return true;
}
