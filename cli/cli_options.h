// The command line of vemo-cli: a command, at most one path and options, in any order ("--"
// ends the options). Parsing only; nothing is checked against the file system here.
#pragma once
#include <optional>
#include <string>

enum class CliCommand { kNone, kCreate, kVerify, kUpdate };

struct CliOptions {
  CliCommand command = CliCommand::kNone;
  std::wstring path;         // empty: the current directory
  bool only_new = false;     // --new: checksum only new and changed files (Rescan New)
  bool all = false;          // --all: report unchanged entries too
  bool no_moves = false;     // --no-moves: a moved entry stays a missing and a new one
  bool json = false;         // --json: JSON Lines
  bool quiet = false;        // --quiet: only the summary
  bool no_progress = false;  // --no-progress
  // The three tolerances; unset keeps the value of the settings store.
  std::optional<bool> tz_shift;
  std::optional<bool> one_second;
  std::optional<bool> cd_attributes;
  bool help = false;
  bool version = false;
};

// Parses argv[1..argc-1] (file names are taken losslessly, file_name_text.h). False with a
// one-line message in *error for bad usage; --help and --version need no command.
[[nodiscard]] bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options,
                                   std::string* error);

// The text --help prints.
[[nodiscard]] const char* CliUsageText();
