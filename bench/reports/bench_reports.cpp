// The PDF report and the printed report (sent to a PDF file through the
// printer seam, offscreen) of measurements of 1,000 and 65,535 records, as
// the program makes them: the installed report functions started from a
// window with three grids, the report on its own thread, its end handed
// back on the window thread. Each figure is the median of several runs:
// time from the start to the end handed back, pages, file size, peak
// memory growth and the window thread's longest stall meanwhile.
//
// Then the same reports of 65,535 records while a message box (a real
// modal QMessageBox, as a second press's refusal shows) is held open for
// 10 s from the moment the caption shows 10 %: the report's time with the
// box and without it.
//
// Every run is a child process of its own (this program started again with
// --run), so its peak memory is its own. The growth is the peak resident
// size during the report less the size before it, the grids of the window
// already made; the report's own copy of the grids counts.
//
//   bench_reports [folder]          (default: the system's temporary folder)
//   bench_reports --samples folder  writes sample reports of 120 records
//                                   (report.pdf, printed.pdf) and stops
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "../common/procstat.h"
#include "base/appdir.h"
#include "reports/win/installreports.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "unit/reports/reportsample.h"
#include "views/reporthooks.h"

using namespace vkz;
using bench::Clock;
using bench::secondsSince;
using bench::statusKb;

namespace {

constexpr int kBoxMs = 10000;

int pdfPages(const std::string& path) {
  std::string cmd = "pdfinfo '" + path + "' 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  char buf[256];
  int pages = -1;
  while (std::fgets(buf, sizeof buf, p))
    if (std::strncmp(buf, "Pages:", 6) == 0) pages = std::atoi(buf + 6);
  pclose(p);
  return pages;
}

// A data window: its caption and the three grids of a measurement.
struct DataWindow {
  QWidget window;
  FlexGrid* header = new FlexGrid(&window);
  FlexGrid* records = new FlexGrid(&window);
  FlexGrid* userInfo = new FlexGrid(&window);

  explicit DataWindow(int n) {
    window.setWindowTitle(QStringLiteral("Data List"));
    const ReportData d = test::sampleReport(n, 10);
    header->gridData() = d.header;
    records->gridData() = d.records;
    userInfo->gridData() = d.userInfo;
    for (FlexGrid* g : {header, records, userInfo}) g->Refresh();
    window.show();
  }
  ReportSource source() { return {&window, header, records, userInfo}; }
};

// Opens a modal message box for kBoxMs once the caption shows 10 %.
class BoxAtTenPercent : public QObject {
 public:
  explicit BoxAtTenPercent(QWidget* w) : w_(w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::WindowTitleChange || opened_) return false;
    const std::string t = w_->windowTitle().toStdString();
    if (t.find('%') == std::string::npos || std::atof(t.c_str()) < 10) return false;
    opened_ = true;
    QTimer::singleShot(0, this, [] {
      QMessageBox box(QMessageBox::Critical, QStringLiteral("Noise Dosimeter"),
                      QString::fromStdString(reportBusyText()));
      QTimer::singleShot(kBoxMs, &box, &QMessageBox::accept);
      box.exec();
    });
    return false;
  }

 private:
  QWidget* w_;
  bool opened_ = false;
};

// One report in this process; prints "seconds peakKb pages bytes stallSeconds".
int runOne(const std::string& kind, int records, const std::string& file, bool box) {
  setAppDir(QCoreApplication::applicationDirPath().toStdString());
  installReports();
  DataWindow w(records);
  MsgBox::setTestMode(true);  // the viewer is not started
  PrinterSeam::setTestMode(true);
  PrinterSeam::answers().push_back({false, QString::fromStdString(file), 1, QPageLayout::Portrait});
  std::optional<BoxAtTenPercent> boxer;
  if (box) boxer.emplace(&w.window);
  QApplication::processEvents();

  // The window thread's longest stall: the longest gap between two turns
  // of a timer that asks for one every millisecond.
  double stall = 0;
  auto last = Clock::now();
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    const auto now = Clock::now();
    stall = std::max(stall, std::chrono::duration<double>(now - last).count());
    last = now;
  });

  const long before = statusKb("VmRSS:");
  std::ofstream("/proc/self/clear_refs") << "5";
  std::optional<ReportOutcome> outcome;
  double seconds = 0;
  QEventLoop loop;
  const auto t0 = Clock::now();
  const ReportDone done = [&](const ReportOutcome& o) {
    seconds = secondsSince(t0);
    outcome = o;
    loop.quit();
  };
  ticks.start(1);
  last = Clock::now();
  if (kind == "pdf")
    State().reports.exportPdfReport(w.source(), file, done);
  else
    State().reports.printReport(w.source(), done);
  if (!outcome) loop.exec();
  ticks.stop();
  const long peak = statusKb("VmHWM:") - before;
  if (outcome->status != ReportOutcome::Done) {
    std::fprintf(stderr, "%s report failed: %s\n", kind.c_str(), outcome->message.c_str());
    return 1;
  }
  std::printf("%.3f %ld %d %lld %.3f\n", seconds, peak, pdfPages(file),
              static_cast<long long>(std::filesystem::file_size(file)), box ? 0.0 : stall);
  return 0;
}

struct Figures {
  double seconds = 0, peakMb = 0, megabytes = 0, stallMs = 0;
  int pages = 0;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

bool measure(const char* self, const std::string& kind, int records, bool box, const std::string& folder,
             int runs, Figures& f) {
  std::vector<double> secs, peaks, sizes, stalls;
  const std::string file = folder + "/bench-" + kind + "-" + std::to_string(records) + ".pdf";
  for (int i = 0; i < runs; ++i) {
    const std::string cmd = std::string("'") + self + "' --run " + kind + " " + std::to_string(records) +
                            " '" + file + "'" + (box ? " box" : "");
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    double s = 0, stall = 0;
    long peak = 0;
    long long bytes = 0;
    int pages = 0;
    const int got = std::fscanf(p, "%lf %ld %d %lld %lf", &s, &peak, &pages, &bytes, &stall);
    if (pclose(p) != 0 || got != 5) return false;
    secs.push_back(s);
    peaks.push_back(peak / 1024.0);
    sizes.push_back(bytes / 1e6);
    stalls.push_back(stall * 1000);
    f.pages = pages;
  }
  std::filesystem::remove(file);
  f.seconds = median(secs);
  f.peakMb = median(peaks);
  f.megabytes = median(sizes);
  f.stallMs = median(stalls);
  return true;
}

// Writes the two sample reports of 120 records through the installed
// functions.
int writeSamples(const std::string& folder) {
  setAppDir(QCoreApplication::applicationDirPath().toStdString());
  installReports();
  DataWindow w(120);
  MsgBox::setTestMode(true);
  PrinterSeam::setTestMode(true);
  PrinterSeam::answers().push_back(
      {false, QString::fromStdString(folder + "/printed.pdf"), 1, QPageLayout::Portrait});
  int done = 0;
  bool ok = true;
  const ReportDone count = [&](const ReportOutcome& o) {
    ok = ok && o.status == ReportOutcome::Done;
    ++done;
  };
  State().reports.exportPdfReport(w.source(), folder + "/report.pdf", count);
  while (done < 1) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  State().reports.printReport(w.source(), count);
  while (done < 2) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  std::printf("%s\n", ok ? "samples written" : "a sample report failed");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "--run") == 0)
    return runOne(argv[2], std::atoi(argv[3]), argv[4], argc == 6);
  if (argc == 3 && std::strcmp(argv[1], "--samples") == 0) return writeSamples(argv[2]);
  const std::string folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();

  std::printf("%-9s %7s %6s %9s %9s %13s %13s\n", "report", "records", "pages", "time s", "size MB",
              "peak +MB", "stall ms");
  bool ok = true;
  for (int records : {1000, 65535}) {
    for (const char* kind : {"pdf", "printed"}) {
      Figures f;
      if (!measure(argv[0], kind, records, false, folder, records > 1000 ? 3 : 5, f)) {
        std::printf("%-9s %7d  failed\n", kind, records);
        ok = false;
        continue;
      }
      std::printf("%-9s %7d %6d %9.2f %9.1f %13.1f %13.0f\n", kind, records, f.pages, f.seconds, f.megabytes,
                  f.peakMb, f.stallMs);
      std::fflush(stdout);
    }
  }
  std::printf(
      "median of 5 runs (1,000 records) and 3 runs (65,535 records); goals for 65,535 records:\n"
      "PDF report under 10 s, printed report under 30 s, peak growth under 100 MB\n\n");

  std::printf("%-9s %7s %16s %16s\n", "report", "records", "time s, no box", "time s, box 10 s");
  for (const char* kind : {"pdf", "printed"}) {
    Figures plain, boxed;
    if (!measure(argv[0], kind, 65535, false, folder, 3, plain) ||
        !measure(argv[0], kind, 65535, true, folder, 3, boxed)) {
      std::printf("%-9s %7d  failed\n", kind, 65535);
      ok = false;
      continue;
    }
    std::printf("%-9s %7d %16.2f %16.2f\n", kind, 65535, plain.seconds, boxed.seconds);
    std::fflush(stdout);
  }
  std::printf(
      "median of 3 runs; the box opens when the caption shows 10 %% and stays open 10 s; goal: the\n"
      "report's time the same with the box as without it\n");
  return ok ? 0 : 1;
}
