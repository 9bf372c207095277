#include "document/status_texts.h"

#include "foundation/format_text.h"

namespace {

constexpr wchar_t kSpanFormat[] = L"%h:%M:%S";

std::wstring Grouped(ULONGLONG value) { return FormatGroupedU64(value, 0); }

// (part * factor) / whole without overflow for any 64-bit part.
ULONGLONG ScaledRatio(ULONGLONG part, ULONGLONG factor, ULONGLONG whole) {
  return static_cast<ULONGLONG>(static_cast<unsigned __int128>(part) * factor / whole);
}

}  // namespace

std::wstring FormatPhaseText(const CVemoStatusFigures& f) {
  switch (f.state) {
    case DocState::kLoading:
      return f.load_text;
    case DocState::kScanning:
      if (f.scan_directory.empty()) return L"Initializing directory scan...";
      return L"Scannning " + f.scan_directory;
    case DocState::kChecksumming:
      if (f.checksum_fraction >= 0.0 && f.checksum_fraction <= 1.0) {
        return FormatText(L"CRC %3u%% ", static_cast<unsigned>(f.checksum_fraction * 100.0)) +
               f.checksum_text;
      }
      return f.checksum_text;
    case DocState::kFormatting:
      if (f.records_total != 0) {
        return FormatText(L"%3u%% ", static_cast<unsigned>(
                                         ScaledRatio(f.records_done, 100, f.records_total))) +
               L"Formatting data for output...";
      }
      return L"Formatting data for output...";
    case DocState::kIdle:
      return L"Idle";
    case DocState::kNone:
      return {};
  }
  return {};
}

std::wstring FormatCountText(const CVemoStatusFigures& f) {
  switch (f.state) {
    case DocState::kLoading:
    case DocState::kScanning: {
      const auto files = static_cast<ULONGLONG>(f.listed_files < 0 ? 0 : f.listed_files);
      const auto dirs = static_cast<ULONGLONG>(f.listed_directories < 0 ? 0 : f.listed_directories);
      return Grouped(files) + (files == 1 ? L" file in " : L" files in ") + Grouped(dirs) +
             (dirs == 1 ? L" directory" : L" directories");
    }
    case DocState::kChecksumming:
      if (f.bytes_queued == 0) return L"CRCs done";
      return FormatText(L"(%u%%) ",
                        static_cast<unsigned>(ScaledRatio(f.bytes_done, 100, f.bytes_queued))) +
             Grouped(f.bytes_done >> 10) + L" of " + Grouped(f.bytes_queued >> 10) + L" KB";
    case DocState::kFormatting:
      if (f.records_total == 0) return {};
      return Grouped(f.records_done) + L" of " + Grouped(f.records_total) +
             (f.records_total == 1 ? L" record" : L" records");
    case DocState::kIdle:
      return L"Idle";
    case DocState::kNone:
      return {};
  }
  return {};
}

std::wstring FormatModifiedText(const CVemoStatusFigures& f) {
  return f.modified ? L"MOD!" : L"SAME";
}

std::wstring FormatRateText(const CVemoStatusFigures& f) {
  if (f.frozen) return (f.tick_ms / 500) % 2 == 1 ? L"** FREEZE **" : L"";
  if (f.state == DocState::kChecksumming && f.smoothed_rate != 0.0) {
    return FormatText(L"%1.2f MB/s", f.smoothed_rate * 9.5367431640625e-7);
  }
  return {};
}

std::wstring FormatElapsedText(const CVemoStatusFigures& f) {
  if (f.state != DocState::kChecksumming || f.checksum_start.IsZero()) return {};
  // A clock set back while checksumming shows no time rather than a wrapped one.
  const ULONGLONG span =
      f.now > f.checksum_start ? f.now.Value() - f.checksum_start.Value() : ULONGLONG{0};
  return CNTimeStamp(span).Format(kSpanFormat);
}

std::wstring FormatRemainingText(const CVemoStatusFigures& f) {
  if (f.state != DocState::kChecksumming || f.smoothed_rate == 0.0) return {};
  const ULONGLONG left = f.bytes_queued > f.bytes_done ? f.bytes_queued - f.bytes_done : 0;
  const double units = static_cast<double>(left) * 10'000'000.0 / f.smoothed_rate;
  // Past about 29,000 years the time stamp has no calendar any more; such a rate is noise.
  if (!(units >= 0.0) || units >= 9.2e18) return {};
  return CNTimeStamp(static_cast<ULONGLONG>(units)).Format(kSpanFormat);
}

std::wstring FormatStatusPane(UINT pane, const CVemoStatusFigures& figures) {
  switch (pane) {
    case ID_PANE_PHASE:
      return FormatPhaseText(figures);
    case ID_PANE_COUNT:
      return FormatCountText(figures);
    case ID_PANE_MODIFIED:
      return FormatModifiedText(figures);
    case ID_PANE_RATE:
      return FormatRateText(figures);
    case ID_PANE_ELAPSED:
      return FormatElapsedText(figures);
    case ID_PANE_REMAINING:
      return FormatRemainingText(figures);
    default:
      return {};
  }
}

int ComputeProgressStep(const CVemoStatusFigures& f) {
  if (f.state != DocState::kChecksumming) return -1;
  if (f.bytes_queued == 0 || f.bytes_done > f.bytes_queued) return -1;
  return static_cast<int>(ScaledRatio(f.bytes_done, 15, f.bytes_queued));
}

std::wstring InitialStatusPaneText(UINT pane) {
  switch (pane) {
    case ID_PANE_PHASE:
      return L"CRC Idle";
    case ID_PANE_COUNT:
      return L"Idle";
    case ID_PANE_MODIFIED:
      return L"????";
    case ID_PANE_RATE:
    case ID_PANE_ELAPSED:
    case ID_PANE_REMAINING:
      return L"?";
    default:
      return {};
  }
}
