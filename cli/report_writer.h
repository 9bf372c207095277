// Writes the report to standard output: one line per reported entry (tab-separated text, or one
// JSON object per line) and the summary last. Output errors are remembered, never fatal: the
// command finishes its work (a save must not depend on a reader of the output) and exits with 2.
// Main thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/cli_category.h"

class CVemoEntry;

// One entry of the report, as the pairing of moves left it.
struct CliReportItem {
  const CVemoEntry* entry = nullptr;  // for a move: the new place
  CliCategory category = CliCategory::kUnchanged;
  const CVemoEntry* from = nullptr;  // moved: the old place (a missing entry)
  std::size_t files = 0;             // a moved directory: the files that moved with it
  std::uint32_t missing_alike = 0;   // missing or new files of the same contents that kept
  std::uint32_t new_alike = 0;       // this one from being paired (itself included)
};

// What the list that was read can be trusted with.
struct CliListCondition {
  bool tampered = false;       // the signature did not verify: any line may have been changed
  bool empty = false;          // the list file was empty
  bool unsigned_list = false;  // the list carries no signature: nothing shows whether it changed
};

class CliReportWriter {
 public:
  enum class Format { kText, kJson };

  // all: unchanged entries are reported too; quiet: only the summary is written.
  CliReportWriter(std::FILE* out, Format format, bool all, bool quiet)
      : out_(out), format_(format), all_(all), quiet_(quiet) {}

  // Counts the item and writes its line unless it is unchanged (without --all), the output is
  // quiet, or the caller does not want it reported.
  void Entry(const CliReportItem& item, bool reportable = true);
  // Counts an entry that has no line of its own (it moved with its directory).
  void CountOnly(CliCategory category, bool directory) { counts_.Add(category, directory); }
  // The summary of a verify or update, then flushes.
  void Summary(const CliListCondition& list);
  // The summary of a create: what the saved list holds, and the files that could not be read.
  void CreateSummary(std::size_t listed_files, std::size_t listed_directories);

  [[nodiscard]] const CliReportCounts& Counts() const { return counts_; }
  // Whether writing failed (a closed pipe included); the error code of the first failure.
  [[nodiscard]] bool Failed() const { return error_ != 0; }
  [[nodiscard]] int Error() const { return error_; }

 private:
  void Write(const std::string& line);
  void Flush();

  std::FILE* out_;
  Format format_;
  bool all_;
  bool quiet_;
  CliReportCounts counts_;
  int error_ = 0;
};
