#include "views/win/viewwidgets.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QWidget>
#include <memory>

#include "base/trtext.h"
#include "polling/pollstate.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"
#include "ui/twips.h"
#include "views/chartstate.h"
#include "views/datafile.h"
#include "views/win/plotfrm.h"
#include "views/win/reporthooks.h"

namespace vkz {

void placeTwips(QWidget* w, const TwipsRect& r) {
  if (!w) return;
  if (r.fits())
    setTwipsGeometry(w, r.left, r.top, r.width, r.height);
  else
    w->move(pxX(r.left), pxY(r.top));
}

TwipsRect twipsGeometry(const QWidget* w) {
  const QRect g = w->geometry();
  return {twX(g.x()), twY(g.y()), twX(g.width()), twY(g.height())};
}

TwipsSize twipsSize(const QWidget* w) {
  return {twX(w->width()), twY(w->height())};
}

void resizeTwips(QWidget* w, TwipsSize s) {
  w->resize(pxX(s.width), pxY(s.height));
}

void setMinimumTwips(QWidget* w, TwipsSize s) {
  w->setMinimumSize(pxX(s.width), pxY(s.height));
}

int zerosWidth(const QWidget* w, int zeros) {
  return twX(QFontMetrics(w->font()).horizontalAdvance(QString(zeros, QLatin1Char('0'))));
}

QIcon ViewToolbarIcon(const QString& key) {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(40, 60, 110);
  p.setPen(QPen(ink, 2));
  if (key == QLatin1String("save")) {  // a diskette
    p.setBrush(QColor(90, 120, 190));
    p.drawRoundedRect(4, 4, 24, 24, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(9, 4, 14, 9);
    p.drawRect(8, 18, 16, 10);
  } else if (key == QLatin1String("Print")) {  // a printer with a sheet
    p.setBrush(Qt::white);
    p.drawRect(9, 3, 14, 10);
    p.setBrush(QColor(160, 170, 190));
    p.drawRoundedRect(3, 12, 26, 12, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(9, 20, 14, 9);
  } else if (key == QLatin1String("PDF")) {  // a page with a folded corner
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setPen(QPen(QColor(190, 30, 30), 2));
    for (int y : {14, 19, 24}) p.drawLine(11, y, 22, y);
  } else if (key == QLatin1String("Plot")) {  // a level trace over axes
    p.drawLine(4, 4, 4, 28);
    p.drawLine(4, 28, 29, 28);
    p.setPen(QPen(QColor(0, 120, 200), 2));
    const QPointF pts[] = {{5, 20}, {10, 12}, {14, 17}, {19, 8}, {23, 15}, {28, 10}};
    p.drawPolyline(pts, 6);
  } else if (key == QLatin1String("Ln")) {  // a histogram
    p.drawLine(4, 28, 29, 28);
    p.setBrush(QColor(0, 120, 200));
    const int h[] = {6, 14, 21, 16, 9};
    for (int i = 0; i < 5; ++i) p.drawRect(5 + i * 5, 28 - h[i], 4, h[i]);
  } else {  // "Limit": a magnifier
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(5, 5, 15, 15);
    p.setPen(QPen(ink, 4));
    p.drawLine(18, 18, 27, 27);
  }
  p.end();
  return QIcon(pm);
}

BusyCursor::BusyCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}
BusyCursor::~BusyCursor() {
  QApplication::restoreOverrideCursor();
}

LongRun::LongRun() {
  if (!State().longRun) {
    State().longRun = true;
    started_ = true;
  }
}
LongRun::~LongRun() {
  if (started_) State().longRun = false;
}
bool LongRun::active() {
  return State().longRun;
}

QToolBar* makeDataToolbar(QWidget* window, std::initializer_list<const char*> keys, Qt::ToolButtonStyle style,
                          const std::function<void(const QString&)>& click) {
  auto* bar = new QToolBar(window);
  bar->setObjectName(QStringLiteral("Toolbar1"));
  bar->setToolButtonStyle(style);
  bar->setIconSize(QSize(16, 16));
  for (const char* key : keys) {
    const QString k = QString::fromLatin1(key);
    QAction* a = bar->addAction(ViewToolbarIcon(k), k);
    a->setObjectName(k);
    QObject::connect(a, &QAction::triggered, window, [click, k] { click(k); });
  }
  return bar;
}

FlexGrid* makeDataGrid(QWidget* parent, const char* name, int cols, int rows, int fixedRows) {
  auto* g = new FlexGrid(parent);
  g->setObjectName(QString::fromLatin1(name));
  g->setCols(cols);
  g->setRows(rows);
  g->setFixedRows(fixedRows);
  g->setFixedCols(1);
  return g;
}

void setSummaryColumns(FlexGrid* g) {
  const int w = zerosWidth(g, 21);
  for (int c = 0; c < 4; ++c) {
    g->setColAlignment(c, FlexAlign::CenterCenter);
    g->setColWidth(c, w);
  }
  g->setColumnsFitText(true);
}

void setRecordColumns(FlexGrid* g, int timeZeros) {
  const int nine = zerosWidth(g, 9);
  for (int c = 0; c < 6; ++c) {
    g->setColAlignment(c, FlexAlign::CenterCenter);
    g->setColWidth(c, c == 1 ? zerosWidth(g, timeZeros) : nine);
  }
}

void setUserInfoColumns(FlexGrid* g, int labelZeros) {
  g->setColAlignment(0, FlexAlign::CenterCenter);
  g->setColWidth(0, zerosWidth(g, labelZeros));
  g->setColAlignment(1, FlexAlign::LeftCenter);
  g->setColWidth(1, 24390);
  g->setColumnsFitText(true);
}

void setRecordTitles(FlexGrid* g) {
  const UiText& t = State().texts;
  const std::string* heads[6] = {&t.TxtNos, &t.TxtDateTime, &t.TxtLAVG, &t.TxtLeq, &t.TxtLCPK, &t.TxtLZPK};
  for (int c = 0; c < 6; ++c) g->setTextMatrix(0, c, QString::fromStdString(*heads[c]));
}

MainWindowHost* mainWindowHost() {
  const auto& provider = State().mainWindow;
  return provider ? provider() : nullptr;
}

void showDataWindow(QWidget* w) {
  if (MainWindowHost* m = mainWindowHost())
    m->showMdiChild(w);
  else
    w->show();
}

void printDataWindowReport(const ReportSource& source) {
  if (refusedWhileAReportRuns()) return;
  // Polling paused and the hourglass shown until the report has ended.
  auto pause = std::make_shared<PollPause>(State().poll);
  auto busy = std::make_shared<BusyCursor>();
  if (!isSupportedModel(State().dataFile.FileModel) && !isSupportedModel(State().polling.MeterModel)) return;
  PrintReport(State().reports, source,
              [pause = std::move(pause), busy = std::move(busy)](const ReportOutcome& outcome) mutable {
                busy.reset();
                pause.reset();
                tellReportOutcome(outcome);
              });
}

void QuantityPanels::build(QWidget* parent, int selectLeft, int resolutionLeft, int top) {
  SSpSelectItem = new QFrame(parent);
  SSpSelectItem->setObjectName(QStringLiteral("SSpSelectItem"));
  SSpSelectItem->setFrameShape(QFrame::Panel);
  SSpSelectItem->setFrameShadow(QFrame::Raised);
  SSpSelectItem->setAutoFillBackground(true);
  placeTwips(SSpSelectItem, {selectLeft, top, 2295, 1575});
  for (int i = 0; i < 4; ++i) {
    auto* o = new QRadioButton(SSpSelectItem);
    o->setObjectName(QStringLiteral("Option1_%1").arg(i));
    placeTwips(o, {120, 120 + 360 * i, 1815 - 900, 255 + 45});
    Option1[static_cast<size_t>(i)] = o;
  }
  BtnSelectOK = new QPushButton(SSpSelectItem);
  BtnSelectOK->setObjectName(QStringLiteral("BtnSelectOK"));
  placeTwips(BtnSelectOK, {1320, 480, 975 - 120, 495});
  BtnExit = new QPushButton(SSpSelectItem);
  BtnExit->setObjectName(QStringLiteral("BtnExit"));
  placeTwips(BtnExit, {1320, 1080, 975 - 120, 495});
  SSpSelectItem->hide();

  SSpResolution = new QFrame(parent);
  SSpResolution->setObjectName(QStringLiteral("SSpResolution"));
  SSpResolution->setFrameShape(QFrame::Panel);
  SSpResolution->setFrameShadow(QFrame::Raised);
  SSpResolution->setAutoFillBackground(true);
  placeTwips(SSpResolution, {resolutionLeft, top, 1815, 1575});
  SSfResolution = new QGroupBox(SSpResolution);
  SSfResolution->setObjectName(QStringLiteral("SSfResolution"));
  placeTwips(SSfResolution, {120, 0, 1575, 1455});
  Btn1dB = new QPushButton(QStringLiteral("1 dB"), SSfResolution);
  Btn1dB->setObjectName(QStringLiteral("Btn1dB"));
  placeTwips(Btn1dB, {240, 480, 1095, 375});
  Btn01dB = new QPushButton(QStringLiteral("0.1 dB"), SSfResolution);
  Btn01dB->setObjectName(QStringLiteral("Btn01dB"));
  placeTwips(Btn01dB, {240, 960, 1095, 375});
  SSpResolution->hide();
}

void QuantityPanels::clearOptions() {
  for (QRadioButton* o : Option1) {
    o->setAutoExclusive(false);
    o->setChecked(false);
    o->setAutoExclusive(true);
  }
}

int QuantityPanels::chosenColumn(int lastChoice) const {
  int col = lastChoice >= 2 && lastChoice <= 5 ? lastChoice : 0;
  for (int i = 0; i < 4; ++i)
    if (Option1[static_cast<size_t>(i)]->isChecked()) col = i + 2;
  return col;
}

void QuantityPanels::applyTexts() {
  const UiText& t = State().texts;
  const std::string* names[4] = {&t.TxtLAVG, &t.TxtLeq, &t.TxtLCPK, &t.TxtLZPK};
  for (int i = 0; i < 4; ++i) Option1[static_cast<size_t>(i)]->setText(QString::fromStdString(*names[i]));
  BtnSelectOK->setText(QString::fromStdString(t.TxtOK));
  BtnExit->setText(QString::fromStdString(t.TxtExit));
  SSfResolution->setTitle(QString::fromStdString(t.TxtResolution));
}

void QuantityPanels::ask(std::int16_t lnMode) {
  clearOptions();
  LnMode = lnMode;
  SSpSelectItem->show();
  SSpSelectItem->raise();
}

void QuantityPanels::confirm(FlexGrid& records) {
  // No option chosen: the quantity chosen last in either data window holds.
  const int col = chosenColumn(State().chart.SelColumn);
  if (col == 0) {
    // None chosen yet in this run: the run would read the record numbers as
    // levels.
    MsgBox::show(chooseQuantityText(), MsgIcon::Exclamation);
    return;
  }
  State().chart.SelColumn = col;
  // The quantity is chosen: the panel goes, and leaves the grids in view.
  SSpSelectItem->hide();
  if (LnMode != 0) {
    SSpResolution->show();
    SSpResolution->raise();
    return;
  }
  State().chart.PlotPoints = records.Rows() - 1;
  PlotGridColumn(records, State().chart.SelColumn, Option1[static_cast<size_t>(col - 2)]->text());
}

QString chooseQuantityText() {
  const UiText& t = State().texts;
  return q(trText("Histogram", "Choose a quantity first (%1, %2, %3 or %4)."))
      .arg(QString::fromStdString(t.TxtLAVG), QString::fromStdString(t.TxtLeq),
           QString::fromStdString(t.TxtLCPK), QString::fromStdString(t.TxtLZPK));
}

}  // namespace vkz
