#include "support/common/download_road.h"

#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "base/appdir.h"
#include "link/comname.h"
#include "link/eventpump.h"
#include "link/porttable.h"
#include "link/settingblocks.h"
#include "polling/measurement.h"
#include "polling/pollloop.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "support/common/window_reset.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/logcategories.h"
#include "ui/msgbox.h"
#include "views/chartstate.h"
#include "views/datafile.h"
#include "views/win/datalistfrm.h"

namespace vkz {

DownloadRoad::DownloadRoad(bool frozen) : frozen_(frozen) {
  test::useWindowReset();
}

DownloadRoad::~DownloadRoad() {
  FormRegistry::unloadAll();
  // The meter runs on the clock: it stops first.
  meter.stop();
  clock.reset();
  delete panel;
  test::settleEvents();
  test::resetProgram();
}

bool installLanguage(const std::string& folder, int number) {
  const QString dir = QString::fromStdString(folder);
  const QDir from(QCoreApplication::applicationDirPath() + QStringLiteral("/Lan"));
  QDir(dir).mkpath(QStringLiteral("Lan"));
  for (const QString& name : from.entryList(QDir::Files)) {
    QFile::remove(dir + QStringLiteral("/Lan/") + name);
    if (!QFile::copy(from.filePath(name), dir + QStringLiteral("/Lan/") + name)) return false;
  }
  QFile index(dir + QStringLiteral("/Lan/Language.bin"));
  if (!index.open(QIODevice::ReadOnly)) return false;
  QByteArray bytes = index.readAll();
  index.close();
  // The index's first line names the chosen language after its backslash.
  const qsizetype slash = bytes.indexOf('\\'), end = bytes.indexOf('\r');
  if (slash < 0 || end < slash) return false;
  bytes.replace(slash + 1, end - slash - 1, QByteArray::number(number));
  return index.open(QIODevice::WriteOnly | QIODevice::Truncate) && index.write(bytes) == bytes.size();
}

bool DownloadRoad::start(const std::string& dir, int language) {
  test::resetProgram();
  if (language > 0 && !installLanguage(dir, language)) return false;
  setAppDir(dir);
  setComFallback(false);
  setEventPump([] { QCoreApplication::processEvents(); });
  // The program's log: QT_LOGGING_RULES="vkz.link=true" shows the road's
  // frames as it shows the program's.
  installLogSink();
  installViewWindows();
  LoadDefaultStrings(State().texts);
  if (frozen_) {
    clock.emplace([] { QCoreApplication::processEvents(); });
    // A pause of the program (WaitSeconds) lets time pass as until() does.
    clock->passTime = [this](std::chrono::nanoseconds span) {
      settleLine(meter);
      step(clock->now() + span);
    };
    meter.setTimeSource([c = &*clock] { return emu::SteadyClock::time_point(c->now()); });
    nextPoll_ = clock->now() + std::chrono::milliseconds(Panel::kPollTickMs);
  }
  if (!meter.start(dir + "/com/COM1")) return false;

  panel = new Panel();
  if (frozen_) panel->setTimersFrozen(true);
  panel->MDIForm_Load();
  panel->show();
  OpenPort(State().line(), 1, kMeterLineSettings);
  State().link.CurPort = 1;
  // The first poll tick watches the port and asks for the model.
  panel->Timer1_Timer();
  return until(
      [] { return State().polling.MeterModel == "VKZ 418" || State().polling.MeterModel == "KRD 529"; });
}

namespace {
// How long the road waits in real time for the program and the meter to
// settle, or for a condition on the machine's time, before it gives up: a
// guard that ends a failing test, never what makes one pass.
constexpr qint64 kRealGuardMs = 60000;

// Whether any thread of this process but the calling one is running (or
// about to): one that sleeps waits for the line, a pipe or a lock.
bool othersRunning() {
  const pid_t self = ::gettid();
  DIR* tasks = ::opendir("/proc/self/task");
  if (!tasks) return false;
  bool running = false;
  while (const dirent* e = ::readdir(tasks)) {
    const long tid = std::atol(e->d_name);
    if (tid <= 0 || tid == self) continue;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%ld/stat", tid);
    FILE* f = std::fopen(path, "r");
    if (!f) continue;
    char buf[512];
    const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    // The state follows the name in brackets, which may hold anything.
    const char* close = std::strrchr(buf, ')');
    if (close && close[1] == ' ' && (close[2] == 'R' || close[2] == 'D')) {
      running = true;
      break;
    }
  }
  ::closedir(tasks);
  return running;
}

// The program's descriptor of `meter`'s line (-1 when it has none).
int lineDescriptor(const emu::Emulator& meter) {
  const std::string slave = meter.slavePath();
  if (slave.empty()) return -1;
  int found = -1;
  if (DIR* fds = ::opendir("/proc/self/fd")) {
    while (const dirent* e = ::readdir(fds)) {
      const int fd = std::atoi(e->d_name);
      if (e->d_name[0] == '.' || fd == ::dirfd(fds)) continue;
      char link[64], target[256];
      std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
      const ssize_t n = ::readlink(link, target, sizeof target - 1);
      if (n > 0 && slave == std::string(target, static_cast<std::size_t>(n))) {
        found = fd;
        break;
      }
    }
    ::closedir(fds);
  }
  return found;
}

// Handles every event waiting now; true when there was one.
bool handleEvents() {
  QCoreApplication::sendPostedEvents();
  QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
  return d && d->processEvents(QEventLoop::AllEvents);
}
}  // namespace

namespace {
bool quiet(const emu::Emulator& meter) {
  if (handleEvents()) return false;
  // A poll of the program's end of the line hands over the bytes the system
  // still holds on their way to it; whoever reads them is woken.
  if (const int fd = lineDescriptor(meter); fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, 0);
  }
  if (meter.running() && !meter.idle()) return false;
  if (othersRunning()) return false;
  // What the other threads did before they slept (a frame handed over, a
  // read notifier's pipe written) is an event by now.
  return !handleEvents();
}
}  // namespace

bool settleLine(const emu::Emulator& meter) {
  QElapsedTimer guard;
  guard.start();
  for (int turn = 0; !quiet(meter); ++turn) {
    if (guard.elapsed() > kRealGuardMs) return false;
    // Another thread is at work: let it have the processor.
    if (turn > 2) std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  return true;
}

void DownloadRoad::step(std::chrono::nanoseconds end) {
  using std::chrono::nanoseconds;
  nanoseconds to = std::min(end, clock->nextTick());
  if (panel && !panel->pollingRunning()) nextPoll_ = std::max(nextPoll_, clock->now() + std::chrono::milliseconds(Panel::kPollTickMs));
  to = std::min(to, nextPoll_);
  if (meter.running()) to = std::min(to, nanoseconds(meter.nextDue().time_since_epoch()));
  to = std::max(to, clock->now());
  clock->moveTo(to);
  meter.timeMoved();
  if (panel && clock->now() >= nextPoll_) {
    nextPoll_ = clock->now() + std::chrono::milliseconds(Panel::kPollTickMs);
    if (panel->pollingRunning()) panel->Timer1_Timer();
  }
}

bool DownloadRoad::until(const std::function<bool()>& done, int ms) {
  if (done()) return true;
  if (!frozen_) {
    // The program's own timers, on the machine's time.
    QElapsedTimer elapsed;
    elapsed.start();
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    look.setInterval(1);
    bool ok = false;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
      if (done()) {
        ok = true;
        loop.quit();
      } else if (elapsed.elapsed() > ms) {
        loop.quit();
      }
    });
    look.start();
    loop.exec();
    return ok;
  }
  const std::chrono::nanoseconds end = clock->now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (!settleLine(meter)) return done();
    if (done()) return true;
    if (clock->now() >= end) return false;
    step(end);
  }
}

bool lineDrained(const emu::Emulator& meter) {
  if (meter.pendingBytes() != 0) return false;
  if (const int fd = lineDescriptor(meter); fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) return false;
  }
  const int port = State().link.CurPort;
  return port < 0 || static_cast<std::size_t>(port) >= State().link.PortTable.size() ||
         State().link.PortTable[static_cast<std::size_t>(port)].RxBuf.empty();
}

void DownloadRoad::passLongestWait() {
  std::int32_t longest = 0;
  for (const PollLoop::WaitDef& w : PollLoop::kWaits) longest = std::max(longest, w.rule.runsOut);
  const auto span = PollLoop::kReceiveTick * (longest + 1);
  until([] { return false; }, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(span).count()));
}

bool DownloadRoad::loadMemoryList() {
  const std::size_t shown = MsgBox::shown().size();
  panel->Toolbar1_ButtonClick(QStringLiteral("Memory"));
  return until([&] {
    for (std::size_t i = shown; i < MsgBox::shown().size(); ++i) {
      const QString& t = MsgBox::shown()[i].text;
      // (In the language the program runs in.)
      if (t == QString::fromStdString(State().texts.TxtGetMemoryInfoOK) ||
          t == QString::fromStdString(State().texts.TxtMemoryInfoNoData))
        return true;
    }
    return false;
  });
}

bool DownloadRoad::download(int row, int ms) {
  panel->MSFlexGrid1->setRow(row);
  panel->MSFlexGrid1_Click();
  // The list left "Load Complete" in the label too: the download is over
  // when neither its header nor a block is awaited any more.
  return until(
      [&] {
        return !State().poll.downloadRunning() &&
               panel->MemoryMessageLbl->text() == QString::fromStdString(State().texts.TxtLoadComplete);
      },
      ms);
}

QStringList DownloadRoad::messages() const {
  QStringList out;
  for (const MsgRecord& r : MsgBox::shown()) out << r.text;
  return out;
}

QStringList DownloadRoad::recordRows() const {
  QStringList rows;
  DataListFrm* f = FormRegistry::find<DataListFrm>();
  if (!f) return rows;
  const FlexGrid* g = f->VKZ418PointGrid;
  for (int r = 1; r < g->Rows(); ++r) {
    QStringList cells;
    for (int c = 0; c < 6; ++c) cells << g->TextMatrix(r, c);
    rows << cells.join(QLatin1Char('\t'));
  }
  return rows;
}

namespace {
QString levelCell(unsigned tenths, bool paused) {
  QString s = paused ? QStringLiteral("*") : QString();
  s += tenths == 0 ? QStringLiteral("--") : QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
  return s + QStringLiteral(" dB");
}
}  // namespace

QStringList DownloadRoad::expectedRows(int entry) const {
  const emu::StoredMeasurement m = meter.measurement(entry);
  const emu::Header& h = m.header;
  const QDateTime start(QDate(static_cast<int>(emu::le16(h, 0)), h[2], h[3]), QTime(h[4], h[5], h[6]),
                        Qt::UTC);
  const long long interval = static_cast<long long>(emu::le32(h, emu::hdr::Interval));
  // The last record carries the first dose channel's stop time.
  const QString stop = QString::asprintf(
      "%04u/%02u/%02u %02u:%02u:%02u", emu::le16(h, emu::hdr::StopDate), h[emu::hdr::StopDate + 2],
      h[emu::hdr::StopDate + 3], h[emu::hdr::StopTime], h[emu::hdr::StopTime + 1], h[emu::hdr::StopTime + 2]);
  QStringList rows;
  const int n = static_cast<int>(m.records.size());
  for (int i = 0; i < n; ++i) {
    const emu::Record& r = m.records[static_cast<std::size_t>(i)];
    const int k = i + 1;
    const QString time =
        i == n - 1 ? stop : start.addSecs(k * interval).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    rows << QStringList{QString::number(k),
                        time,
                        levelCell(r.lavg(), r.paused()),
                        levelCell(r.leq, r.paused()),
                        levelCell(r.lcpk, r.paused()),
                        levelCell(r.lzpk, r.paused())}
                .join(QLatin1Char('\t'));
  }
  return rows;
}

bool DownloadRoad::pointValuesMatch(int entry) const {
  const emu::StoredMeasurement m = meter.measurement(entry);
  const MeasurementData& d = State().measurement;
  const std::size_t n = m.records.size();
  if (d.PointValue1.size() != n || d.PointValue5.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const emu::Record& r = m.records[i];
    if (d.PointValue1[i] != r.lavg() / 10.0 || d.PointValue2[i] != r.leq / 10.0 ||
        d.PointValue3[i] != r.lcpk / 10.0 || d.PointValue4[i] != r.lzpk / 10.0 ||
        d.PointValue5[i] != (r.paused() ? 1.0 : 0.0))
      return false;
  }
  return true;
}

}  // namespace vkz
