// Opening a data file in the program against reading the file's bytes into
// memory. The program's open is the main window's Open action as the user
// meets it: the file chosen in the dialog, the file list window loaded, the
// three grids filled and the window painted once. The read is the same
// file read whole into fresh memory. Files of 65,535 and 1,000,000
// records; twice: each run in a fresh process of its own, as a user opens
// a file in a program just started (the read too, like with like), and all
// runs in one program that runs on, the kinds taking turns. Medians of
// several runs, wall and processor time; the reader alone (the grids
// filled, no window) is printed beside them, and the read into memory taken
// the way the program takes its large buffers. Last, the open of a file of
// ten records: what the window costs whatever the file.
//
//   bench_open [runs] [folder]    (default: 7 runs, the system's temporary folder)
//   Under an X server (xvfb-run) it opens the window there, otherwise offscreen.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../common/procstat.h"
#include "base/appdir.h"
#include "base/largeblock.h"
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

// Wall time and the process's processor time (all its threads): on a busy
// machine the second shows the work when the first shows the waiting too.
struct Figure {
  double wall = 0, cpu = 0;
};

double cpuNow() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Times `work` both ways.
template <typename F>
Figure timed(F work) {
  const double c0 = cpuNow();
  const auto t0 = Clock::now();
  work();
  return {secondsSince(t0), cpuNow() - c0};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The file's bytes read whole into fresh memory, as any program reads a
// file it keeps; with `largeBlocks`, into memory taken the way the program
// takes its large buffers (base/largeblock.h: mapped on its own, huge pages
// where it covers them), to show what of the open's lead comes from that.
Figure readIntoMemory(const std::string& path, bool largeBlocks = false) {
  char* bytes = nullptr;
  size_t size = 0;
  const Figure f = timed([&] {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    size = static_cast<size_t>(st.st_size);
    bytes = largeBlocks ? static_cast<char*>(largeblock::allocate(size)) : new char[size];
    for (size_t at = 0; at < size;) {
      const ssize_t n = ::read(fd, bytes + at, size - at);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    ::close(fd);
  });
  volatile char keep = bytes[size / 2];
  (void)keep;
  if (largeBlocks)
    largeblock::release(bytes, size);
  else
    delete[] bytes;
  return f;
}

// The main window's Open action on `path`, until the file list window has
// painted its grids once.
Figure openInProgram(Panel* panel, const std::string& path, int records) {
  MsgBox::fileAnswers().push_back(QString::fromStdString(path));
  FileListFrm* f = nullptr;
  const Figure fig = timed([&] {
    panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
    // The event loop's next turn paints the window, as after the user's click.
    QCoreApplication::processEvents();
    f = FormRegistry::find<FileListFrm>();
  });
  if (!f || f->GridRecord->Rows() != records + 1 || !MsgBox::shown().empty())
    std::printf("the open went wrong: %d rows%s\n", f ? f->GridRecord->Rows() : -1,
                MsgBox::shown().empty() ? "" : (", " + MsgBox::shown().back().text.toStdString()).c_str());
  return fig;
}

// The reader alone: the three grids of no window filled from the file.
Figure readerAlone(const std::string& path) {
  bench::Grids g = bench::readerGrids();
  MeasurementData m;
  return timed([&] { ReadDataFile(path, "", g.userInfo, g.header, g.records, m); });
}

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

// Prints a figure as the parent reads it.
void put(const Figure& f) {
  std::printf("%.9f %.9f\n", f.wall, f.cpu);
  std::fflush(stdout);
}

// The measurements of one child process: "read", "reader" or "open" once,
// in a process of its own; or "session": the program started once, then
// `runs` times the read, the open and the reader in turn, as in a program
// that has run for a while.
int measureInThisProcess(char** argv, const std::string& kind, const std::string& path, int records,
                         int runs) {
  if (kind == "read" || kind == "readlarge") {
    put(readIntoMemory(path, kind == "readlarge"));
    return 0;
  }
  if (kind == "reader") {
    put(readerAlone(path));
    return 0;
  }
  int argc = 1;
  QApplication app(argc, argv);
  QTemporaryDir appDirectory;
  Panel* panel = startProgram(appDirectory.path());
  if (kind == "open") {
    put(openInProgram(panel, path, records));
  } else {
    for (int i = 0; i < runs; ++i) {
      put(readIntoMemory(path));
      put(openInProgram(panel, path, records));
      put(readerAlone(path));
      put(readIntoMemory(path, true));
    }
  }
  FormRegistry::unloadAll();
  delete panel;
  test::resetProgram();
  return 0;
}

// Runs this program again for `kind` and returns the figures it printed;
// any other line it printed (what went wrong) is passed on.
std::vector<Figure> measureInChild(const char* self, const char* kind, const std::string& path, int records,
                                   int runs = 1) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  std::fflush(stdout);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);  // the window system's notes
    ::close(fds[0]);
    const std::string n = std::to_string(records), r = std::to_string(runs);
    ::execl(self, self, "--one", kind, path.c_str(), n.c_str(), r.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  std::string out;
  char buf[4096];
  for (ssize_t got; (got = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(got));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::vector<Figure> figures;
  for (size_t at = 0; at < out.size();) {
    size_t end = out.find('\n', at);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(at, end - at);
    Figure f;
    if (std::sscanf(line.c_str(), "%lf %lf", &f.wall, &f.cpu) == 2)
      figures.push_back(f);
    else
      std::printf("  %s\n", line.c_str());
    at = end + 1;
  }
  return figures;
}

Figure medianOf(const std::vector<Figure>& runs) {
  std::vector<double> wall, cpu;
  for (const Figure& f : runs) {
    wall.push_back(f.wall);
    cpu.push_back(f.cpu);
  }
  return wall.empty() ? Figure{} : Figure{median(wall), median(cpu)};
}

// One table: the medians of the read, the open and the reader, and of the
// read into large blocks.
void printTable(const char* title, const std::vector<Figure> (&of)[4]) {
  const Figure r = medianOf(of[0]), o = medianOf(of[1]), a = medianOf(of[2]), l = medianOf(of[3]);
  std::printf("  %-36s read into memory   open in the program      the reader alone\n", title);
  std::printf("    wall time                          %8.1f ms   %8.1f ms = %5.2f x   %8.1f ms = %5.2f x\n",
              r.wall * 1e3, o.wall * 1e3, o.wall / r.wall, a.wall * 1e3, a.wall / r.wall);
  std::printf("    processor time                     %8.1f ms   %8.1f ms = %5.2f x   %8.1f ms = %5.2f x\n",
              r.cpu * 1e3, o.cpu * 1e3, o.cpu / r.cpu, a.cpu * 1e3, a.cpu / r.cpu);
  std::printf("    read into the program's large blocks %6.1f ms wall: the open %5.2f x that\n", l.wall * 1e3,
              o.wall / l.wall);
}

void run(const char* self, int n, int runs, const std::filesystem::path& dir) {
  const std::string path = (dir / ("bench_open_" + std::to_string(n) + ".vkz")).string();
  {
    bench::Grids g = bench::makeMeasurement(n);
    if (!SaveDataFile(path, "VKZ 418", g.userInfo, g.header, g.records).ok()) return;
  }
  readIntoMemory(path);  // the file in the page cache for every kind alike
  std::printf("%d records, %.1f MB\n", n, std::filesystem::file_size(path) / 1e6);
  std::vector<Figure> fresh[4], session[4];
  for (int i = 0; i < runs; ++i) {
    const char* kinds[4] = {"read", "open", "reader", "readlarge"};
    for (int k = 0; k < 4; ++k)
      for (const Figure& f : measureInChild(self, kinds[k], path, n)) fresh[k].push_back(f);
  }
  printTable("each in a program just started:", fresh);
  const std::vector<Figure> all = measureInChild(self, "session", path, n, runs);
  for (size_t i = 0; i < all.size(); ++i) session[i % 4].push_back(all[i]);
  printTable("in a program that runs on:", session);
  std::filesystem::remove(path);
}

// The open's part that does not grow with the file: a file of ten records
// opened in a program that runs on (the window built, laid out and painted).
void windowAlone(const char* self, int runs, const std::filesystem::path& dir) {
  const std::string path = (dir / "bench_open_10.vkz").string();
  {
    bench::Grids g = bench::makeMeasurement(10);
    if (!SaveDataFile(path, "VKZ 418", g.userInfo, g.header, g.records).ok()) return;
  }
  std::vector<Figure> open;
  const std::vector<Figure> all = measureInChild(self, "session", path, 10, runs);
  for (size_t i = 1; i < all.size(); i += 4) open.push_back(all[i]);
  std::printf("the window alone (a file of 10 records, in a program that runs on): %.1f ms wall\n",
              medianOf(open).wall * 1e3);
  std::filesystem::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 6 && std::string(argv[1]) == "--one")
    return measureInThisProcess(argv, argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const std::filesystem::path dir = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
  std::printf("Opening a data file against reading it into memory (medians of %d runs; %s)\n", runs,
              qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? "X server" : "offscreen");
  for (int n : {65535, 1000000}) run("/proc/self/exe", n, runs, dir);
  windowAlone("/proc/self/exe", runs, dir);
  return 0;
}
