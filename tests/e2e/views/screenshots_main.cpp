// The documentation's pictures of the data list, the level graph and the
// level histogram: a working shift downloaded from the meter emulator into
// the data list window, its LAVG column plotted (with the read-out cursor)
// and counted at 0.1 dB. Run under xvfb-run; writes data-list.png, plot.png
// and histogram.png into the folder given (docs/screenshots by default),
// or with a language number after the folder (2: Portuguese) the same
// pictures in that language, named data-list-pt.png ... (-<n> for others)
//
// It also prints how the level graph copes with a day of one-second records
// (86,400 points): the time to convert and draw the column, and the time of
// one redraw while the view is panned.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "emulator/emulator.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/graph.h"
#include "ui/listpos.h"
#include "views/chartstate.h"
#include "views/win/datalistfrm.h"
#include "views/win/histogramfrm.h"
#include "views/win/plotfrm.h"

using namespace vkz;

namespace {
void settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

bool save(QWidget* w, const QString& file) {
  settle();
  const bool ok = w->grab().save(file);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
  return ok;
}

QString level(unsigned tenths, bool paused) {
  QString s = paused ? QStringLiteral("*") : QString();
  s += tenths == 0 ? QStringLiteral("--") : QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
  return s + QStringLiteral(" dB");
}

// A day of one-second records straight into the record grid, then plotted.
void dayOfRecords(DataListFrm* f) {
  const std::vector<emu::Record> day = emu::generateRecords(5, 86400);
  FlexGrid* g = f->VKZ418PointGrid;
  g->setRows(1);
  g->gridData().reserve(86401);
  for (int i = 0; i < 86400; ++i) {
    const emu::Record& r = day[static_cast<size_t>(i)];
    g->gridData().addItem(QStringLiteral("%1\t2024/05/06 00:00:00\t%2\t%3\t%4\t%5")
                              .arg(i + 1)
                              .arg(level(r.lavg(), r.paused()), level(r.leq, r.paused()),
                                   level(r.lcpk, r.paused()), level(r.lzpk, r.paused()))
                              .toStdString());
  }
  g->Refresh();
  State().chart.SelColumn = 2;
  State().chart.PlotPoints = 86400;
  QElapsedTimer t;
  t.start();
  PlotGridColumn(*g, State().chart.SelColumn, QStringLiteral("LAVG"));
  Plot* p = FormRegistry::find<Plot>();
  p->CWGraph1->replot();
  std::printf("86400 records: converted and drawn in %lld ms\n", static_cast<long long>(t.elapsed()));
  t.restart();
  for (int i = 0; i < 10; ++i) p->CWGraph1->replot();
  std::printf("86400 records: one redraw of the whole day takes %.1f ms\n",
              static_cast<double>(t.elapsed()) / 10);
  // Panning: the view moves by a twentieth of its width per step.
  p->CWGraph1->setRange(GraphAxis::X, 1, 20000);
  t.restart();
  const int steps = 50;
  for (int i = 0; i < steps; ++i) {
    p->CWGraph1->setRange(GraphAxis::X, 1 + i * 1000, 20001 + i * 1000);
    p->CWGraph1->replot();
  }
  std::printf("86400 records: one redraw while panning takes %.1f ms\n",
              static_cast<double>(t.elapsed()) / steps);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
  const int language = argc > 2 ? std::atoi(argv[2]) : 1;
  const QString suffix = language == 1   ? QStringLiteral(".png")
                         : language == 2 ? QStringLiteral("-pt.png")
                                         : QStringLiteral("-%1.png").arg(language);
  QDir().mkpath(out);
  QTemporaryDir tmp;
  DownloadRoad road(true);
  // Eight hours at a record every ten seconds.
  emu::MeasurementInfo info;
  info.interval = 10;
  info.start = {2024, 5, 6, 7, 30, 0};
  road.meter.addMeasurement(emu::generateRecords(21, 2880), info);
  if (!road.start(tmp.path().toStdString(), language) || !road.loadMemoryList() || !road.download(1)) {
    std::fprintf(stderr, "the download from the emulator did not complete\n");
    return 1;
  }
  // The main window at the size the program opens at on this screen, the
  // memory list beside the downloaded shift.
  road.panel->setFirstSize(QGuiApplication::primaryScreen()->availableGeometry().size());
  road.panel->move(0, 0);
  DataListFrm* f = FormRegistry::find<DataListFrm>();
  bool ok = save(road.panel, out + QStringLiteral("/data-list") + suffix);

  // The level graph of LAVG with the read-out cursor.
  f->Toolbar1_ButtonClick(QStringLiteral("Plot"));
  f->Option1[0]->click();
  f->BtnSelectOK_Click();
  Plot* p = FormRegistry::find<Plot>();
  if (!p) return 1;
  setListPosition(p->Combo1, 1);
  p->CWGraph1->setCursorPosition(1, 1320, 91.4);
  p->CWGraph1_CursorChange(1, 1320, 91.4, false);
  ok = save(p, out + QStringLiteral("/plot") + suffix) && ok;

  // The level histogram of LAVG at 0.1 dB with its percentile levels.
  f->Toolbar1_ButtonClick(QStringLiteral("Ln"));
  f->Option1[0]->click();
  f->BtnSelectOK_Click();
  f->Btn01dB_Click();
  Histogram* h = FormRegistry::find<Histogram>();
  if (!h) return 1;
  ok = save(h, out + QStringLiteral("/histogram") + suffix) && ok;

  dayOfRecords(f);
  return ok ? 0 : 1;
}
