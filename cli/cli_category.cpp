#include "cli/cli_category.h"

CliCategory ToCliCategory(ReportCategory category) {
  switch (category) {
    case ReportCategory::kUnchanged:
      return CliCategory::kUnchanged;
    case ReportCategory::kChanged:
      return CliCategory::kChanged;
    case ReportCategory::kDamaged:
      return CliCategory::kDamaged;
    case ReportCategory::kNew:
      return CliCategory::kNew;
    case ReportCategory::kMissing:
      return CliCategory::kMissing;
    case ReportCategory::kError:
      return CliCategory::kError;
  }
  return CliCategory::kError;
}

const char* CliCategoryWord(CliCategory category) {
  switch (category) {
    case CliCategory::kUnchanged:
      return "unchanged";
    case CliCategory::kChanged:
      return "changed";
    case CliCategory::kDamaged:
      return "damaged?";
    case CliCategory::kMoved:
      return "moved";
    case CliCategory::kNew:
      return "new";
    case CliCategory::kMissing:
      return "missing";
    case CliCategory::kError:
      return "error";
  }
  return "error";
}

bool CliReportCounts::AnyDifference() const {
  for (std::size_t i = Index(CliCategory::kUnchanged) + 1; i < kCliCategoryCount; ++i) {
    if (files_[i] != 0 || directories_[i] != 0) return true;
  }
  return false;
}
