#include "views/win/plotfrm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <exception>
#include <memory>
#include <optional>

#include "base/log.h"
#include "base/numfmt.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/graph.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/placement.h"
#include "ui/printer.h"
#include "ui/qtext.h"
#include "ui/twips.h"
#include "views/chartstate.h"
#include "views/displaytext.h"
#include "views/plotcolumn.h"
#include "views/win/viewwidgets.h"

namespace vkz {

namespace {

// The track modes of Combo1 in list order: the item text and its help text.
struct TrackItem {
  std::string UiText::*item;
  std::string UiText::*help;
};
constexpr TrackItem kTrackItems[8] = {
    {&UiText::TxtNormal, &UiText::TxtNormalMode}, {&UiText::TxtCursorCoordinates, &UiText::TxtHelpCursor},
    {&UiText::TxtPanXY, &UiText::TxtHelpPanXY},   {&UiText::TxtPanX, &UiText::TxtHelpPanX},
    {&UiText::TxtPanY, &UiText::TxtHelpPanY},     {&UiText::TxtZoomXY, &UiText::TxtHelpZoomXY},
    {&UiText::TxtZoomX, &UiText::TxtHelpZoomX},   {&UiText::TxtZoomY, &UiText::TxtHelpZoomY},
};

QDoubleSpinBox* makeEdit(QWidget* parent, const QString& name, double min, double max, int decimals,
                         double step) {
  auto* e = new QDoubleSpinBox(parent);
  e->setObjectName(name);
  e->setDecimals(decimals);
  e->setRange(min, max);
  e->setSingleStep(step);
  e->setKeyboardTracking(false);
  return e;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text = QString()) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name) {
  auto* g = new QGroupBox(parent);
  g->setObjectName(name);
  return g;
}

// The cursor's X read-out: the number in its shortest plain form (37, 37.5).
QString plainNumber(double v) {
  return QString::number(v, 'g', 15);
}

// The main window's caption cut before its first " - ".
QString captionBeforeDash(const QString& caption) {
  const int at = caption.indexOf(QStringLiteral(" - "));
  return at < 0 ? caption : caption.left(at);
}
}  // namespace

Plot::Plot() : FormWindow(&State().flags.PlotOpen) {
  setObjectName(QStringLiteral("Plot"));
  setWindowTitle(QStringLiteral("Plot"));
  setMinimumTwips(this, kPlotMinimum);
  resizeTwips(this, kPlotMinimum);

  CWGraph1 = new Graph(this);
  CWGraph1->setObjectName(QStringLiteral("CWGraph1"));
  CWGraph1->setCaption(GraphAxis::Y, QStringLiteral("dB"));
  CWGraph1->setRange(GraphAxis::X, 1, 10);
  CWGraph1->setRange(GraphAxis::Y, 25, 150);

  FrmGraphic = makeFrame(this, QStringLiteral("FrmGraphic"));
  SSFGraphRange = makeFrame(FrmGraphic, QStringLiteral("SSFGraphRange"));
  AxisMin[1] = makeEdit(SSFGraphRange, QStringLiteral("AxisMin_1"), 1, 349999, 0, 1);
  AxisMax[1] = makeEdit(SSFGraphRange, QStringLiteral("AxisMax_1"), 0, 349999, 0, 1);
  AxisMin[2] = makeEdit(SSFGraphRange, QStringLiteral("AxisMin_2"), 0, 150, 1, 0.1);
  AxisMax[2] = makeEdit(SSFGraphRange, QStringLiteral("AxisMax_2"), 0, 150, 1, 0.1);
  LblNos = makeLabel(SSFGraphRange, QStringLiteral("LblNos"));
  Label4 = makeLabel(SSFGraphRange, QStringLiteral("Label4"), QStringLiteral("dB"));
  LblMin = makeLabel(SSFGraphRange, QStringLiteral("LblMin"), QStringLiteral("Min"));
  LblMax = makeLabel(SSFGraphRange, QStringLiteral("LblMax"), QStringLiteral("Max"));
  for (QLabel* l : {LblMin, LblMax}) l->setAlignment(Qt::AlignCenter);
  SSFTrackMode = makeFrame(FrmGraphic, QStringLiteral("SSFTrackMode"));
  Combo1 = new QComboBox(SSFTrackMode);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  txtDescription = new QPlainTextEdit(SSFTrackMode);
  txtDescription->setObjectName(QStringLiteral("txtDescription"));
  txtDescription->setReadOnly(true);
  SSFCursorInformation = makeFrame(FrmGraphic, QStringLiteral("SSFCursorInformation"));
  LblNosX = makeLabel(SSFCursorInformation, QStringLiteral("LblNosX"));
  XPosition = makeLabel(SSFCursorInformation, QStringLiteral("XPosition"));
  LblNosY = makeLabel(SSFCursorInformation, QStringLiteral("LblNosY"));
  YPosition = makeLabel(SSFCursorInformation, QStringLiteral("YPosition"));
  CmdReset = new QPushButton(FrmGraphic);
  CmdReset->setObjectName(QStringLiteral("CmdReset"));
  CmdPrint = new QPushButton(FrmGraphic);
  CmdPrint->setObjectName(QStringLiteral("CmdPrint"));

  for (int i = 1; i <= 2; ++i) {
    connect(AxisMin[static_cast<size_t>(i)], &QDoubleSpinBox::valueChanged, this,
            [this] { AxisMin_ValueChanged(); });
    connect(AxisMax[static_cast<size_t>(i)], &QDoubleSpinBox::valueChanged, this,
            [this] { AxisMax_ValueChanged(); });
  }
  connect(CWGraph1, &Graph::cursorChange, this, &Plot::CWGraph1_CursorChange);
  connect(CmdReset, &QPushButton::clicked, this, [this] { CmdReset_Click(); });
  connect(CmdPrint, &QPushButton::clicked, this, [this] { CmdPrint_Click(); });

  // Form_Load.
  // Over the main window's top-left corner, inside the screen.
  if (MainWindowHost* m = mainWindowHost()) placeWindow(this, m->frameTopLeft(), m->frameTopLeft());
  ApplyPlotText(*this);
  QStringList items;
  for (const TrackItem& t : kTrackItems) items << q(State().texts.*(t.item));
  fillList(Combo1, items);
  setListHandler(Combo1, [this] { Combo1_Click(); });
  setListPosition(Combo1, 0);
  Form_Resize();
}

void Plot::Form_Resize() {
  if (isMinimized()) return;
  const QSize outer = isWindow() ? frameGeometry().size() : size();
  const TwipsSize s = atLeast({pixelsToTwipsX(outer.width()), pixelsToTwipsY(outer.height())}, kPlotMinimum);
  const PlotLayout l = plotLayout(s.width, s.height);
  placeTwips(CWGraph1, l.graph);
  placeTwips(FrmGraphic, l.frmGraphic);
  placeTwips(SSFGraphRange, l.graphRange);
  placeTwips(SSFTrackMode, l.trackMode);
  placeTwips(SSFCursorInformation, l.cursorInfo);
  for (int i = 1; i <= 2; ++i) {
    placeTwips(AxisMin[static_cast<size_t>(i)], l.axisMin[i]);
    placeTwips(AxisMax[static_cast<size_t>(i)], l.axisMax[i]);
  }
  placeTwips(LblNos, l.lblNos);
  placeTwips(Label4, l.label4);
  placeTwips(LblMin, l.lblMin);
  placeTwips(LblMax, l.lblMax);
  placeTwips(Combo1, l.combo);
  placeTwips(txtDescription, l.description);
  placeTwips(LblNosX, l.lblNosX);
  placeTwips(XPosition, l.xPosition);
  placeTwips(LblNosY, l.lblNosY);
  placeTwips(YPosition, l.yPosition);
  placeTwips(CmdReset, l.cmdReset);
  placeTwips(CmdPrint, l.cmdPrint);
}

void Plot::applyEdits() {
  CWGraph1->setRange(GraphAxis::X, AxisMin[1]->value(), AxisMax[1]->value());
  CWGraph1->setRange(GraphAxis::Y, AxisMin[2]->value(), AxisMax[2]->value());
}

void Plot::AxisMin_ValueChanged() {
  applyEdits();
}
void Plot::AxisMax_ValueChanged() {
  applyEdits();
}

void Plot::Combo1_Click() {
  const int index = listPosition(Combo1);
  if (index < 0 || index > 7) return;
  CWGraph1->setTrackMode(index + 1);
  txtDescription->setPlainText(q(State().texts.*(kTrackItems[index].help)));
  if (index != 1) {
    if (CWGraph1->cursorCount() > 0) CWGraph1->removeAllCursors();
    return;
  }
  if (CWGraph1->cursorCount() == 0) {
    CWGraph1->addCursor();
    CWGraph1->setCursorColor(1, QColor(255, 0, 0));
  }
  CWGraph1->setCursorPosition(1, (CWGraph1->minimum(GraphAxis::X) + CWGraph1->maximum(GraphAxis::X)) / 2,
                              (CWGraph1->minimum(GraphAxis::Y) + CWGraph1->maximum(GraphAxis::Y)) / 2);
}

void Plot::CWGraph1_CursorChange(int index, double, double y, bool) {
  if (index != 1) return;
  XPosition->setText(plainNumber(CWGraph1->cursorPosition(1).x()));
  YPosition->setText(q(formatPattern(y, "0.0")));
}

void Plot::CmdReset_Click() {
  CWGraph1->setRange(GraphAxis::X, 1, static_cast<double>(State().chart.PlotPoints));
  CWGraph1->setRange(GraphAxis::Y, 25, 145);
}

void Plot::CmdPrint_Click() {
  // Back to the plain view without a cursor, so none is printed.
  setListPosition(Combo1, 0);
  CWGraph1->setTrackMode(TrackMode::None);
  txtDescription->setPlainText(q(State().texts.TxtNormalMode));
  if (CWGraph1->cursorCount() > 0) CWGraph1->removeAllCursors();

  std::unique_ptr<QPrinter> printer = PrinterSeam::choosePrinter(this);
  if (!printer) return;  // cancelled: nothing to say

  // The graph alone, on white.
  const QPalette oldPalette = palette();
  const bool oldFill = autoFillBackground();
  const QColor oldGraph = CWGraph1->backgroundColor();
  QPalette white = oldPalette;
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  FrmGraphic->hide();
  CWGraph1->setBackgroundColor(Qt::white);
  CWGraph1->replot();
  const PrintResult r = printWidgetImage(*printer, this);
  setPalette(oldPalette);
  setAutoFillBackground(oldFill);
  FrmGraphic->show();
  CWGraph1->setBackgroundColor(oldGraph);
  if (!r.ok()) MsgBox::show(r.message, MsgIcon::Critical);
}

void ApplyPlotText(Plot& f) {
  const UiText& t = State().texts;
  f.FrmGraphic->setTitle(q(t.TxtGraphicPlot));
  f.SSFGraphRange->setTitle(q(t.TxtGraphRange));
  f.SSFTrackMode->setTitle(q(t.TxtTrackMode));
  f.SSFCursorInformation->setTitle(q(t.TxtCursorInformation));
  f.LblNos->setText(q(t.TxtNos));
  f.LblNosX->setText(q(t.TxtNosX));
  f.LblNosY->setText(q(t.TxtNosY));
  f.CmdReset->setText(q(t.TxtResetScale));
  f.CmdPrint->setText(q(t.TxtPrintGraph));
}

// ---- the record plotter -----------------------------------------------------

bool AddGraphMark(std::int32_t record, const QString& text) {
  Plot* p = FormRegistry::find<Plot>();
  if (!p || record < 1) return false;
  return p->CWGraph1->addAnnotation(record - 1, record, State().chart.MarkHeight, text) != 0;
}

void PlotGridColumn(FlexGrid& grid, std::int32_t& column, const QString& caption) {
  const int rows = grid.Rows();
  if (rows < 2) return;  // no records: nothing at all happens
  if (column < 0 || column >= grid.Cols()) return;
  LongRun run;
  if (!run.started()) return;  // a conversion is still running

  QPointer<FlexGrid> alive(&grid);
  // Polling paused until the pause is reset (or the handler is left).
  std::optional<PollPause> pause(std::in_place, State().poll);
  // The main window's caption counts the rows (the main window is asked for
  // each time: it may go while the event loop turns).
  const QString saved = mainWindowHost() ? mainWindowHost()->caption() : QString();
  try {
    // The conversion, one row at a time; the caption counts the rows and the
    // event loop turns every few milliseconds (a day of one-second records
    // is 86,400 rows).
    const GridData& data = grid.gridData();
    const std::int64_t last = rows - 1;
    PlotColumnScan scan(last);
    QElapsedTimer turn;
    turn.start();
    bool complete = true;
    for (std::int64_t r = 1; r <= last; ++r) {
      scan.row(r, cellOfRow(data.rowText(static_cast<int>(r)), column));
      if (r == last || turn.elapsed() >= 40) {
        if (MainWindowHost* m = mainWindowHost()) m->setCaption(QStringLiteral("%1 Completed").arg(r));
        QCoreApplication::processEvents();
        turn.restart();
        if (!alive || alive->Rows() != rows) {  // the window or its records went away
          complete = false;
          break;
        }
      }
    }
    if (complete) {
      Plot* p = FormRegistry::get<Plot>();
      p->show();
      p->raise();
      p->AxisMax[1]->setValue(static_cast<double>(last));
      p->AxisMin[1]->setValue(1);
      p->AxisMax[2]->setValue(150);
      p->AxisMin[2]->setValue(25);
      p->CWGraph1->setRange(GraphAxis::Y, 25, 150);
      // One record alone still shows: the graph takes no range of zero width.
      const bool xOk = last > 1 ? p->CWGraph1->setRange(GraphAxis::X, 1, static_cast<double>(last))
                                : p->CWGraph1->setRange(GraphAxis::X, 0, 2);
      if (xOk) {
        p->CWGraph1->setCaption(GraphAxis::X,
                                p->LblNos->text() + QStringLiteral("  (") + caption + QStringLiteral(")"));
        p->CWGraph1->plotY(scan.values(), 1, 1);
        for (const PauseSpan& s : scan.spans()) {
          State().chart.MarkHeight = 30;
          AddGraphMark(static_cast<std::int32_t>(s.pauseRow), QStringLiteral("Pause"));
          State().chart.MarkHeight = 105;
          if (s.restartRow > 0)
            AddGraphMark(static_cast<std::int32_t>(s.restartRow), QStringLiteral("Start"));
        }
      }
    }
  } catch (...) {
    // The remaining steps are skipped; caption and polling come back below.
    logCaught(LogArea::Ui);
  }
  if (MainWindowHost* m = mainWindowHost()) m->setCaption(captionBeforeDash(saved));
  pause.reset();
}

}  // namespace vkz
