#include "cli/report_writer.h"

#include <cerrno>

#include "cli/output_escaping.h"
#include "document/records/entry.h"
#include "document/records/entry_columns.h"

namespace {

std::string JsonEntry(const CVemoEntry& entry, ReportCategory category) {
  const std::wstring size_text = entry.GetColumnText(kColumnSize);
  const FileState& state = entry.GetCurrentState();
  // The category words are plain ASCII.
  std::string line = "{\"category\":\"" + std::string(CategoryWord(category)) + "\"";
  line += ",\"path\":" + JsonString(RelativeEntryPath(entry));
  line += ",\"directory\":";
  line += entry.IsDirectory() ? "true" : "false";
  line += ",\"note\":" + JsonString(entry.GetColumnText(kColumnNote));
  line += ",\"size\":";
  // The size the Size column shows, as a number; null where the column is empty.
  line += size_text.empty() || state.size == kNoSize ? "null" : std::to_string(state.size);
  line += ",\"date\":" + JsonString(entry.GetColumnText(kColumnDate));
  line += ",\"attr\":" + JsonString(entry.GetColumnText(kColumnAttr));
  line += ",\"crc\":" + JsonString(entry.GetColumnText(kColumnCrc));
  line += "}\n";
  return line;
}

}  // namespace

void CliReportWriter::Entry(const CVemoEntry& entry, ReportCategory category, bool reportable) {
  counts_.Add(category);
  if (!reportable || quiet_ || (category == ReportCategory::kUnchanged && !all_)) return;
  if (format_ == Format::kJson) {
    Write(JsonEntry(entry, category));
    return;
  }
  Write(std::string(CategoryWord(category)) + "\t" + EscapeText(RelativeEntryPath(entry)) + "\t" +
        EscapeText(entry.GetColumnText(kColumnNote)) + "\n");
}

void CliReportWriter::Summary() {
  auto n = [this](ReportCategory c) { return std::to_string(counts_.Of(c)); };
  if (format_ == Format::kJson) {
    Write("{\"summary\":{\"unchanged\":" + n(ReportCategory::kUnchanged) + ",\"changed\":" +
          n(ReportCategory::kChanged) + ",\"damaged\":" + n(ReportCategory::kDamaged) +
          ",\"new\":" + n(ReportCategory::kNew) + ",\"missing\":" + n(ReportCategory::kMissing) +
          ",\"errors\":" + n(ReportCategory::kError) + "}}\n");
  } else {
    Write("Summary: " + n(ReportCategory::kUnchanged) + " unchanged, " +
          n(ReportCategory::kChanged) + " changed, " + n(ReportCategory::kDamaged) + " damaged?, " +
          n(ReportCategory::kNew) + " new, " + n(ReportCategory::kMissing) + " missing, " +
          n(ReportCategory::kError) + " errors\n");
  }
  if (std::fflush(out_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void CliReportWriter::Write(const std::string& line) {
  if (error_ != 0) return;
  errno = 0;
  if (std::fwrite(line.data(), 1, line.size(), out_) != line.size()) {
    error_ = errno != 0 ? errno : EIO;
  }
}
