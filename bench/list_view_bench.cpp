// The list view at the scale users keep: a document of about 1,000,000 entries in about 10,000
// directories, shown in a CVemoView on the offscreen platform.
//
// Measured, each beside a yardstick from the same run:
//   - the event loop's latency while the document checksums a real tree at full speed, redrawing
//     and following each result (yardstick: the probe's own period);
//   - rebuilding the rows (yardstick: the same traversal into a plain std::vector of pointers);
//   - heap bytes per row;
//   - painting a full viewport (yardstick: QTableView over a QStandardItemModel of 10,000 rows
//     with the same cells);
//   - finding the row of a redrawn entry (yardstick: the linear search from the first row).
//
// Usage: list_view_bench [listed entries, default 1000000] [real files, default 20000]
#include <malloc.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/document_writer.h"
#include "document/entries/entry_columns.h"
#include "document/entry_rows.h"
#include "document/null_doc_host.h"
#include "document/vemo_doc.h"
#include "foundation/process_values.h"
#include "platform/file_name_text.h"
#include "ui/vemo_row_model.h"
#include "ui/vemo_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::size_t HeapBytes() { return mallinfo2().uordblks; }

class BenchHost : public CVemoNullDocHost {
 public:
  int ShowMessageBox(std::wstring_view text, std::wstring_view, UINT) override {
    std::fprintf(stderr, "message: %ls\n", std::wstring(text).c_str());
    return IDOK;
  }
  void UpdateAllViews(CVemoDoc&, DWORD hint, const CVemoEntry* entry, int column) override {
    if (view == nullptr) return;
    const auto start = Clock::now();
    view->OnUpdate(nullptr, hint, entry, column);
    const double ms = Ms(Clock::now() - start);
    if (getenv("BENCH_TRACE") && ms > 5)
      std::fprintf(stderr, "hint %08x col %d: %.1f ms\n", hint, column, ms);
  }

  CVemoView* view = nullptr;
};

const wchar_t* const kWords[] = {L"Documents", L"Photos", L"2019",    L"2020",
                                 L"Projects",  L"src",    L"include", L"Urlaub Italien",
                                 L"backup",    L"music",  L"tests",   L"Übersetzungen"};
const wchar_t* const kExtensions[] = {L".jpg", L".txt", L".cpp", L".h", L".pdf", L".mp3"};

// A document file of `entries` listed entries in `directories` directories that do not exist on
// disk, written with the program's own writer.
bool WriteListedDocument(const std::string& path, const std::wstring& base, std::size_t entries,
                         std::size_t directories) {
  std::mt19937 random(12345);
  const SharedText base_text(base);
  std::vector<SharedText> dirs{SharedText()};
  std::vector<std::wstring> dir_names{L""};
  CVemoDocumentWriter writer(CurrentDocumentHeader(base));
  writer.Reserve(entries);
  auto add = [&](const SharedText& rel_dir, std::wstring name, bool directory) {
    FileState state;
    state.name = name;
    state.size = directory ? 0 : random() % 5000000;
    state.attributes = directory ? 0x10 : 0x20;
    state.time = CNTimeStamp(132000000000000000ULL + (random() % 100000000) * 10000000ULL);
    state.dwCrc1 = directory ? kNoCrc : random();
    state.dwCrc2 = directory ? kNoCrc : random();
    CVemoEntry entry(base_text, rel_dir, std::move(name), state.attributes, KeyCase::kExact);
    entry.m_current = std::move(state);
    entry.m_dwFlags = EF_FOUND;
    writer.AddEntry(entry);
  };
  for (std::size_t d = 1; d < directories; ++d) {
    const std::size_t parent = random() % d;
    std::wstring name =
        std::wstring(L"listed ") + kWords[random() % std::size(kWords)] + L" " + std::to_wstring(d);
    add(dirs[parent], name, true);
    dir_names.push_back(dir_names[parent] + name + L"/");
    dirs.emplace_back(dir_names.back());
  }
  for (std::size_t i = directories; i < entries; ++i) {
    add(dirs[random() % dirs.size()],
        L"IMG_" + std::to_wstring(20190000 + i) + kExtensions[random() % std::size(kExtensions)],
        false);
  }
  std::size_t length = 0;
  char* bytes = writer.Finish(&length);
  if (bytes == nullptr) return false;
  std::ofstream out(path, std::ios::binary);
  out.write(bytes, static_cast<std::streamsize>(length));
  std::free(bytes);
  return static_cast<bool>(out);
}

// Runs the document's idle processing from the event loop, as the application does, until it is
// Idle; meanwhile a probe timer of `period` ms records how late the loop lets it run.
struct Latency {
  double worst_ms = 0;
  double p99_ms = 0;
  std::size_t samples = 0;
};
Latency Summarise(std::vector<double> lateness) {
  Latency result;
  result.samples = lateness.size();
  if (!lateness.empty()) {
    std::sort(lateness.begin(), lateness.end());
    result.worst_ms = lateness.back();
    result.p99_ms = lateness[lateness.size() * 99 / 100];
  }
  return result;
}
struct CycleLatency {
  Latency checksumming;
  Latency whole;
  // The longest single round of idle processing, by the phase it began in (Loading..Formatting).
  double longest_poll_ms[6] = {};
};
CycleLatency RunCycle(CVemoDoc& doc, const CVemoView& view, int period) {
  std::vector<double> lateness;
  std::vector<double> checksumming;
  CycleLatency result;
  QEventLoop loop;
  QTimer idle;
  idle.setInterval(0);
  QObject::connect(&idle, &QTimer::timeout, [&] {
    const auto start = Clock::now();
    const DocState state = doc.GetState();
    for (long count = 0; doc.PollWork(count); ++count) {
    }
    const double ms = Ms(Clock::now() - start);
    double& longest = result.longest_poll_ms[static_cast<int>(state) % 6];
    longest = std::max(longest, ms);
    if (getenv("BENCH_TRACE") && ms > 5)
      std::fprintf(stderr, "poll in state %d: %.1f ms\n", static_cast<int>(state), ms);
    if (doc.GetState() == DocState::kIdle) idle.stop();
  });
  // The cycle ends when the view shows the Idle rows: the last rebuild runs in slices too.
  QTimer done;
  done.setInterval(1);
  QObject::connect(&done, &QTimer::timeout, [&] {
    if (doc.GetState() == DocState::kIdle && !view.IsRebuildingRows()) loop.quit();
  });
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(period);
  auto last = Clock::now();
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const auto now = Clock::now();
    lateness.push_back(Ms(now - last) - period);
    if (doc.GetState() == DocState::kChecksumming) checksumming.push_back(lateness.back());
    last = now;
  });
  idle.start();
  probe.start();
  done.start();
  loop.exec();
  result.checksumming = Summarise(std::move(checksumming));
  result.whole = Summarise(std::move(lateness));
  return result;
}

// Average milliseconds of painting the whole viewport of table, at a few scroll positions.
double PaintMs(QTableView& table, int rounds) {
  QScrollBar* bar = table.verticalScrollBar();
  (void)table.viewport()->grab();  // warm caches
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    bar->setValue(bar->maximum() / rounds * i);
    (void)table.viewport()->grab();
  }
  return Ms(Clock::now() - start) / rounds;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::size_t listed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const std::size_t files = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20000;
  QApplication app(argc, argv);

  std::string pattern = "/tmp/vemo_list_view_bench_XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const std::string root = pattern + "/";
  std::string contents(4096, 'x');
  for (std::size_t i = 0; i < files; ++i) {
    const std::string dir = root + "real" + std::to_string(i / 100) + "/";
    if (i % 100 == 0) std::filesystem::create_directory(dir);
    contents[0] = static_cast<char>(i);
    std::ofstream(dir + "file" + std::to_string(i) + ".dat", std::ios::binary) << contents;
  }
  const std::string doc_path = root + "check.sum";
  if (!WriteListedDocument(doc_path, platform::FileNameToWide(root), listed,
                           std::max<std::size_t>(listed / 100, 2))) {
    return 1;
  }

  BenchHost host;
  auto doc = std::make_unique<CVemoDoc>(host);
  FollowScan.store(1);
  CVemoView view(*doc);
  view.resize(1200, 800);
  view.show();
  view.OnInitialUpdate();
  host.view = &view;

  // 1. The cycle: load, walk, checksum every real file (a redraw and a scroll each), format.
  auto t0 = Clock::now();
  if (!doc->OnOpenDocument(platform::FileNameToWide(doc_path))) return 1;
  const CycleLatency latency = RunCycle(*doc, view, 5);
  const double cycle_ms = Ms(Clock::now() - t0);
  const std::size_t entries = doc->GetEntries().GetCount();
  std::printf("document: %zu entries (%zu listed, %zu real files checksummed), cycle %.0f ms\n",
              entries, listed, files, cycle_ms);
  std::printf(
      "event loop latency (a 5 ms probe timer; goal: answer within 50 ms), following every "
      "result:\n  while checksumming: worst %.1f ms, 99th percentile %.1f ms over %zu probes\n"
      "  whole cycle (load, walk, checksum, format): worst %.1f ms, 99th percentile %.1f ms over "
      "%zu probes\n",
      latency.checksumming.worst_ms, latency.checksumming.p99_ms, latency.checksumming.samples,
      latency.whole.worst_ms, latency.whole.p99_ms, latency.whole.samples);
  // Yardstick for the longest poll: one plain traversal of the same entries.
  t0 = Clock::now();
  std::size_t visited = 0;
  doc->GetEntries().ForEach([&](void* value) { visited += value != nullptr; });
  const double traversal_ms = Ms(Clock::now() - t0);
  std::printf(
      "longest single PollWork (views updated inside it), beside one plain traversal of the %zu "
      "entries: %.1f ms\n",
      visited, traversal_ms);
  const char* const kPhases[] = {"", "Loading", "Scanning", "Checksumming", "Formatting"};
  for (int phase = 1; phase <= 4; ++phase) {
    std::printf("  %-13s %8.1f ms  (%.2fx the traversal)\n", kPhases[phase],
                latency.longest_poll_ms[phase], latency.longest_poll_ms[phase] / traversal_ms);
  }

  // 2. Rebuilding the rows, best of five, beside a plain vector of the same pointers.
  const int kRounds = 5;
  double yardstick = 1e9, rows_all = 1e9, rows_walk = 1e9, view_rebuild = 1e9;
  std::vector<const CVemoEntry*> plain;
  CVemoEntryRows rows;
  for (int round = 0; round < kRounds; ++round) {
    t0 = Clock::now();
    plain.clear();
    plain.reserve(doc->GetEntries().GetCount());
    doc->GetEntries().ForEach(
        [&](void* value) { plain.push_back(static_cast<const CVemoEntry*>(value)); });
    yardstick = std::min(yardstick, Ms(Clock::now() - t0));
    t0 = Clock::now();
    rows.Rebuild(*doc, 63);
    rows_all = std::min(rows_all, Ms(Clock::now() - t0));
    t0 = Clock::now();
    rows.Rebuild(*doc, 63 & ~SF_EMPTY_FOLDERS);
    rows_walk = std::min(rows_walk, Ms(Clock::now() - t0));
    t0 = Clock::now();
    view.RebuildRows();
    view_rebuild = std::min(view_rebuild, Ms(Clock::now() - t0));
  }
  std::printf("RebuildRows, best of %d:\n", kRounds);
  std::printf("  yardstick: map traversal into a plain std::vector   %7.1f ms\n", yardstick);
  std::printf("  rows, every entry shown                             %7.1f ms  (%.2fx)\n", rows_all,
              rows_all / yardstick);
  std::printf("  rows, filter and empty-folder walk (%zu rows)   %7.1f ms  (%.2fx)\n", rows.size(),
              rows_walk, rows_walk / yardstick);
  std::printf(
      "  the view: rows and the table's reset                %7.1f ms  (%.2fx)  [goal 150 ms]\n",
      view_rebuild, view_rebuild / yardstick);

  // 3. Heap bytes per row: the rows alone, and the view's rows with everything Qt keeps per row.
  rows.Clear();
  CVemoEntryRows fresh;
  malloc_trim(0);
  std::size_t before = HeapBytes();
  fresh.Rebuild(*doc, 63);
  const double rows_bytes = static_cast<double>(HeapBytes() - before) / fresh.size();
  fresh = CVemoEntryRows();
  double view_bytes = 0;
  {
    CVemoView second(*doc);
    second.resize(view.size());
    second.show();
    second.OnInitialUpdate();
    QApplication::processEvents();
    malloc_trim(0);
    before = HeapBytes();
    second.RebuildRows();
    QApplication::processEvents();
    view_bytes = static_cast<double>(HeapBytes() - before) / second.RowModel().Rows().size();
  }
  std::printf(
      "heap per row: rows %.1f bytes; a second view with its rows, table and headers %.1f "
      "bytes  [goal 16 bytes]\n",
      rows_bytes, view_bytes);

  // 4. Painting a full viewport, beside Qt's own model with the same cells in 10,000 rows.
  const int kPaints = 40;
  QApplication::processEvents();
  const double view_paint = PaintMs(view, kPaints);
  const int shown_rows = view.viewport()->height() / view.rowHeight(0);
  QStandardItemModel standard(10000, kColumnCount);
  const CVemoRowModel& model = view.RowModel();
  for (int row = 0; row < 10000; ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      const QModelIndex index = model.index(row % model.rowCount(), column);
      auto* item = new QStandardItem(index.data().toString());
      item->setData(index.data(Qt::DecorationRole), Qt::DecorationRole);
      item->setData(index.data(Qt::ForegroundRole), Qt::ForegroundRole);
      item->setData(index.data(Qt::BackgroundRole), Qt::BackgroundRole);
      item->setData(index.data(Qt::TextAlignmentRole), Qt::TextAlignmentRole);
      standard.setItem(row, column, item);
    }
  }
  QTableView table;
  table.setModel(&standard);
  table.verticalHeader()->hide();
  table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table.verticalHeader()->setMinimumSectionSize(view.rowHeight(0));
  table.verticalHeader()->setDefaultSectionSize(view.rowHeight(0));
  table.setIconSize(view.iconSize());
  table.setShowGrid(view.showGrid());
  table.setWordWrap(false);
  for (int column = 0; column < kColumnCount; ++column) {
    table.setColumnWidth(column, view.columnWidth(column));
  }
  table.resize(view.size());
  table.show();
  QApplication::processEvents();
  const double standard_paint = PaintMs(table, kPaints);
  std::printf(
      "painting a full viewport (%dx%d, %d rows): view %.2f ms, QStandardItemModel of 10,000 "
      "rows %.2f ms (%.2fx)  [goal 10 ms]\n",
      view.viewport()->width(), view.viewport()->height(), shown_rows, view_paint, standard_paint,
      view_paint / standard_paint);

  // 5. The row of a redrawn entry: lookup by key against the linear search from the first row.
  const CVemoEntryRows& shown = view.RowModel().Rows();
  std::mt19937 random(99);
  std::vector<const CVemoEntry*> probes(200000);
  for (auto& probe : probes) probe = shown[random() % shown.size()];
  t0 = Clock::now();
  std::ptrdiff_t sink = 0;
  for (const CVemoEntry* probe : probes) sink += shown.RowOf(probe);
  const double lookup_ns = Ms(Clock::now() - t0) * 1e6 / probes.size();
  const std::size_t linear_count = 200;
  t0 = Clock::now();
  for (std::size_t i = 0; i < linear_count; ++i) {
    const CVemoEntry* probe = probes[i];
    std::size_t row = 0;
    while (row < shown.size() && shown[row] != probe) ++row;
    sink += static_cast<std::ptrdiff_t>(row);
  }
  const double linear_ns = Ms(Clock::now() - t0) * 1e6 / linear_count;
  t0 = Clock::now();
  for (std::size_t i = 0; i < 200; ++i) view.OnUpdate(nullptr, RDRW, probes[i], -1);
  const double follow_us = Ms(Clock::now() - t0) * 1e3 / 200;
  std::printf("RDRW with following, each far from the last: %.0f us\n", follow_us);
  view.OnCommand(ID_VIEW_FOLLOW_SCAN);  // following off: the hint's own cost
  t0 = Clock::now();
  for (std::size_t i = 0; i < 20000; ++i) view.OnUpdate(nullptr, RDRW, probes[i], -1);
  const double hint_ns = Ms(Clock::now() - t0) * 1e6 / 20000;
  const std::size_t first = shown.size() / 3;
  const std::size_t consecutive = std::min<std::size_t>(200000, shown.size() - first);
  t0 = Clock::now();
  for (std::size_t i = 0; i < consecutive; ++i) {
    view.OnUpdate(nullptr, RDRW, shown[first + i], -1);
  }
  const double next_ns = Ms(Clock::now() - t0) * 1e6 / consecutive;
  std::printf(
      "row of an entry among %zu rows: %.0f ns by key, %.0f ns by linear search (%.0fx); a whole "
      "RDRW hint %.0f ns for a random row, %.0f ns for the row after the last\n",
      shown.size(), lookup_ns, linear_ns, linear_ns / lookup_ns, hint_ns, next_ns);

  // Type-ahead as Qt's tables do it (the view leaves it out): a prefix no row has reads every
  // row's name.
  view.setCurrentIndex(view.model()->index(0, 0));
  t0 = Clock::now();
  view.QTableView::keyboardSearch(QStringLiteral("~"));
  std::printf("Qt's type-ahead search for a prefix no row has: %.1f ms\n", Ms(Clock::now() - t0));

  host.view = nullptr;
  doc->OnCloseDocument();
  doc.reset();
  std::filesystem::remove_all(root);
  return sink == 42 ? 2 : 0;
}
