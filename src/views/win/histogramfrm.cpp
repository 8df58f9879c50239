#include "views/win/histogramfrm.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QPointer>
#include <QPrinter>
#include <QToolBar>
#include <algorithm>
#include <memory>
#include <optional>

#include "base/log.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/captionrun.h"
#include "ui/flexgrid.h"
#include "ui/graph.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/placement.h"
#include "ui/printer.h"
#include "ui/qtext.h"
#include "ui/twips.h"
#include "views/chartstate.h"
#include "views/progress.h"
#include "views/win/viewwidgets.h"

namespace vkz {

namespace {

// The track-mode items of Combo1 in list order; Reset (7) has no mode.
constexpr std::string UiText::*kItems[8] = {&UiText::TxtNormal, &UiText::TxtPanXY,  &UiText::TxtPanX,
                                            &UiText::TxtPanY,   &UiText::TxtZoomXY, &UiText::TxtZoomX,
                                            &UiText::TxtZoomY,  &UiText::TxtReset};
constexpr TrackMode kModes[7] = {TrackMode::None,   TrackMode::PanXY, TrackMode::PanX, TrackMode::PanY,
                                 TrackMode::ZoomXY, TrackMode::ZoomX, TrackMode::ZoomY};
}  // namespace

Histogram::Histogram() : FormWindow(&State().flags.HistogramOpen) {
  setObjectName(QStringLiteral("Histogram"));
  setWindowTitle(QStringLiteral("Histogram"));
  setMinimumTwips(this, kHistogramMinimum);
  resizeTwips(this, kHistogramMinimum);

  Toolbar1 = new QToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  Toolbar1->setIconSize(QSize(16, 16));
  for (const char* key : {"Limit", "Print"}) {
    QAction* a = Toolbar1->addAction(ViewToolbarIcon(QString::fromLatin1(key)), QString::fromLatin1(key));
    a->setObjectName(QString::fromLatin1(key));
    const QString k = QString::fromLatin1(key);
    connect(a, &QAction::triggered, this, [this, k] { Toolbar1_ButtonClick(k); });
  }
  CWG = new Graph(this);
  CWG->setObjectName(QStringLiteral("CWG"));
  CWG->setPlotStyle(PlotStyle::Bars);
  CWG->setCaption(GraphAxis::X, QStringLiteral("dB"));
  CWG->setAutoScale(GraphAxis::Y, true);
  // The two cursors of the graph stay hidden.
  for (int i = 1; i <= 2; ++i) CWG->setCursorVisible(CWG->addCursor(), false);
  GridLn = new FlexGrid(this);
  GridLn->setObjectName(QStringLiteral("GridLn"));
  GridLn->setCols(11);
  GridLn->setRows(1);
  GridLn->setFixedRows(1);
  GridLn->setFixedCols(1);
  GridLn->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Picture1 = new QFrame(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setFrameShape(QFrame::Panel);
  Picture1->setFrameShadow(QFrame::Raised);
  Picture1->setAutoFillBackground(true);
  Combo1 = new QComboBox(Picture1);
  Combo1->setObjectName(QStringLiteral("Combo1"));

  // Form_Load.
  // Over the main window's top-left corner, inside the screen.
  if (MainWindowHost* m = mainWindowHost()) placeWindow(this, m->frameTopLeft(), m->frameTopLeft());
  ApplyHistogramText(*this);
  QStringList items;
  for (auto item : kItems) items << q(State().texts.*item);
  fillList(Combo1, items);
  setListHandler(Combo1, [this] { Combo1_Click(); });
  setListPosition(Combo1, 0);
  GridLn->setTextMatrix(0, 0, QStringLiteral("Ln"));
  for (int c = 1; c <= 10; ++c) GridLn->setTextMatrix(0, c, QStringLiteral(" %1").arg(c - 1));
  const QFontMetrics fm(font());
  for (int c = 0; c <= 10; ++c) {
    GridLn->setColAlignment(c, FlexAlign::CenterCenter);
    GridLn->setColWidth(c, pixelsToTwipsX(fm.horizontalAdvance(c == 0 ? QStringLiteral("ABCDEFAA1")
                                                                      : QStringLiteral("ABCDEFAA"))));
  }
  Picture1->raise();
  Form_Resize();
}

void Histogram::Form_Resize() {
  if (isMinimized()) return;
  const QSize outer = isWindow() ? frameGeometry().size() : size();
  const TwipsSize s =
      atLeast({pixelsToTwipsX(outer.width()), pixelsToTwipsY(outer.height())}, kHistogramMinimum);
  const HistogramLayout l = histogramLayout(s.width, s.height);
  // Along the top edge, as wide as the client area (the rule's width is the
  // window's outer one, frame included).
  Toolbar1->setGeometry(0, 0, width(), pxY(l.toolbar.height));
  placeTwips(CWG, l.graph);
  placeTwips(GridLn, l.table);
  for (int c = 0; c <= 10; ++c) GridLn->setColWidth(c, l.columnWidth);
  // The ten rows of levels share the table's height, so all of L0 .. L99
  // shows without scrolling.
  const int title = GridLn->horizontalHeader()->sizeHint().height();
  const int row = (twipsToPixelsY(l.table.height) - title - 2 * GridLn->frameWidth()) / 10;
  GridLn->verticalHeader()->setDefaultSectionSize(std::max(row, GridLn->fontMetrics().height()));
  placeTwips(Picture1, l.picture);
  placeTwips(Combo1, l.combo);
}

void Histogram::Combo1_Click() {
  const int index = listPosition(Combo1);
  if (index >= 0 && index <= 7) {
    CWG->setCursorVisible(1, false);
    CWG->setCursorVisible(2, false);
    if (index < 7) {
      CWG->setTrackMode(kModes[index]);
    } else {
      const ChartState& c = State().chart;
      CWG->setRange(GraphAxis::X, c.HistFirstBin, c.HistLastBin + 1);
      CWG->setRange(GraphAxis::Y, 0, c.HistYMax);
      CWG->setTrackMode(TrackMode::None);
    }
  } else {
    MsgBox::show(q(State().texts.TxtSelectAValidTrackMode));
  }
  Picture1->hide();
}

void Histogram::Toolbar1_ButtonClick(const QString& key) {
  if (key == QLatin1String("Limit")) {
    Picture1->setVisible(Picture1->isHidden());
    if (Picture1->isVisible()) Picture1->raise();
  } else if (key == QLatin1String("Print")) {
    Toolbar1->hide();
    Picture1->hide();
    std::unique_ptr<QPrinter> printer = PrinterSeam::choosePrinter(this);
    PrintResult r{PrintStatus::Cancelled, {}};
    if (printer) {
      CWG->replot();
      r = printWidgetImage(*printer, this);
    }
    Toolbar1->show();
    if (r.status == PrintStatus::Failed) MsgBox::show(r.message, MsgIcon::Critical);
  }
}

void ApplyHistogramText(Histogram& f) {
  const UiText& t = State().texts;
  const QList<QAction*> acts = f.Toolbar1->actions();
  if (acts.size() >= 2) {
    acts[0]->setText(q(t.TxtLimit));
    acts[1]->setText(q(t.TxtPrint));
  }
  f.CWG->setCaption(GraphAxis::Y, q(t.TxtFrequencyTimes));
}

// ---- the histogram run ------------------------------------------------------

void RunLevelHistogram(QWidget* dataWindow, FlexGrid& records, QWidget* resolutionPanel, HistResolution res) {
  LongRun run;
  if (!run.started()) return;  // a run is still counting
  QPointer<QWidget> window(dataWindow);
  QPointer<QWidget> panel(resolutionPanel);
  // The caption shows the count; a report may show its own meanwhile.
  CaptionRun caption(dataWindow);
  // Polling paused until the pause is reset (or the handler is left).
  std::optional<PollPause> pause(std::in_place, State().poll);
  try {
    const std::string completed = State().texts.TxtCompleted;
    // The 0.1 dB run writes "50.0%Completed", the 1 dB run "50.0% Completed".
    const bool blank = res == HistResolution::Whole;
    const HistogramResult r = LevelHistogram(
        records.gridData(), State().chart.SelColumn, res, [&](std::uint64_t done, std::uint64_t total) {
          if (window) window->setWindowTitle(q(progressCaption(done, total, completed, blank)));
          QCoreApplication::processEvents();
        });
    if (r.status != HistStatus::Ok) {
      MsgBox::show(q(r.message), MsgIcon::Exclamation);
    } else {
      ChartState& c = State().chart;
      c.HistFirstBin = r.HistFirstBin;
      c.HistLastBin = r.HistLastBin;
      // A fresh window: no zoom, pan or table row of an earlier run stays.
      FormRegistry::unload<Histogram>();
      Histogram* h = FormRegistry::get<Histogram>();
      h->show();
      h->raise();
      h->CWG->setFormat(GraphAxis::X, QString::fromLatin1(r.xLabelFormat()));
      h->CWG->setRange(GraphAxis::X, r.xMin(), r.xMax());
      // Bin j fills j .. j + 1 on the X axis: it begins at its own label,
      // and the range HistFirstBin .. HistLastBin + 1 shows every occupied
      // bin whole.
      std::vector<double> counts(r.bins.begin(), r.bins.end());
      h->CWG->setAutoScale(GraphAxis::Y, true);
      h->CWG->plotY(counts, 0.5, 1);
      c.HistYMax = h->CWG->maximum(GraphAxis::Y);
      if (panel) panel->hide();
      c.HistCount = r.HistCount;
      c.LnValue = r.LnValue;
      h->GridLn->setRows(1);
      for (int i = 0; i < 10; ++i) h->GridLn->AddItem(q(r.lnTableRow(i)));
      h->GridLn->Refresh();
    }
  } catch (...) {
    // A step that fails ends the run; the caption and polling come back.
    logCaught(LogArea::Ui);
  }
  caption.end();
  pause.reset();
}

}  // namespace vkz
