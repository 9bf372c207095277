#include "cli/report_writer.h"

#include <cerrno>
#include <vector>

#include "cli/output_escaping.h"
#include "cli/report_notes.h"
#include "document/entries/compare_rules.h"
#include "document/entries/entry.h"
#include "document/entries/entry_columns.h"
#include "document/entries/entry_flags.h"

namespace {

// The entry's line content beyond the category and the path: the note with the command line's
// additions, and the tolerated differences.
struct Described {
  std::wstring note;
  std::vector<ToleratedDifference> tolerated;
};

Described Describe(const CliReportItem& item) {
  const CVemoEntry& entry = *item.entry;
  Described d;
  if (item.from != nullptr) {
    const DWORD differences = entry.IsDirectory() ? 0 : MovedDifferences(entry, *item.from);
    d.note = MovedNote(entry, *item.from, differences, item.files);
    d.tolerated = ToleratedDifferences(differences, item.from->m_stored, entry.m_current);
  } else {
    d.note = entry.GetColumnText(kColumnNote);
    if (item.missing_alike != 0 || item.new_alike != 0) {
      d.note += L"; " + UnpairedRemark(item.category == CliCategory::kMissing, item.missing_alike,
                                       item.new_alike);
    }
    if (!entry.IsDirectory() && IsComparable(entry.m_dwFlags)) {
      d.tolerated = ToleratedDifferences(entry.m_dwFlags, entry.m_stored, entry.m_current);
    }
  }
  if (!d.tolerated.empty()) d.note += L"; " + ToleratedText(d.tolerated);
  return d;
}

std::string JsonSize(ULONGLONG size, bool directory) {
  return directory || size == kNoSize ? "null" : std::to_string(size);
}

// The listed state as the columns would show it.
std::string JsonListed(const FileState& listed) {
  const bool directory = listed.IsDirectory();
  std::string text = "{\"size\":" + JsonSize(listed.size, directory);
  std::wstring date;
  std::wstring attr;
  std::wstring crc;
  if (!directory) {
    if (listed.time != CNTimeStamp()) date = listed.time.ToLocal().Format(L"%Y-%m-%d %H:%M:%S");
    attr = FormatAttributes(listed.attributes);
    crc = listed.HasChecksums() ? FormatChecksums(listed) : L"n/a";
  }
  text += ",\"date\":" + JsonString(date) + ",\"attr\":" + JsonString(attr) +
          ",\"crc\":" + JsonString(crc) + "}";
  return text;
}

std::string JsonEntry(const CliReportItem& item, const Described& d) {
  const CVemoEntry& entry = *item.entry;
  const FileState& state = entry.GetCurrentState();
  // The category words are plain ASCII.
  std::string line = "{\"category\":\"" + std::string(CliCategoryWord(item.category)) + "\"";
  line += ",\"path\":" + JsonString(RelativeEntryPath(entry));
  if (item.from != nullptr) line += ",\"from\":" + JsonString(RelativeEntryPath(*item.from));
  line += ",\"directory\":";
  line += entry.IsDirectory() ? "true" : "false";
  line += ",\"note\":" + JsonString(d.note);
  // The size the Size column shows, as a number; null where the column is empty.
  line += ",\"size\":" + JsonSize(state.size, entry.GetColumnText(kColumnSize).empty());
  line += ",\"date\":" + JsonString(entry.GetColumnText(kColumnDate));
  line += ",\"attr\":" + JsonString(entry.GetColumnText(kColumnAttr));
  line += ",\"crc\":" + JsonString(entry.GetColumnText(kColumnCrc));
  line += ",\"listed\":";
  if (item.from != nullptr) {
    line += JsonListed(item.from->m_stored);
  } else if ((entry.m_dwFlags & EF_LISTED) != 0) {
    line += JsonListed(entry.m_stored);
  } else {
    line += "null";
  }
  line += ",\"tolerated\":[";
  for (std::size_t i = 0; i < d.tolerated.size(); ++i) {
    if (i > 0) line += ",";
    line += "{\"name\":\"" + std::string(ToleranceName(d.tolerated[i].kind)) +
            "\",\"by\":" + JsonString(d.tolerated[i].by) + "}";
  }
  line += "]";
  if (item.from != nullptr && entry.IsDirectory())
    line += ",\"files\":" + std::to_string(item.files);
  if (item.missing_alike != 0 || item.new_alike != 0) {
    line += ",\"alike\":{\"missing\":" + std::to_string(item.missing_alike) +
            ",\"new\":" + std::to_string(item.new_alike) + "}";
  }
  line += "}\n";
  return line;
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void CliReportWriter::Entry(const CliReportItem& item, bool reportable) {
  counts_.Add(item.category, item.entry->IsDirectory());
  if (!reportable || quiet_ || (item.category == CliCategory::kUnchanged && !all_)) return;
  const Described d = Describe(item);
  if (format_ == Format::kJson) {
    Write(JsonEntry(item, d));
    return;
  }
  Write(std::string(CliCategoryWord(item.category)) + "\t" +
        EscapeText(RelativeEntryPath(*item.entry)) + "\t" + EscapeText(d.note) + "\n");
}

void CliReportWriter::Summary(const CliListCondition& list) {
  using C = CliCategory;
  constexpr C kFileCategories[] = {C::kUnchanged, C::kChanged, C::kDamaged, C::kMoved,
                                   C::kNew,       C::kMissing, C::kError};
  // Directories are never changed or damaged: their own time stamp and size follow their contents.
  constexpr C kDirectoryCategories[] = {C::kUnchanged, C::kMoved, C::kNew, C::kMissing, C::kError};
  // JSON keys and the summary's words: as the category words, but "damaged" and "errors".
  auto key = [](C c) -> std::string {
    if (c == C::kDamaged) return "damaged";
    if (c == C::kError) return "errors";
    return CliCategoryWord(c);
  };
  if (format_ == Format::kJson) {
    std::string line = "{\"summary\":{";
    for (C c : kFileCategories) {
      line.append("\"").append(key(c)).append("\":").append(std::to_string(counts_.Total(c)));
      line += ',';
    }
    auto object = [&](const char* name, const auto& categories, bool directory) {
      line.append("\"").append(name).append("\":{");
      for (C c : categories) {
        if (c != categories[0]) line += ",";
        line.append("\"").append(key(c)).append("\":");
        line += std::to_string(counts_.Of(c, directory));
      }
      line += "},";
    };
    object("files", kFileCategories, false);
    object("directories", kDirectoryCategories, true);
    // No line can be singled out as intact: the signature shows only that the file changed, and
    // an unsigned list shows not even that.
    const bool untrusted = list.tampered || list.unsigned_list;
    line += std::string("\"tampered\":") + (list.tampered ? "true" : "false");
    line += std::string(",\"signed\":") + (list.unsigned_list || list.empty ? "false" : "true");
    line += std::string(",\"untrusted\":") + (untrusted ? "\"all\"" : "\"none\"");
    line += std::string(",\"empty\":") + (list.empty ? "true" : "false") + "}}\n";
    Write(line);
  } else {
    auto counts = [&](const auto& categories, bool directory) {
      std::string text;
      for (C c : categories) {
        if (c != categories[0]) text += ", ";
        const std::size_t n = counts_.Of(c, directory);
        text += c == C::kError ? Plural(n, "error", "errors")
                               : std::to_string(n) + " " + CliCategoryWord(c);
      }
      return text;
    };
    std::string line = "Summary: files " + counts(kFileCategories, false) + "; directories " +
                       counts(kDirectoryCategories, true);
    if (list.tampered) {
      line +=
          "; the list was tampered with: its signature tells that it changed, not where, so no "
          "line of it can be trusted";
    }
    if (list.unsigned_list) {
      line += "; the list carries no signature, so nothing shows whether it was changed";
    }
    if (list.empty) line += "; the list was empty";
    Write(line + "\n");
  }
  Flush();
}

void CliReportWriter::CreateSummary(std::size_t listed_files, std::size_t listed_directories) {
  const std::size_t errors = counts_.Total(CliCategory::kError);
  if (format_ == Format::kJson) {
    Write("{\"summary\":{\"listed\":{\"files\":" + std::to_string(listed_files) +
          ",\"directories\":" + std::to_string(listed_directories) +
          "},\"errors\":" + std::to_string(errors) + "}}\n");
  } else {
    Write("Summary: listed " + Plural(listed_files, "file", "files") + " and " +
          Plural(listed_directories, "directory", "directories") + ", " +
          Plural(errors, "error", "errors") + "\n");
  }
  Flush();
}

void CliReportWriter::Write(const std::string& line) {
  if (error_ != 0) return;
  errno = 0;
  if (std::fwrite(line.data(), 1, line.size(), out_) != line.size()) {
    error_ = errno != 0 ? errno : EIO;
  }
}

void CliReportWriter::Flush() {
  if (std::fflush(out_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
}
