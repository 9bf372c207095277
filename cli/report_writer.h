// Writes the report to standard output: one line per reported entry (tab-separated text, or one
// JSON object per line) and the summary last. Output errors are remembered, never fatal: the
// command finishes its work (a save must not depend on a reader of the output) and exits with 2.
// Main thread.
#pragma once
#include <cstdio>
#include <string>

#include "document/records/entry_category.h"

class CVemoEntry;

class CliReportWriter {
 public:
  enum class Format { kText, kJson };

  // all: unchanged entries are reported too; quiet: only the summary is written.
  CliReportWriter(std::FILE* out, Format format, bool all, bool quiet)
      : out_(out), format_(format), all_(all), quiet_(quiet) {}

  // Counts the entry under category and writes its line unless the entry is unchanged (without
  // --all), the output is quiet, or the caller does not want it reported.
  void Entry(const CVemoEntry& entry, ReportCategory category, bool reportable = true);
  // The summary line or object, then flushes.
  void Summary();

  [[nodiscard]] const ReportCounts& Counts() const { return counts_; }
  // Whether writing failed (a closed pipe included); the error code of the first failure.
  [[nodiscard]] bool Failed() const { return error_ != 0; }
  [[nodiscard]] int Error() const { return error_; }

 private:
  void Write(const std::string& line);

  std::FILE* out_;
  Format format_;
  bool all_;
  bool quiet_;
  ReportCounts counts_;
  int error_ = 0;
};
