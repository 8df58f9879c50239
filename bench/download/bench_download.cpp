// bench_download: what a download costs, and how close it comes to the line.
//
// Downloads a stored measurement of 480, 10,000 and 65,535 records from the
// meter emulator paced at 57600 baud (5760 bytes a second each way, a
// request answered only once its own bytes are through), through the real
// main window with its timers running, several times per size, and prints
// the median of the runs:
//   - records per second;
//   - the ratio to the line in reply bytes (the header frame and one frame
//     per block of ten records, five frame bytes each) and in all bytes on
//     the wire (those replies and their requests: 6 bytes for the header,
//     7 per block), both at 5760 bytes a second;
//   - the program's processor time in % of one core (the process's time
//     less the emulator's serving thread);
//   - wake-ups a second: timer and read-notifier activations the event loop
//     delivers from its wait, and the voluntary context switches of the
//     program's threads (the line thread's and the window system's too, the
//     emulator's left out);
//   - the turnaround per block, from a reply's last byte on the line to the
//     next request at the meter, mean and the slowest 1 %;
//   - the peak memory of the process.
// Then the program idle and linked (polling, no download) for a while: its
// processor time and wake-ups a second.
//
// With --lost PERCENT, that share of the block answers is lost on the line
// (the same answers in every run): what a lossy line costs, each lost
// answer asked again by the poll tick.
//
// With --split BYTES the paced meter hands its replies over that many
// bytes at a time (1: byte by byte, as a UART without a deep FIFO; 14 and
// 64: as a FIFO and a USB adapter do); without it, as its bytes are
// through, in pieces of up to eight.
//
// A download counts only when every record row in the data list window and
// every value in the measurement match the meter's records.
//
// With --scenarios, the meters whose delay wanders, blocks alike and lost
// answers, each downloaded --runs times (default 3), medians printed:
//   - 300 records from a meter that takes 100 to 1,500 ms (drawn anew for
//     every reply) and one that takes 700 and 1,500 ms in turn: rows wrong
//     (a row that is not the meter's record of its number) and missing;
//   - 3,000 records whose blocks are all alike (a paused span) against
//     3,000 varied ones: the ratio of their times;
//   - 5,000 records with one block answer in 50 lost against none lost: the
//     cost of one lost answer.
//
// With --repaint MS the record table is painted whole every MS milliseconds
// while a download runs (the window thread busy painting); the repaints'
// count and cost are printed.
//
//   bench_download [--runs N] [--idle SECONDS] [--lost PERCENT] [--split BYTES] [--repaint MS]
//                  [--scenarios] [records ...]
//       (default: 3 runs, 10 s idle, 480 10000 65535; records 0: idle only,
//       --idle 0: no idle stretch)
#include <pthread.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>
#include <QToolBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "../common/procstat.h"
#include "shell/win/panel.h"
#include "support/common/download_road.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "views/win/datalistfrm.h"

namespace {

using vkz::emu::SteadyClock;
constexpr double kLineBytesPerSecond = 5760.0;

double seconds(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The voluntary context switches of the whole process, every thread
// (those that have ended too).
long voluntarySwitches() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_nvcsw;
}

// Counts the wake-ups of the event loop: the timer and read-notifier
// activations it delivers from its wait, leaving out the benchmark's own
// timer and activations delivered while another one is being handled (the
// program turns the event loop while it reads and writes the port; the
// process is awake then). Reports when the data list window's toolbar is
// enabled again (the download is complete).
class Watch : public QObject {
 public:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e == delivering_) return false;
    if (e->type() == QEvent::EnabledChange) {
      if (onEnabled && o->objectName() == QLatin1String("Toolbar1")) onEnabled(o);
      return false;
    }
    const bool activation =
        (e->type() == QEvent::Timer && static_cast<QTimerEvent*>(e)->timerId() != ownTimer) ||
        e->type() == QEvent::SockAct;
    if (!activation) return false;
    if (depth_ == 0) ++wakeups;
    // Delivered from here, so that the activations its handler meets are
    // known to be nested.
    QEvent* const outer = delivering_;
    delivering_ = e;
    ++depth_;
    QCoreApplication::sendEvent(o, e);
    --depth_;
    delivering_ = outer;
    return true;
  }
  long wakeups = 0;
  int ownTimer = -1;
  std::function<void(QObject*)> onEnabled;

 private:
  QEvent* delivering_ = nullptr;
  int depth_ = 0;
};

// The program's cost over a stretch of time.
struct Cost {
  double wall = 0, cpu = 0;
  long wakeups = 0, switches = 0;
  double cpuPercent() const { return wall > 0 ? 100.0 * cpu / wall : 0; }
  double wakeupsPerSecond() const { return wall > 0 ? wakeups / wall : 0; }
  double switchesPerSecond() const { return wall > 0 ? switches / wall : 0; }
};

class Meter {
 public:
  Meter(Watch& w, const vkz::emu::Emulator& m) : watch_(w), meter_(m) {}
  void begin() {
    clock_.start();
    cpu0_ = seconds(CLOCK_PROCESS_CPUTIME_ID) - meter_.cpuSeconds();
    wake0_ = watch_.wakeups;
    csw0_ = voluntarySwitches() - meter_.voluntarySwitches();
  }
  Cost end() const {
    Cost c;
    c.wall = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    c.cpu = seconds(CLOCK_PROCESS_CPUTIME_ID) - meter_.cpuSeconds() - cpu0_;
    c.wakeups = watch_.wakeups - wake0_;
    c.switches = voluntarySwitches() - meter_.voluntarySwitches() - csw0_;
    return c;
  }

 private:
  Watch& watch_;
  const vkz::emu::Emulator& meter_;
  QElapsedTimer clock_;
  double cpu0_ = 0;
  long wake0_ = 0, csw0_ = 0;
};

// The turnaround per block: from the moment the meter handed a block
// reply's last byte to the line to the moment the request for the next
// block reached it (both as the meter saw them on its side of the line,
// so the line's own delivery both ways is counted). Mean and the slowest
// 1 %, in milliseconds.
struct Turnaround {
  double mean = 0, p99 = 0;
};
Turnaround turnaround(const vkz::emu::Emulator& meter) {
  // One reply per request, in order: reply i answers request i.
  std::vector<vkz::emu::SentReply> replies;
  for (const auto& r : meter.replies())
    if (r.code == 0x12) replies.push_back(r);
  const std::vector<vkz::emu::Request> asked = meter.requests(0x12);
  std::vector<double> gaps;
  for (std::size_t i = 0; i + 1 < asked.size() && i < replies.size(); ++i) {
    const auto& r = replies[i];
    if (r.dropped || r.written == SteadyClock::time_point{} || asked[i + 1].time < r.written) continue;
    gaps.push_back(std::chrono::duration<double, std::milli>(asked[i + 1].time - r.written).count());
  }
  Turnaround t;
  if (gaps.empty()) return t;
  double sum = 0;
  for (double g : gaps) sum += g;
  t.mean = sum / static_cast<double>(gaps.size());
  std::sort(gaps.begin(), gaps.end());
  t.p99 = gaps[gaps.size() * 99 / 100];
  return t;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Run {
  double seconds = 0, replyRatio = 0, wireRatio = 0, cpu = 0, wakeups = 0, switches = 0, turn = 0, p99 = 0,
         peakMb = 0;
  bool right = false;
  int wrongRows = 0, missingRows = 0;  // rows that are not the meter's record of their number; rows not there
  long blockRequests = 0;              // data-block requests the meter was sent
};

// What the meter holds and how it answers.
struct Load {
  int records = 0;
  bool alike = false;  // every record alike (a paused span): each block equal to the one before
  vkz::emu::DelayPattern delays;
  int lostEvery = 0;       // one block answer in this many lost (0: none)
  double lostPercent = 0;  // that share of the block answers lost, at random
};

void printRun(const char* label, int n, const Run& r) {
  std::printf("%-7s %8d %8.2f %9.1f %7.3f %7.3f %7.2f %8.1f %8.1f %7.2f %7.2f %8.1f%s\n", label, n, r.seconds,
              n / r.seconds, r.replyRatio, r.wireRatio, r.cpu, r.wakeups, r.switches, r.turn, r.p99, r.peakMb,
              r.right ? "" : "  WRONG OR INCOMPLETE");
}

// Runs the event loop until `done` has been called or `ms` have passed; the
// benchmark's own check wakes it ten times a second at most.
bool runUntil(Watch& watch, const std::function<bool()>& done, int ms) {
  QEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  QTimer check;
  check.setInterval(100);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() > ms) loop.quit();
  });
  check.start();
  watch.ownTimer = check.timerId();
  if (!done()) loop.exec();
  watch.ownTimer = -1;
  return done();
}

// Loses block answers: `percent` % of them chosen by a fixed seed, and
// every `every`-th.
void loseBlockAnswers(vkz::emu::Emulator& meter, int n, double percent, int every) {
  const int requests = (n + 9) / 10 * 2;
  if (every > 0)
    for (int i = every; i <= requests; i += every)
      meter.addFault(vkz::emu::FaultRule::nth(vkz::emu::Fault::Drop, 0x12, i));
  if (percent <= 0) return;
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> u(0, 100);
  for (int i = 1; i <= requests; ++i)
    if (u(rng) < percent) meter.addFault(vkz::emu::FaultRule::nth(vkz::emu::Fault::Drop, 0x12, i));
}

// Rows of the data list window that are not the meter's record of their
// number, and rows missing.
void countRows(const vkz::DownloadRoad& road, Run& run) {
  const QStringList got = road.recordRows(), want = road.expectedRows(1);
  for (qsizetype i = 0; i < want.size(); ++i) {
    if (i >= got.size())
      ++run.missingRows;
    else if (got[i] != want[i])
      ++run.wrongRows;
  }
  run.wrongRows += static_cast<int>(std::max<qsizetype>(0, got.size() - want.size()));
}

// How the paced meter hands its replies over (--split; 0: its own way).
std::size_t splitBytes = 0;
// How often the record table is repainted whole during a download
// (--repaint; 0: only as the program repaints it), and what those
// repaints cost.
int repaintEveryMs = 0;
long repaints = 0;
double repaintMs = 0, repaintLongestMs = 0;

void paceLine(vkz::emu::Emulator& meter) {
  meter.setPacing(true);
  if (splitBytes > 0) meter.setSplit(splitBytes, std::chrono::milliseconds(0));
}

Run downloadOnce(Watch& watch, const Load& load) {
  const int n = load.records;
  Run run;
  QTemporaryDir dir;
  vkz::DownloadRoad road(false);
  if (!road.start(dir.path().toStdString())) {
    std::fprintf(stderr, "the meter emulator did not start\n");
    std::exit(1);
  }
  road.meter.addMeasurement(load.alike
                                ? std::vector<vkz::emu::Record>(static_cast<std::size_t>(n),
                                                                vkz::emu::Record::make(0, 0, 0, 0, true))
                                : vkz::emu::generateRecords(42, n));
  if (!road.loadMemoryList()) {
    std::fprintf(stderr, "no memory list\n");
    std::exit(1);
  }
  paceLine(road.meter);
  road.meter.setReplyDelay(std::chrono::milliseconds(0));
  road.meter.setDelayPattern(load.delays);
  road.meter.clearLog();
  loseBlockAnswers(road.meter, n, load.lostPercent, load.lostEvery);

  bool complete = false;
  Cost cost;
  Meter meter(watch, road.meter);
  watch.onEnabled = [&](QObject* o) {
    auto* bar = qobject_cast<QToolBar*>(o);
    if (!complete && bar && bar->isEnabled() &&
        bar->parent() == vkz::FormRegistry::find<vkz::DataListFrm>()) {
      cost = meter.end();
      complete = true;
    }
  };
  // A window busy painting: the whole record table painted at once, on the
  // window thread, as when the user scrolls or another window uncovers it.
  QTimer repaint;
  QObject::connect(&repaint, &QTimer::timeout, [] {
    auto* f = vkz::FormRegistry::find<vkz::DataListFrm>();
    if (!f || !f->isVisible()) return;
    QElapsedTimer t;
    t.start();
    f->VKZ418PointGrid->repaint();
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    ++repaints;
    repaintMs += ms;
    repaintLongestMs = std::max(repaintLongestMs, ms);
  });
  if (repaintEveryMs > 0) repaint.start(repaintEveryMs);
  meter.begin();
  road.panel->MSFlexGrid1->setRow(1);
  road.panel->MSFlexGrid1_Click();
  // A meter that takes its time, or a rule that waits, is waited for.
  const bool slow = load.delays.kind != vkz::emu::DelayPattern::Kind::None || load.alike;
  const int limit = static_cast<int>(20000 + (slow ? 400.0 : 4.0) * n);
  const bool done = runUntil(
      watch, [&] { return complete; }, limit);
  watch.onEnabled = nullptr;
  if (!done) cost = meter.end();

  const long long blocks = (n + 9) / 10;
  const long long replyBytes = (536 + 5) + 8LL * n + 5 * blocks;
  const long long requestBytes = 6 + 7 * blocks;
  run.seconds = cost.wall;
  run.replyRatio = replyBytes / kLineBytesPerSecond / cost.wall;
  run.wireRatio = (replyBytes + requestBytes) / kLineBytesPerSecond / cost.wall;
  run.cpu = cost.cpuPercent();
  run.wakeups = cost.wakeupsPerSecond();
  run.switches = cost.switchesPerSecond();
  const Turnaround t = turnaround(road.meter);
  run.turn = t.mean;
  run.p99 = t.p99;
  run.peakMb = bench::statusKb("VmHWM:") / 1024.0;
  run.right = done && road.recordRows() == road.expectedRows(1) && road.pointValuesMatch(1);
  countRows(road, run);
  run.blockRequests = static_cast<long>(road.meter.requestCount(0x12));
  return run;
}

Cost idleOnce(Watch& watch, double secs) {
  QTemporaryDir dir;
  vkz::DownloadRoad road(false);
  if (!road.start(dir.path().toStdString())) {
    std::fprintf(stderr, "the meter emulator did not start\n");
    std::exit(1);
  }
  paceLine(road.meter);
  // Settle: the meter listed, the link watchdog and the first ticks past.
  runUntil(
      watch, [] { return false; }, 1000);
  Meter meter(watch, road.meter);
  meter.begin();
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(secs * 1000), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
  Cost c = meter.end();
  --c.wakeups;  // the single shot that ends the stretch
  return c;
}

}  // namespace

// The median of every figure of `all`; right only when every run was.
Run medianRun(const std::vector<Run>& all) {
  auto med = [&](auto Run::*f) {
    std::vector<double> v;
    for (const Run& r : all) v.push_back(static_cast<double>(r.*f));
    return median(v);
  };
  Run m;
  m.seconds = med(&Run::seconds);
  m.replyRatio = med(&Run::replyRatio);
  m.wireRatio = med(&Run::wireRatio);
  m.cpu = med(&Run::cpu);
  m.wakeups = med(&Run::wakeups);
  m.switches = med(&Run::switches);
  m.turn = med(&Run::turn);
  m.p99 = med(&Run::p99);
  m.peakMb = med(&Run::peakMb);
  m.blockRequests = static_cast<long>(med(&Run::blockRequests));
  for (const Run& r : all) {
    m.wrongRows = std::max(m.wrongRows, r.wrongRows);
    m.missingRows = std::max(m.missingRows, r.missingRows);
  }
  m.right = std::all_of(all.begin(), all.end(), [](const Run& r) { return r.right; });
  return m;
}

// Downloads `load` `runs` times, each run's figures printed, and returns
// their medians.
Run downloadRuns(Watch& watch, const Load& load, int runs, int& failures) {
  std::vector<Run> all;
  for (int i = 0; i < runs; ++i) {
    Load l = load;
    l.delays.seed = load.delays.seed + static_cast<std::uint64_t>(i);  // other draws each run
    all.push_back(downloadOnce(watch, l));
    printRun("run", load.records, all.back());
    if (!all.back().right) ++failures;
  }
  return medianRun(all);
}

void printHeading() {
  std::printf("%-7s %8s %8s %9s %7s %7s %7s %8s %8s %7s %7s %8s\n", "", "records", "seconds", "records/s",
              "reply", "wire", "CPU %", "wakes/s", "csw/s", "turn ms", "p99 ms", "peak MB");
}

// The meters whose delay wanders, blocks alike and lost answers (--scenarios).
int scenarios(Watch& watch, int runs) {
  using std::chrono::milliseconds;
  using vkz::emu::DelayPattern;
  struct Scenario {
    const char* name;
    Load load;
    Run median;
  };
  const auto scenario = [](const char* name, int records, bool alike, DelayPattern delays, int lostEvery) {
    Scenario c{name, {}, {}};
    c.load.records = records;
    c.load.alike = alike;
    c.load.delays = std::move(delays);
    c.load.lostEvery = lostEvery;
    return c;
  };
  const DelayPattern none;
  Scenario all[] = {
      scenario("delay 100-1500 ms at random", 300, false,
               DelayPattern::random(milliseconds(100), milliseconds(1500)), 0),
      scenario("delay 700/1500 ms in turn", 300, false,
               DelayPattern::cycle({milliseconds(700), milliseconds(1500)}), 0),
      scenario("3000 varied", 3000, false, none, 0),
      scenario("3000 alike", 3000, true, none, 0),
      scenario("5000, none lost", 5000, false, none, 0),
      scenario("5000, 1 in 50 lost", 5000, false, none, 50),
  };
  int failures = 0;
  for (Scenario& c : all) {
    std::printf("\n%s\n", c.name);
    printHeading();
    c.median = downloadRuns(watch, c.load, runs, failures);
    printRun("MEDIAN", c.load.records, c.median);
  }
  std::printf("\n%-30s %9s %7s %7s %9s\n", "scenario (medians)", "seconds", "wrong", "missing", "requests");
  for (const Scenario& c : all)
    std::printf("%-30s %9.2f %7d %7d %9ld\n", c.name, c.median.seconds, c.median.wrongRows,
                c.median.missingRows, c.median.blockRequests);
  std::printf("wrong, missing: the most rows of any run\n");
  std::printf("3000 alike / 3000 varied: %.2f times the time\n",
              all[3].median.seconds / all[2].median.seconds);
  const int lost = (5000 / 10) / 50;
  std::printf("one lost answer in 50 costs %.2f s each (%d lost)\n",
              (all[5].median.seconds - all[4].median.seconds) / lost, lost);
  return failures;
}

int main(int argc, char** argv) {
  // On the X server when there is one (xvfb-run bench_download ...), else
  // offscreen.
  if (qgetenv("DISPLAY").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::printf("window system: %s\n", qPrintable(QGuiApplication::platformName()));
  int runs = 3;
  double idle = 10;
  double lost = 0;
  bool lineScenarios = false;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--idle") && i + 1 < argc)
      idle = std::atof(argv[++i]);
    else if (!std::strcmp(argv[i], "--lost") && i + 1 < argc)
      lost = std::atof(argv[++i]);
    else if (!std::strcmp(argv[i], "--repaint") && i + 1 < argc)
      repaintEveryMs = std::max(0, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--split") && i + 1 < argc)
      splitBytes = static_cast<std::size_t>(std::max(0, std::atoi(argv[++i])));
    else if (!std::strcmp(argv[i], "--scenarios"))
      lineScenarios = true;
    else
      sizes.push_back(std::atoi(argv[i]));
  }
  if (sizes.empty()) sizes = {480, 10000, 65535};

  Watch watch;
  app.installEventFilter(&watch);
  if (lineScenarios) return scenarios(watch, runs) ? 1 : 0;

  int failures = 0;
  if (lost > 0) std::printf("block answers lost: %.1f %%\n", lost);
  if (splitBytes > 0) std::printf("replies handed over %zu bytes at a time\n", splitBytes);
  printHeading();
  for (int n : sizes) {
    if (n < 1 || n > 65535) continue;
    Load load;
    load.records = n;
    load.lostPercent = lost;
    printRun("MEDIAN", n, downloadRuns(watch, load, runs, failures));
  }
  if (repaints > 0)
    std::printf("record table painted whole %ld times, %.2f ms each on average, %.2f ms the longest\n",
                repaints, repaintMs / static_cast<double>(repaints), repaintLongestMs);
  std::printf(
      "reply / wire: the ratio of the line's limit (5760 bytes/s) reached, counting the reply bytes only,\n"
      "and counting every byte of the download on the wire (requests and replies)\n");

  if (idle > 0) {
    std::vector<double> cpu, wakes, csw;
    for (int i = 0; i < runs; ++i) {
      const Cost c = idleOnce(watch, idle);
      std::printf("idle run %6.1f s  CPU %6.3f %%  %7.1f wakes/s  %7.1f csw/s\n", c.wall, c.cpuPercent(),
                  c.wakeupsPerSecond(), c.switchesPerSecond());
      cpu.push_back(c.cpuPercent());
      wakes.push_back(c.wakeupsPerSecond());
      csw.push_back(c.switchesPerSecond());
    }
    std::printf("idle MEDIAN       CPU %6.3f %%  %7.1f wakes/s  %7.1f csw/s\n", median(cpu), median(wakes),
                median(csw));
  }
  return failures ? 1 : 0;
}
