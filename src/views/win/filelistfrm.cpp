#include "views/win/filelistfrm.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <stdexcept>

#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "polling/win/paneltimers.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "shell/win/splitbar.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "views/datafile.h"
#include "views/histogram.h"
#include "views/win/chartstate.h"
#include "views/win/histogramfrm.h"
#include "views/win/plotfrm.h"
#include "views/win/reporthooks.h"

namespace vkz {

namespace {
QString q(const std::string& s) {
  return QString::fromStdString(s);
}
}  // namespace

FileListFrm::FileListFrm() {
  setObjectName(QStringLiteral("FileListFrm"));
  setWindowTitle(QStringLiteral("FileList"));
  resizeTwips(this, {13245, 6705});
  setMinimumTwips(this, kFileListMinimum);

  Toolbar1 = new QToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  Toolbar1->setIconSize(QSize(16, 16));
  for (const char* key : {"Plot", "Ln", "Print"}) {
    const QString k = QString::fromLatin1(key);
    QAction* a = Toolbar1->addAction(ViewToolbarIcon(k), k);
    a->setObjectName(k);
    connect(a, &QAction::triggered, this, [this, k] { Toolbar1_ButtonClick(k); });
  }
  SSPVKZ418 = new QFrame(this);
  SSPVKZ418->setObjectName(QStringLiteral("SSPVKZ418"));
  SSPVKZ418->setFrameShape(QFrame::Panel);
  SSPVKZ418->setFrameShadow(QFrame::Sunken);
  GridHeader = new FlexGrid(SSPVKZ418);
  GridHeader->setObjectName(QStringLiteral("GridHeader"));
  GridHeader->setCols(4);
  GridHeader->setRows(1);
  GridHeader->setFixedRows(1);
  GridHeader->setFixedCols(1);
  GridRecord = new FlexGrid(SSPVKZ418);
  GridRecord->setObjectName(QStringLiteral("GridRecord"));
  GridRecord->setCols(6);
  GridRecord->setRows(1);
  GridRecord->setFixedRows(1);
  GridRecord->setFixedCols(1);
  MSFUserInfo = new FlexGrid(SSPVKZ418);
  MSFUserInfo->setObjectName(QStringLiteral("MSFUserInfo"));
  MSFUserInfo->setCols(2);
  MSFUserInfo->setRows(0);
  MSFUserInfo->setFixedCols(1);
  MSFUserInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
  PicSplit = new SplitBar(Qt::Vertical, SSPVKZ418);
  PicSplit->setObjectName(QStringLiteral("PicSplit"));
  PicSplit->onDown = [this](int b, int s, int x, int y) { PicSplit_MouseDown(b, s, x, y); };
  PicSplit->onMove = [this](int b, int s, int x, int y) { PicSplit_MouseMove(b, s, x, y); };
  PicSplit->onUp = [this](int b, int s, int x, int y) { PicSplit_MouseUp(b, s, x, y); };
  Panels.build(this, 0, 2280, 480);

  connect(BtnSelectOK, &QPushButton::clicked, this, [this] { BtnSelectOK_Click(); });
  connect(BtnExit, &QPushButton::clicked, this, [this] { BtnExit_Click(); });
  connect(Btn01dB, &QPushButton::clicked, this, [this] { Btn01dB_Click(); });
  connect(Btn1dB, &QPushButton::clicked, this, [this] { Btn1dB_Click(); });
  restartReader();

  // Form_Load. The Open action loads this window only for a data file of a
  // supported meter (it decides on the file's own model line), so the
  // window always lays out its grids.
  Flags().FileListFrmOpen = -1;
  setWindowState(Qt::WindowMaximized);
  SSpResolution->hide();
  SSpSelectItem->hide();
  ApplyFileListFrmText(*this);
  SSPVKZ418->show();
  const int w21 = zerosWidth(GridHeader, 21);
  for (int c = 0; c < 4; ++c) {
    GridHeader->setColAlignment(c, FlexAlign::CenterCenter);
    GridHeader->setColWidth(c, w21);
  }
  MSFUserInfo->setColAlignment(0, FlexAlign::CenterCenter);
  MSFUserInfo->setColWidth(0, zerosWidth(MSFUserInfo, 14));
  MSFUserInfo->setColAlignment(1, FlexAlign::LeftCenter);
  MSFUserInfo->setColWidth(1, 24390);
  const int nine = zerosWidth(GridRecord, 9);
  for (int c = 0; c < 6; ++c) {
    GridRecord->setColAlignment(c, FlexAlign::CenterCenter);
    GridRecord->setColWidth(c, c == 1 ? zerosWidth(GridRecord, 19) : nine);
  }
  MSFUserInfo->setRows(0);
  Form_Resize();
}

FileListFrm::~FileListFrm() = default;

void FileListFrm::Form_Unload() {
  Flags().FileListFrmOpen = 0;
}

void FileListFrm::closeEvent(QCloseEvent* e) {
  FormRegistry::unload(this);
  e->accept();
}

void FileListFrm::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Form_Resize();
}

void FileListFrm::Show() {
  if (Panel* p = ThePanel())
    p->showMdiChild(this);
  else
    show();
}

DataFileReader& FileListFrm::reader() {
  return *reader_;
}

void FileListFrm::restartReader() {
  reader_ = std::make_unique<DataFileReader>(MSFUserInfo->gridData(), GridHeader->gridData(),
                                             GridRecord->gridData(), Measurement());
}

// ---- layout -------------------------------------------------------------------

void FileListFrm::Form_Resize() {
  if (isMinimized()) return;
  const TwipsSize s = atLeast(twipsSize(this), kFileListMinimum);
  applyLayout(fileListLayout(s.width, s.height));
}

void FileListFrm::applyLayout(const FileListLayout& l) {
  layout_ = l;
  placeTwips(Toolbar1, {0, 0, twipsSize(this).width, 360});
  placeTwips(SSPVKZ418, l.panel);
  placeTwips(MSFUserInfo, l.userInfo);
  placeTwips(PicSplit, l.splitter);
  placeTwips(GridRecord, l.records);
  placeTwips(GridHeader, l.header);
  PicSplit->raise();
  SSpSelectItem->raise();
  SSpResolution->raise();
}

void FileListFrm::PicSplit_MouseDown(int, int, int, int) {
  SplitDragging = -1;
}
void FileListFrm::PicSplit_MouseUp(int, int, int, int) {
  SplitDragging = 0;
}

void FileListFrm::PicSplit_MouseMove(int, int, int x, int) {
  if (SplitDragging != -1) return;
  FileListLayout l = layout_;
  fileListDrag(l, x, twipsSize(this).width);
  layout_ = l;
  placeTwips(PicSplit, l.splitter);
  placeTwips(GridRecord, l.records);
  placeTwips(GridHeader, l.header);
}

// ---- toolbar and panels -------------------------------------------------------

void FileListFrm::Toolbar1_ButtonClick(const QString& key) {
  if (key == QLatin1String("Plot") || key == QLatin1String("Ln")) {
    Panels.clearOptions();
    LnMode = key == QLatin1String("Plot") ? 0 : 1;
    SSpSelectItem->show();
    SSpSelectItem->raise();
  } else if (key == QLatin1String("Print")) {
    ReportOutcome outcome{ReportOutcome::Cancelled, {}};
    StopPanelTimers();
    {
      BusyCursor busy;
      if (isSupportedModel(DataFile().FileModel) || isSupportedModel(Polling().MeterModel))
        outcome = PrintReport({this, GridHeader, GridRecord, MSFUserInfo});
    }
    StartPanelTimers();
    tellReportOutcome(outcome);
  }
}

void FileListFrm::BtnSelectOK_Click() {
  // No option chosen: the quantity chosen last in either data window holds.
  const int col = Panels.chosenColumn(Chart().SelColumn);
  if (col == 0) {
    // None chosen yet in this run: the run would read the record numbers as
    // levels.
    MsgBox::show(chooseQuantityText(), MsgIcon::Exclamation);
    return;
  }
  Chart().SelColumn = col;
  if (LnMode != 0) {
    SSpResolution->show();
    SSpResolution->raise();
    return;
  }
  Chart().PlotPoints = GridRecord->Rows() - 1;
  PlotGridColumn(*GridRecord, Chart().SelColumn, Option1[static_cast<size_t>(col - 2)]->text());
}

void FileListFrm::BtnExit_Click() {
  SSpSelectItem->hide();
}

void FileListFrm::histogram(HistResolution res) {
  RunLevelHistogram(this, *GridRecord, SSpResolution, res);
}
void FileListFrm::Btn01dB_Click() {
  histogram(HistResolution::Tenth);
}
void FileListFrm::Btn1dB_Click() {
  histogram(HistResolution::Whole);
}

// ---- texts and the line reader ------------------------------------------------

void ApplyFileListFrmText(FileListFrm& f) {
  const UiText& t = UiTexts();
  const std::string* tips[3] = {&t.TxtGraphicPlot, &t.TxtHistogram, &t.TxtPrint};
  const QList<QAction*> acts = f.Toolbar1->actions();
  for (int i = 0; i < 3 && i < acts.size(); ++i) acts[i]->setToolTip(q(*tips[i]));
  f.Panels.applyTexts();
  const std::string* heads[6] = {&t.TxtNos, &t.TxtDateTime, &t.TxtLAVG, &t.TxtLeq, &t.TxtLCPK, &t.TxtLZPK};
  for (int c = 0; c < 6; ++c) f.GridRecord->setTextMatrix(0, c, q(*heads[c]));
}

void ParseDataFileLine(long long lineNo, const std::string& lineText) {
  FileListFrm* f = FormRegistry::get<FileListFrm>();
  if (!f->isVisible()) f->Show();
  DataFileReader& r = f->reader();
  const bool ok = r.ParseDataFileLine(lineNo, lineText);
  if (!ok) {
    f->GridHeader->Refresh();
    f->GridRecord->Refresh();
    f->MSFUserInfo->Refresh();
    throw std::runtime_error(r.error());
  }
}

}  // namespace vkz
