#include "views/win/filelistfrm.h"

#include <QAction>
#include <QFrame>
#include <QToolBar>

#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/qtext.h"
#include "ui/splitbar.h"
#include "views/win/reporthooks.h"

namespace vkz {

FileListFrm::FileListFrm() : DataWindow(&State().flags.FileListFrmOpen) {
  setObjectName(QStringLiteral("FileListFrm"));
  setWindowTitle(QStringLiteral("FileList"));
  resizeTwips(this, {13245, 6705});
  setMinimumTwips(this, kFileListMinimum);

  Toolbar1 = makeDataToolbar(this, {"Plot", "Ln", "Print"}, Qt::ToolButtonIconOnly,
                             [this](const QString& k) { Toolbar1_ButtonClick(k); });
  SSPVKZ418 = new QFrame(this);
  SSPVKZ418->setObjectName(QStringLiteral("SSPVKZ418"));
  SSPVKZ418->setFrameShape(QFrame::Panel);
  SSPVKZ418->setFrameShadow(QFrame::Sunken);
  GridHeader = makeDataGrid(SSPVKZ418, "GridHeader", 4, 1, 1);
  GridRecord = makeDataGrid(SSPVKZ418, "GridRecord", 6, 1, 1);
  MSFUserInfo = makeDataGrid(SSPVKZ418, "MSFUserInfo", 2, 0, 0);
  MSFUserInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
  buildSplitter(SSPVKZ418);
  buildPanels(this, 0, 2280, 480);

  // Form_Load. The Open action loads this window only for a data file of a
  // supported meter (it decides on the file's own model line), so the
  // window always lays out its grids.
  setWindowState(Qt::WindowMaximized);
  SSpResolution->hide();
  SSpSelectItem->hide();
  ApplyFileListFrmText(*this);
  SSPVKZ418->show();
  setSummaryColumns(GridHeader);
  setUserInfoColumns(MSFUserInfo, 14);
  setRecordColumns(GridRecord, 19);
  MSFUserInfo->setRows(0);
  Form_Resize();
}

FileListFrm::~FileListFrm() = default;

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

void FileListFrm::dragSplitter(int x) {
  FileListLayout l = layout_;
  fileListDrag(l, x, twipsSize(this).width);
  layout_ = l;
  placeTwips(PicSplit, l.splitter);
  placeTwips(GridRecord, l.records);
  placeTwips(GridHeader, l.header);
}

// ---- toolbar and panels -------------------------------------------------------

void FileListFrm::Toolbar1_ButtonClick(const QString& key) {
  if (key == QLatin1String("Plot") || key == QLatin1String("Ln"))
    Panels.ask(key == QLatin1String("Plot") ? 0 : 1);
  else if (key == QLatin1String("Print"))
    printDataWindowReport({this, GridHeader, GridRecord, MSFUserInfo});
}

// ---- texts --------------------------------------------------------------------

void ApplyFileListFrmText(FileListFrm& f) {
  const UiText& t = State().texts;
  const std::string* tips[3] = {&t.TxtGraphicPlot, &t.TxtHistogram, &t.TxtPrint};
  const QList<QAction*> acts = f.Toolbar1->actions();
  for (int i = 0; i < 3 && i < acts.size(); ++i) acts[i]->setToolTip(q(*tips[i]));
  f.Panels.applyTexts();
  setRecordTitles(f.GridRecord);
}

}  // namespace vkz
