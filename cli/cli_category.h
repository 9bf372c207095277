// The categories of the command line's report: the shared entry categories (entry_category.h)
// and `moved`, which only the command line's pairing of missing and new entries gives (the list
// and the desktop program know no moves).
#pragma once
#include <array>
#include <cstddef>

#include "document/entries/entry_category.h"

enum class CliCategory : int {
  kUnchanged = 0,
  kChanged,
  kDamaged,
  kMoved,  // a missing entry found again under another path (move_pairing.h)
  kNew,
  kMissing,
  kError,
};
inline constexpr std::size_t kCliCategoryCount = 7;

[[nodiscard]] CliCategory ToCliCategory(ReportCategory category);

// The word of the text output and of the JSON "category" key: unchanged, changed, damaged?,
// moved, new, missing, error.
[[nodiscard]] const char* CliCategoryWord(CliCategory category);

// Entries per category, files and directories apart.
class CliReportCounts {
 public:
  void Add(CliCategory category, bool directory) { ++Row(directory)[Index(category)]; }
  [[nodiscard]] std::size_t Of(CliCategory category, bool directory) const {
    return Row(directory)[Index(category)];
  }
  [[nodiscard]] std::size_t Total(CliCategory category) const {
    return Of(category, false) + Of(category, true);
  }
  // Anything but unchanged, files or directories.
  [[nodiscard]] bool AnyDifference() const;

 private:
  using Counts = std::array<std::size_t, kCliCategoryCount>;
  static std::size_t Index(CliCategory category) { return static_cast<std::size_t>(category); }
  Counts& Row(bool directory) { return directory ? directories_ : files_; }
  const Counts& Row(bool directory) const { return directory ? directories_ : files_; }

  Counts files_{};
  Counts directories_{};
};
