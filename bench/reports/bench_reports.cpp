// The PDF report and the printed report (sent to a PDF file through the
// printer seam, offscreen) of measurements of 1,000 and 65,535 records:
// pages, time, file size, peak memory growth and the longest stretch
// without window events, each the median of several runs.
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
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "reports/pdfreport.h"
#include "reports/printreport.h"
#include "reports/win/reportwindow.h"
#include "base/appdir.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "unit/reports/reportsample.h"

#include "../common/procstat.h"

using namespace vkz;
using bench::Clock;
using bench::secondsSince;
using bench::statusKb;

namespace {

// The window's side, timing the longest stretch between two requests to
// let events run.
class TimedUi : public WindowReportUi {
 public:
  using WindowReportUi::WindowReportUi;
  void yieldEvents() override {
    const auto now = Clock::now();
    longest = std::max(longest, std::chrono::duration<double>(now - last).count());
    last = now;
    WindowReportUi::yieldEvents();
  }
  Clock::time_point last = Clock::now();
  double longest = 0;
};

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

// One report in this process; prints "seconds peakKb pages bytes longestGap".
int runOne(const std::string& kind, int records, const std::string& file) {
  QWidget window;
  window.setWindowTitle(QStringLiteral("Data List"));
  window.show();
  const ReportData shown = test::sampleReport(records, 10);
  MsgBox::setTestMode(true);  // the viewer is not started
  PrinterSeam::setTestMode(true);
  PrinterSeam::answers().push_back({false, QString::fromStdString(file), 1, QPageLayout::Portrait});
  QApplication::processEvents();

  const long before = statusKb("VmRSS:");
  std::ofstream("/proc/self/clear_refs") << "5";
  const auto t0 = Clock::now();
  ReportData data = shown;  // the snapshot a report takes at its start
  data.programFolder = appDir();
  TimedUi ui(&window, data);
  const ReportResult r = kind == "pdf" ? ExportPdfReport(data, ui, file) : PrintReport(data, ui);
  const double seconds = secondsSince(t0);
  const long peak = statusKb("VmHWM:") - before;
  if (r.status != ReportResult::Done) {
    std::fprintf(stderr, "%s report failed: %s\n", kind.c_str(), r.message.c_str());
    return 1;
  }
  std::printf("%.3f %ld %d %lld %.3f\n", seconds, peak, pdfPages(file),
              static_cast<long long>(std::filesystem::file_size(file)), ui.longest);
  return 0;
}

struct Figures {
  double seconds = 0, peakMb = 0, megabytes = 0, longestMs = 0;
  int pages = 0;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

bool measure(const char* self, const std::string& kind, int records, const std::string& folder, int runs,
             Figures& f) {
  std::vector<double> secs, peaks, sizes, gaps;
  const std::string file = folder + "/bench-" + kind + "-" + std::to_string(records) + ".pdf";
  for (int i = 0; i < runs; ++i) {
    const std::string cmd =
        std::string("'") + self + "' --run " + kind + " " + std::to_string(records) + " '" + file + "'";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    double s = 0, gap = 0;
    long peak = 0;
    long long bytes = 0;
    int pages = 0;
    const int got = std::fscanf(p, "%lf %ld %d %lld %lf", &s, &peak, &pages, &bytes, &gap);
    if (pclose(p) != 0 || got != 5) return false;
    secs.push_back(s);
    peaks.push_back(peak / 1024.0);
    sizes.push_back(bytes / 1e6);
    gaps.push_back(gap * 1000);
    f.pages = pages;
  }
  std::filesystem::remove(file);
  f.seconds = median(secs);
  f.peakMb = median(peaks);
  f.megabytes = median(sizes);
  f.longestMs = median(gaps);
  return true;
}

int writeSamples(const std::string& folder) {
  QWidget window;
  ReportData d = test::sampleReport(120);
  d.programFolder = appDir();
  MsgBox::setTestMode(true);
  PrinterSeam::setTestMode(true);
  PrinterSeam::answers().push_back(
      {false, QString::fromStdString(folder + "/printed.pdf"), 1, QPageLayout::Portrait});
  WindowReportUi ui(&window, d);
  const bool ok = ExportPdfReport(d, ui, folder + "/report.pdf").status == ReportResult::Done &&
                  PrintReport(d, ui).status == ReportResult::Done;
  std::printf("%s\n", ok ? "samples written" : "a sample report failed");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  if (argc == 5 && std::strcmp(argv[1], "--run") == 0) return runOne(argv[2], std::atoi(argv[3]), argv[4]);
  if (argc == 3 && std::strcmp(argv[1], "--samples") == 0) return writeSamples(argv[2]);
  const std::string folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();

  std::printf("%-9s %7s %6s %9s %9s %13s %13s\n", "report", "records", "pages", "time s", "size MB",
              "peak +MB", "no events ms");
  bool ok = true;
  for (int records : {1000, 65535}) {
    for (const char* kind : {"pdf", "printed"}) {
      Figures f;
      if (!measure(argv[0], kind, records, folder, records > 1000 ? 3 : 5, f)) {
        std::printf("%-9s %7d  failed\n", kind, records);
        ok = false;
        continue;
      }
      std::printf("%-9s %7d %6d %9.2f %9.1f %13.1f %13.0f\n", kind, records, f.pages, f.seconds, f.megabytes,
                  f.peakMb, f.longestMs);
      std::fflush(stdout);
    }
  }
  std::printf(
      "median of 5 runs (1,000 records) and 3 runs (65,535 records); goals for 65,535 records:\n"
      "PDF report under 10 s, printed report under 30 s, peak growth under 100 MB\n");
  return ok ? 0 : 1;
}
