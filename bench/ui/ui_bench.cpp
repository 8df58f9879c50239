// Figures for the grid and the graph: appending and scrolling a million
// record rows, drawing a day of records (86,400 points) and panning it.
// Run: QT_QPA_PLATFORM=offscreen ./bench_ui
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>
#include <memory>

#include "ui/buttoncaption.h"
#include "ui/flexgrid.h"
#include "ui/graph.h"

using namespace vkz;

namespace {

// Resident memory of this process in kB.
long residentKb() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return 0;
}

QString recordRow(int n) {
  return QStringLiteral("%1\t2024/05/06 10:00:00\t85.3 dB\t86.1 dB\t*120.4 dB\t-- dB\t").arg(n);
}

std::unique_ptr<FlexGrid> recordGrid() {
  auto g = std::make_unique<FlexGrid>();
  g->setCols(6);
  g->setRows(1);
  const char* heads[] = {"No.s", "Date/Time", "LAVG", "Leq", "LCPK", "LZPK"};
  for (int c = 0; c < 6; ++c) g->setTextMatrix(0, c, heads[c]);
  g->resize(900, 600);
  g->show();
  return g;
}

constexpr int kMillion = 1000000;

// A million AddItem calls (the download appends row by row) and the one
// notification that brings them to the view.
void BM_AppendMillionRows(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto g = recordGrid();
    const long before = residentKb();
    state.ResumeTiming();
    for (int i = 1; i <= kMillion; ++i) g->AddItem(recordRow(i));
    QCoreApplication::processEvents();
    state.PauseTiming();
    state.counters["rows"] = g->gridModel()->rowCount();
    state.counters["memory_MB"] = static_cast<double>(residentKb() - before) / 1024.0;
    g.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AppendMillionRows)->Unit(benchmark::kMillisecond)->Iterations(1);

// Scrolling through a million rows: 100 jumps, each painted (the visible
// rows only).
void BM_ScrollMillionRows(benchmark::State& state) {
  auto g = recordGrid();
  g->gridData().reserve(kMillion + 1);
  for (int i = 1; i <= kMillion; ++i) g->AddItem(recordRow(i));
  g->Refresh();
  QScrollBar* bar = g->verticalScrollBar();
  for (auto _ : state) {
    for (int step = 0; step < 100; ++step) {
      bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * step / 99));
      benchmark::DoNotOptimize(g->viewport()->grab());
    }
  }
  state.counters["ms_per_step"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 100,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScrollMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

std::vector<double> dayOfRecords() {
  std::vector<double> v(86400);
  for (size_t i = 0; i < v.size(); ++i)
    v[i] = 65 + 20 * std::sin(static_cast<double>(i) / 2000) + static_cast<double>(i % 13) * 0.7;
  return v;
}

std::unique_ptr<Graph> shownGraph() {
  auto g = std::make_unique<Graph>();
  g->resize(1200, 700);
  g->show();
  g->setRange(GraphAxis::Y, 25, 150);
  g->setRange(GraphAxis::X, 1, 86400);
  return g;
}

// Plotting a day of records and drawing it.
void BM_Replot86400(benchmark::State& state) {
  auto g = shownGraph();
  const std::vector<double> day = dayOfRecords();
  for (auto _ : state) {
    g->plotY(day, 1, 1);
    g->replot();
  }
}
BENCHMARK(BM_Replot86400)->Unit(benchmark::kMillisecond);

// Panning a zoomed view (an hour of the day) in 50 steps, each drawn.
void BM_Pan50Steps(benchmark::State& state) {
  auto g = shownGraph();
  g->plotY(dayOfRecords(), 1, 1);
  g->replot();
  for (auto _ : state) {
    double lo = 1;
    for (int step = 0; step < 50; ++step) {
      g->setRange(GraphAxis::X, lo, lo + 3600);
      g->replot();
      lo += 1200;
    }
  }
  state.counters["ms_per_step"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 50,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Pan50Steps)->Unit(benchmark::kMillisecond);

// A caption of state.range(0) KB of words on a button too narrow for it
// (a translation gone wrong in a language file): set at start-up, so its
// cost per KB should stay flat as the caption grows.
void BM_LongButtonCaption(benchmark::State& state) {
  QString caption;
  for (int n = 0; caption.size() < state.range(0) * 1024; ++n)
    caption += QStringLiteral("palavra%1 ").arg(n % 997);
  QPushButton button;
  button.resize(90, 40);
  for (auto _ : state) setButtonCaption(&button, caption);
  // Seconds per KB of caption (printed with an SI prefix: 350u is 0.35 ms).
  state.counters["s_per_KB"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LongButtonCaption)
    ->Arg(1)
    ->Arg(8)
    ->Arg(48)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
