// The six status panes and the progress step, from snapshots of the figures.
#include "document/status_texts.h"

#include <gtest/gtest.h>

#include "document/null_doc_host.h"
#include "document/vemo_doc.h"

namespace {

CVemoStatusFigures In(DocState state) {
  CVemoStatusFigures f;
  f.state = state;
  return f;
}

struct PaneCase {
  const char* name;
  CVemoStatusFigures figures;
  UINT pane;
  std::wstring text;
};

void PrintTo(const PaneCase& c, std::ostream* os) { *os << c.name; }

class StatusPaneTest : public ::testing::TestWithParam<PaneCase> {};

TEST_P(StatusPaneTest, Text) {
  EXPECT_EQ(FormatStatusPane(GetParam().pane, GetParam().figures), GetParam().text);
}

CVemoStatusFigures Loading(LONG files, LONG dirs) {
  CVemoStatusFigures f = In(DocState::kLoading);
  f.load_text = L"42% Importing Vemo data ...";
  f.listed_files = files;
  f.listed_directories = dirs;
  return f;
}

CVemoStatusFigures Checksumming(double fraction, ULONGLONG done, ULONGLONG queued, double rate) {
  CVemoStatusFigures f = In(DocState::kChecksumming);
  f.checksum_text = L"Reading /data/big.iso";
  f.checksum_fraction = fraction;
  f.bytes_done = done;
  f.bytes_queued = queued;
  f.smoothed_rate = rate;
  return f;
}

CVemoStatusFigures Formatting(std::size_t done, std::size_t total) {
  CVemoStatusFigures f = In(DocState::kFormatting);
  f.records_done = done;
  f.records_total = total;
  return f;
}

CVemoStatusFigures Elapsed(ULONGLONG start, ULONGLONG now) {
  CVemoStatusFigures f = In(DocState::kChecksumming);
  f.checksum_start = CNTimeStamp(start);
  f.now = CNTimeStamp(now);
  return f;
}

CVemoStatusFigures Frozen(DWORD tick, DocState state = DocState::kChecksumming) {
  CVemoStatusFigures f = Checksumming(0.5, 1, 2, 1048576.0);
  f.state = state;
  f.frozen = true;
  f.tick_ms = tick;
  return f;
}

CVemoStatusFigures Scanning(std::wstring dir) {
  CVemoStatusFigures f = In(DocState::kScanning);
  f.scan_directory = std::move(dir);
  f.listed_files = 1;
  f.listed_directories = 1;
  return f;
}

constexpr ULONGLONG kSecond = 10'000'000;

INSTANTIATE_TEST_SUITE_P(
    Panes, StatusPaneTest,
    ::testing::Values(
        PaneCase{"LoadingPhase", Loading(0, 0), ID_PANE_PHASE, L"42% Importing Vemo data ..."},
        PaneCase{"LoadingCounts", Loading(1234567, 2), ID_PANE_COUNT,
                 L"1,234,567 files in 2 directories"},
        PaneCase{"ScanningSingular", Scanning(L"/data/sub/"), ID_PANE_COUNT,
                 L"1 file in 1 directory"},
        PaneCase{"ScanningPhase", Scanning(L"/data/sub/"), ID_PANE_PHASE, L"Scannning /data/sub/"},
        PaneCase{"ScanningBeforeFirstDir", Scanning(L""), ID_PANE_PHASE,
                 L"Initializing directory scan..."},
        PaneCase{"ChecksumOpening", Checksumming(-1.0, 0, 10, 0), ID_PANE_PHASE,
                 L"Reading /data/big.iso"},
        PaneCase{"ChecksumFraction", Checksumming(0.999, 0, 10, 0), ID_PANE_PHASE,
                 L"CRC  99% Reading /data/big.iso"},
        PaneCase{"ChecksumDone", Checksumming(1.0, 0, 10, 0), ID_PANE_PHASE,
                 L"CRC 100% Reading /data/big.iso"},
        PaneCase{"NothingQueued", Checksumming(-1, 0, 0, 0), ID_PANE_COUNT, L"CRCs done"},
        PaneCase{"Kilobytes", Checksumming(-1, 3 << 20, 4ull << 30, 0), ID_PANE_COUNT,
                 L"(0%) 3,072 of 4,194,304 KB"},
        PaneCase{"HugeCounts", Checksumming(-1, 1ull << 62, 1ull << 63, 0), ID_PANE_COUNT,
                 L"(50%) 4,503,599,627,370,496 of 9,007,199,254,740,992 KB"},
        PaneCase{"FormattingKnown", Formatting(50, 200), ID_PANE_PHASE,
                 L" 25% Formatting data for output..."},
        PaneCase{"FormattingUnknown", Formatting(0, 0), ID_PANE_PHASE,
                 L"Formatting data for output..."},
        PaneCase{"FormattingRecords", Formatting(1000, 1001), ID_PANE_COUNT,
                 L"1,000 of 1,001 records"},
        PaneCase{"FormattingOneRecord", Formatting(1, 1), ID_PANE_COUNT, L"1 of 1 record"},
        PaneCase{"FormattingNoTotal", Formatting(0, 0), ID_PANE_COUNT, L""},
        PaneCase{"IdlePhase", In(DocState::kIdle), ID_PANE_PHASE, L"Idle"},
        PaneCase{"IdleCount", In(DocState::kIdle), ID_PANE_COUNT, L"Idle"},
        PaneCase{"NoStateYet", In(DocState::kNone), ID_PANE_PHASE, L""},
        PaneCase{"Same", In(DocState::kIdle), ID_PANE_MODIFIED, L"SAME"},
        PaneCase{"Rate", Checksumming(-1, 0, 1, 1572864.0), ID_PANE_RATE, L"1.50 MB/s"},
        PaneCase{"NoRate", Checksumming(-1, 0, 1, 0), ID_PANE_RATE, L""},
        PaneCase{"RateOnlyWhileChecksumming", Frozen(0, DocState::kIdle), ID_PANE_RATE, L""},
        PaneCase{"FreezeShown", Frozen(1500), ID_PANE_RATE, L"** FREEZE **"},
        PaneCase{"FreezeHidden", Frozen(1499), ID_PANE_RATE, L""},
        PaneCase{"Elapsed", Elapsed(kSecond, kSecond*(1 + 3 * 3600 + 2 * 60 + 5)), ID_PANE_ELAPSED,
                 L"3:02:05"},
        PaneCase{"ElapsedOverADay", Elapsed(kSecond, kSecond*(1 + 30 * 3600)), ID_PANE_ELAPSED,
                 L"30:00:00"},
        PaneCase{"ElapsedClockSetBack", Elapsed(kSecond * 10, kSecond), ID_PANE_ELAPSED,
                 L"0:00:00"},
        PaneCase{"NotStarted", Elapsed(0, kSecond), ID_PANE_ELAPSED, L""},
        PaneCase{"Remaining", Checksumming(-1, 1 << 20, 121 << 20, 1048576.0), ID_PANE_REMAINING,
                 L"0:02:00"},
        PaneCase{"RemainingWithoutRate", Checksumming(-1, 1, 100, 0), ID_PANE_REMAINING, L""},
        PaneCase{"UnknownPane", In(DocState::kIdle), 107, L""}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST(StatusTexts, ModifiedAndInitialTexts) {
  CVemoStatusFigures f = In(DocState::kScanning);
  f.modified = true;
  EXPECT_EQ(FormatModifiedText(f), L"MOD!");
  EXPECT_EQ(InitialStatusPaneText(ID_PANE_PHASE), L"CRC Idle");
  EXPECT_EQ(InitialStatusPaneText(ID_PANE_COUNT), L"Idle");
  EXPECT_EQ(InitialStatusPaneText(ID_PANE_MODIFIED), L"????");
  EXPECT_EQ(InitialStatusPaneText(ID_PANE_REMAINING), L"?");
}

TEST(StatusTexts, ProgressStep) {
  struct Case {
    DocState state;
    ULONGLONG done, queued;
    int step;
  };
  const Case cases[] = {
      {DocState::kChecksumming, 0, 100, 0},        {DocState::kChecksumming, 50, 100, 7},
      {DocState::kChecksumming, 100, 100, 15},     {DocState::kChecksumming, 101, 100, -1},
      {DocState::kChecksumming, 0, 0, -1},         {DocState::kFormatting, 50, 100, -1},
      {DocState::kChecksumming, ~0ull, ~0ull, 15},
  };
  for (const Case& c : cases) {
    CVemoStatusFigures f = In(c.state);
    f.bytes_done = c.done;
    f.bytes_queued = c.queued;
    EXPECT_EQ(ComputeProgressStep(f), c.step) << c.done << "/" << c.queued;
  }
}

TEST(VemoDoc, StartsEmptyWithColumnWidthsToFit) {
  CVemoNullDocHost host;
  CVemoDoc doc(host);
  EXPECT_EQ(doc.GetState(), DocState::kNone);
  EXPECT_EQ(doc.GetRescanMode(), RescanMode::kAll);
  EXPECT_FALSE(doc.GetSaveAndCloseWhenDone());
  EXPECT_EQ(doc.GetProgressStep(), -1);
  EXPECT_EQ(doc.GetPhaseText(), L"");
  EXPECT_FALSE(doc.PollWork(100));
  EXPECT_EQ(doc.GetColumnWidth(0), -2);
  EXPECT_EQ(doc.GetColumnWidth(6), -2);
  EXPECT_EQ(doc.GetColumnWidth(7), -1);
  EXPECT_EQ(doc.GetColumnWidth(-1), -1);
  EXPECT_TRUE(doc.SetColumnWidth(6, 120));
  EXPECT_EQ(doc.GetColumnWidth(6), 120);
  EXPECT_FALSE(doc.SetColumnWidth(7, 120));
  EXPECT_STREQ(doc.GetRuntimeClassName(), "CVemoDoc");
}

}  // namespace
