// What a user waits when opening a data file: the main window's Open action
// from the click to the first paint of the file list window's records, in a
// program just started (each run in a process of its own, the file already
// in the system's cache). Two budgets: a meter's whole memory (131,072
// records) within 100 ms, what a user takes as instant, and 1,000,000
// records within a second. Medians of the runs; the reader alone (the grids
// filled, no window) is printed beside them, to show where the time goes.
//
//   bench_open [runs] [folder]    (default: 3 runs, the system's temporary folder)
//   Run it under an X server (xvfb-run); without one it opens the window
//   offscreen and says so.
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../common/procstat.h"
#include "base/appdir.h"
#include "benchdata.h"
#include "polling/measurement.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "support/common/window_reset.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/datafile.h"
#include "views/win/filelistfrm.h"

using namespace vkz;
using bench::Clock;
using bench::secondsSince;

namespace {

struct Budget {
  int records;
  double seconds;
};
constexpr Budget kBudgets[] = {{131072, 0.100}, {1000000, 1.0}};

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Notes the first paint of the file list window's record grid.
class FirstPaint : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted) {
      FileListFrm* f = FormRegistry::find<FileListFrm>();
      if (f && watched == f->GridRecord->viewport()) painted = true;
    }
    return false;
  }
};

// The main window as the program starts it, with no meter.
Panel* startProgram(const QString& appDirectory) {
  test::useWindowReset();
  test::resetProgram();
  setAppDir(appDirectory.toStdString());
  LoadDefaultStrings(State().texts);
  MsgBox::setTestMode(true);
  auto* panel = new Panel();
  panel->setTimersFrozen(true);
  panel->MDIForm_Load();
  panel->show();
  QCoreApplication::processEvents();
  return panel;
}

// The Open action on `path` until the record grid has painted once; the
// seconds it took, or a line that says what went wrong.
double openUntilPainted(Panel* panel, const std::string& path, int records) {
  FirstPaint paint;
  qApp->installEventFilter(&paint);
  MsgBox::fileAnswers().push_back(QString::fromStdString(path));
  const auto t0 = Clock::now();
  panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
  while (!paint.painted && secondsSince(t0) < 30)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  const double took = secondsSince(t0);
  qApp->removeEventFilter(&paint);
  const FileListFrm* f = FormRegistry::find<FileListFrm>();
  if (!paint.painted || !f || f->GridRecord->Rows() != records + 1 || !MsgBox::shown().empty()) {
    std::printf("the open went wrong: %d rows%s%s\n", f ? f->GridRecord->Rows() : -1,
                paint.painted ? "" : ", never painted",
                MsgBox::shown().empty() ? "" : (", " + MsgBox::shown().back().text.toStdString()).c_str());
    return -1;
  }
  return took;
}

// The reader alone: the three grids of no window filled from the file.
double readerAlone(const std::string& path) {
  bench::Grids g = bench::readerGrids();
  MeasurementData m;
  const auto t0 = Clock::now();
  ReadDataFile(path, "", g.userInfo, g.header, g.records, m);
  return secondsSince(t0);
}

// One measurement in this process ("open" or "reader"), printed for the
// parent.
int measureHere(char** argv, const std::string& kind, const std::string& path, int records) {
  double s;
  if (kind == "reader") {
    s = readerAlone(path);
  } else {
    int argc = 1;
    QApplication app(argc, argv);
    QTemporaryDir appDirectory;
    Panel* panel = startProgram(appDirectory.path());
    s = openUntilPainted(panel, path, records);
    FormRegistry::unloadAll();
    delete panel;
    test::resetProgram();
  }
  if (s >= 0) std::printf("%.9f\n", s);
  return 0;
}

// Runs this program again for one measurement; its figure, or -1 (what it
// printed besides is passed on).
double measureInChild(const char* kind, const std::string& path, int records) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  std::fflush(stdout);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);  // the window system's notes
    ::close(fds[0]);
    const std::string n = std::to_string(records);
    ::execl("/proc/self/exe", "bench_open", "--one", kind, path.c_str(), n.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  std::string out;
  char buf[4096];
  for (ssize_t got; (got = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(got));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  double s = -1;
  if (std::sscanf(out.c_str(), "%lf", &s) != 1 || out.find('\n') + 1 != out.size()) {
    std::printf("  %s", out.c_str());
    return -1;
  }
  return s;
}

// Writes the file of one budget, measures it and prints the verdict. False
// when the budget is missed.
bool runBudget(const Budget& b, int runs, const std::filesystem::path& dir) {
  const std::string path = (dir / ("bench_open_" + std::to_string(b.records) + ".vkz")).string();
  {
    bench::Grids g = bench::makeMeasurement(b.records);
    if (!SaveDataFile(path, "VKZ 418", g.userInfo, g.header, g.records).ok()) return false;
  }
  measureInChild("reader", path, b.records);  // the file in the page cache for every run alike
  std::vector<double> open, reader;
  bool failed = false;
  for (int i = 0; i < runs; ++i) {
    const double o = measureInChild("open", path, b.records);
    const double r = measureInChild("reader", path, b.records);
    failed = failed || o < 0 || r < 0;
    if (o >= 0) open.push_back(o);
    if (r >= 0) reader.push_back(r);
  }
  const double m = median(open);
  const bool met = !failed && m <= b.seconds;
  std::printf(
      "  %7d records, %5.1f MB: open to first paint %7.1f ms (reader alone %6.1f ms); budget %4.0f ms: %s\n",
      b.records, std::filesystem::file_size(path) / 1e6, m * 1e3, median(reader) * 1e3, b.seconds * 1e3,
      met ? "met" : "MISSED");
  std::filesystem::remove(path);
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  const bool xServer =
      !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 5 && std::string(argv[1]) == "--one")
    return measureHere(argv, argv[2], argv[3], std::atoi(argv[4]));
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::filesystem::path dir = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
  std::printf(
      "Opening a data file, click to first paint, in a program just started (medians of %d runs; %s)\n", runs,
      xServer ? "X server" : "offscreen, not the budgets' setting: run under xvfb-run");
  bool all = true;
  for (const Budget& b : kBudgets) all = runBudget(b, runs, dir) && all;
  std::printf("budgets %s\n", all ? "met" : "MISSED");
  return 0;
}
