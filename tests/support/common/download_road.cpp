#include "support/common/download_road.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTimer>

#include "base/appdir.h"
#include "link/comname.h"
#include "link/eventpump.h"
#include "link/porttable.h"
#include "link/settingblocks.h"
#include "polling/measurement.h"
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
  clock.reset();
  delete panel;
  test::settleEvents();
  meter.stop();
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
  if (!meter.start(dir + "/com/COM1")) return false;

  panel = new Panel();
  if (frozen_) {
    panel->setTimersFrozen(true);
    clock.emplace();
  }
  panel->MDIForm_Load();
  panel->show();
  OpenPort(State().line(), 1, kMeterLineSettings);
  State().link.CurPort = 1;
  // The first poll tick watches the port and asks for the model.
  panel->Timer1_Timer();
  return until(
      [] { return State().polling.MeterModel == "VKZ 418" || State().polling.MeterModel == "KRD 529"; });
}

bool DownloadRoad::until(const std::function<bool()>& done, int ms) {
  if (done()) return true;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(1);
  bool ok = false;
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    if (frozen_ && panel) {
      ++turns_;
      // A receive tick every 4 ms and a poll tick every 50 ms: the counts
      // of the program's waits and re-sends, in a quarter of their time.
      if (turns_ % 4 == 0) this->clock->ticks(1);
      if (turns_ % 50 == 0 && panel->pollingRunning()) panel->Timer1_Timer();
    }
    if (done()) {
      ok = true;
      loop.quit();
    } else if (clock.elapsed() > ms) {
      loop.quit();
    }
  });
  tick.start();
  loop.exec();
  return ok;
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
