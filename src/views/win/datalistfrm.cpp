#include "views/win/datalistfrm.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "base/appdir.h"
#include "base/log.h"
#include "base/trtext.h"
#include "polling/header.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/captionrun.h"
#include "ui/checkvalue.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"
#include "ui/splitbar.h"
#include "ui/twips.h"
#include "views/csvfile.h"
#include "views/datafile.h"
#include "views/displaytext.h"
#include "views/headeritems.h"
#include "views/headermatch.h"
#include "views/histogram.h"
#include "views/keptrecords.h"
#include "views/progress.h"
#include "views/win/histogramfrm.h"
#include "views/win/reporthooks.h"

namespace vkz {

namespace {

constexpr int kFirstDisabledItem = 94;  // boxes 94 .. 102 cannot be changed by the user

// A header-item box: the user's clicks move it between unticked and ticked
// only; the third state comes from the selection file alone.
class ItemCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override {
    const bool tick = checkState() == Qt::Unchecked;
    setTristate(false);
    setCheckState(tick ? Qt::Checked : Qt::Unchecked);
  }
};

QPushButton* makeButton(QWidget* parent, const char* name, const TwipsRect& r) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  placeTwips(b, r);
  return b;
}

// Lets the caption of `w` show a run's progress.
ProgressFn captionProgress(QWidget* w, bool blank) {
  QPointer<QWidget> window(w);
  const std::string completed = State().texts.TxtCompleted;
  return [window, completed, blank](std::uint64_t done, std::uint64_t total) {
    if (window) window->setWindowTitle(q(progressCaption(done, total, completed, blank)));
    QCoreApplication::processEvents();
  };
}

// The header-item panel's width.
constexpr int kItemPanelWidth = 11295;

// The left edge of the column of header-item boxes right of `left` (the
// panel's right edge after the last).
int nextItemColumn(int left) {
  int next = kItemPanelWidth;
  for (int n = 0; n < kHeaderItemCount; ++n) {
    const int l = HeaderItemBoxPos(n).left;
    if (l > left) next = std::min(next, l);
  }
  return next;
}
}  // namespace

DataListFrm::DataListFrm() : DataWindow(&State().flags.DataListFrmOpen) {
  setObjectName(QStringLiteral("DataListFrm"));
  setWindowTitle(QStringLiteral("DataList"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  resizeTwips(this, {13245, 6705});
  setMinimumTwips(this, kDataListMinimum);

  Toolbar1 = makeDataToolbar(this, {"save", "Print", "PDF", "Plot", "Ln"}, Qt::ToolButtonTextBesideIcon,
                             [this](const QString& k) { Toolbar1_ButtonClick(k); });
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(ViewToolbarIcon(QStringLiteral("Plot")).pixmap(22, 22));

  mem418frm = new QFrame(this);
  mem418frm->setObjectName(QStringLiteral("mem418frm"));
  ItemBtn = makeButton(mem418frm, "ItemBtn", {120, 240, 1455, 915});
  VKZ418Grid = makeDataGrid(mem418frm, "VKZ418Grid", 4, 11, 1);
  VKZ418PointGrid = makeDataGrid(mem418frm, "VKZ418PointGrid", 6, 1, 1);
  MSFGridUserInfo = makeDataGrid(mem418frm, "MSFGridUserInfo", 2, 5, 0);
  buildSplitter(mem418frm);

  // The header-item panel, over the grids.
  ItemSSP = new QFrame(mem418frm);
  ItemSSP->setObjectName(QStringLiteral("ItemSSP"));
  ItemSSP->setFrameShape(QFrame::Panel);
  ItemSSP->setFrameShadow(QFrame::Raised);
  ItemSSP->setAutoFillBackground(true);
  placeTwips(ItemSSP, {0, 120, kItemPanelWidth, 4095});
  for (int n = 0; n < kHeaderItemCount; ++n) {
    auto* c = new ItemCheckBox(ItemSSP);
    c->setObjectName(QStringLiteral("Check1_%1").arg(n));
    c->setAutoFillBackground(true);
    QPalette pal = c->palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 192));
    c->setPalette(pal);
    const ItemBoxPos pos = HeaderItemBoxPos(n);
    // A box reaches to the next column where that stands further off, so
    // a longer caption (a translation) stays whole.
    const int width = n == 0 ? 2175 : n == 1 ? 2295 : std::max(1095, nextItemColumn(pos.left) - pos.left);
    const int height = n <= 1 ? 435 : 285;
    placeTwips(c, {pos.left, pos.top, width, height});
    c->setEnabled(n < kFirstDisabledItem);
    Check1[static_cast<size_t>(n)] = c;
  }
  AllSelBtn = makeButton(ItemSSP, "AllSelBtn", {1440, 3360, 1095, 615});
  SetBtn = makeButton(ItemSSP, "SetBtn", {0, 3360, 1215, 615});
  ItemSSP->hide();

  buildPanels(mem418frm, 120, 2400, 120);

  connect(ItemBtn, &QPushButton::clicked, this, [this] { ItemBtn_Click(); });
  connect(AllSelBtn, &QPushButton::clicked, this, [this] { AllSelBtn_Click(); });
  connect(SetBtn, &QPushButton::clicked, this, [this] { SetBtn_Click(); });
  // Labels or values wider than the summary's columns widen them: the
  // splitter may have to stand further right for the first channel.
  connect(VKZ418Grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
    if (column <= 1) Form_Resize();
  });
  connect(MSFGridUserInfo, &FlexGrid::cellDoubleClicked, this,
          [this](int, int) { MSFGridUserInfo_DblClick(); });
  connect(MSFGridUserInfo, &FlexGrid::cellClicked, this, [this](int, int) { MSFGridUserInfo_Click(); });

  // Form_Load.
  SelectAllToggle = 0;
  ApplyDataListFrmText(*this);
  UserInfoEditing = 0;
  SSpResolution->hide();
  SSpSelectItem->hide();
  // A linked meter of either model, or a data file of the first model opened
  // last; otherwise the window stays as designed.
  if (isSupportedModel(State().polling.MeterModel) || State().dataFile.FileModel == "VKZ 418") {
    setWindowState(Qt::WindowMaximized);
    VKZ418Grid->Clear();
    InitialMSFGridUserInfo();
    InitialVKZ418Grid();
    InitalVKZ418PointGrid();
    UpdateVKZ418Grid();
    HeaderItemStates states{};
    LoadHeaderSelection(HeaderSelectionPath(), states);
    for (int n = 0; n < kHeaderItemFileFields; ++n) setCheckState(n, states[static_cast<size_t>(n)]);
  }
  Form_Resize();
}

void DataListFrm::Form_Unload() {
  // The records on their way belong to this window's measurement: with the
  // window gone they would land in a new, hidden one, without those before.
  if (State().poll.downloadRunning()) State().poll.CancelDownload();
  FormWindow::Form_Unload();
  if (EditGrid) {
    EditGrid->removeEventFilter(this);
    UserInfoEditing = 0;
  }
}

// ---- grids ------------------------------------------------------------------

void DataListFrm::InitialVKZ418Grid() {
  setSummaryColumns(VKZ418Grid);
  VKZ418Grid->setRows(11);
}

void DataListFrm::InitalVKZ418PointGrid() {
  VKZ418PointGrid->setRow(0);
  VKZ418PointGrid->setCol(0);
  setRecordColumns(VKZ418PointGrid, 20);
}

void DataListFrm::InitialMSFGridUserInfo() {
  setUserInfoColumns(MSFGridUserInfo, 21);
}

void DataListFrm::ClearVkz418Grid() {
  ResetRecordHeader(State().measurement.header);
}

void DataListFrm::UpdateVKZ418Grid() {
  const auto rows = SummaryFixedRows(State().measurement.header, SummaryLabelsOf(State().texts));
  for (int r = 0; r < 11; ++r)
    for (int c = 0; c < 4; ++c)
      VKZ418Grid->setTextMatrix(r, c, q(rows[static_cast<size_t>(r)][static_cast<size_t>(c)]));
  if (KeptRecords >= 0) showKeptRecords();
}

void DataListFrm::showKeptRecords() {
  const std::string text =
      keptRecordsText(KeptRecords, State().measurement.header.HeaderValue[kSlotRecordCount]);
  for (int c = 1; c < 4; ++c) VKZ418Grid->setTextMatrix(kTotalPointRow, c, q(text));
}

void DataListFrm::GridInfo() {
  ItemSSP->hide();
  VKZ418Grid->setRows(11);
  HeaderItemStates states{};
  const UiText& ui = State().texts;
  const RecordHeader& header = State().measurement.header;
  for (int n = 0; n < kHeaderItemFileFields; ++n) {
    const int state = checkState(n);
    states[static_cast<size_t>(n)] = state;
    if (state != 1) continue;
    const int item = HeaderItemForCaption(Check1[static_cast<size_t>(n)]->text().toStdString(), ui);
    if (item < 0) continue;  // the caption no longer names an item
    const HeaderItemRow cells = HeaderItemRowCells(item, header, ui);
    QStringList row;
    for (const std::string& c : cells) row << q(cleanCellText(c));
    VKZ418Grid->AddItem(row.join(QLatin1Char('\t')));
  }
  VKZ418Grid->Refresh();
  // A selection that cannot be stored is simply not kept for the next run.
  SaveHeaderSelection(HeaderSelectionPath(), states);
}

void DataListFrm::Refresh() {
  VKZ418Grid->Refresh();
  VKZ418PointGrid->Refresh();
  MSFGridUserInfo->Refresh();
  update();
}

void DataListFrm::showHeader() {
  KeptRecords = -1;  // a new measurement comes
  headerShown_ = true;
  complete_ = false;
  unsavedDownload_ = true;
  UpdateVKZ418Grid();
  GridInfo();
}

void DataListFrm::addRecords(const std::vector<LoggedRecord>& records) {
  for (const LoggedRecord& r : records) VKZ418PointGrid->AddItemUtf8(r.row);
  if (!records.empty()) unsavedDownload_ = true;
}

void DataListFrm::dropRecords(std::int64_t from) {
  const int rows = VKZ418PointGrid->FixedRows() + static_cast<int>(std::max<std::int64_t>(from, 0));
  if (rows < VKZ418PointGrid->Rows()) VKZ418PointGrid->setRows(rows);
}

void DataListFrm::downloadComplete() {
  complete_ = true;
  Toolbar1->setEnabled(true);
}

int DataListFrm::recordRowCount() const {
  return VKZ418PointGrid->Rows() - VKZ418PointGrid->FixedRows();
}

void DataListFrm::downloadStopped() {
  const int kept = recordRowCount();
  if (kept <= 0) return;
  KeptRecords = kept;
  // One element per record kept, as a data file of them reopens.
  State().measurement.resizePointValues(static_cast<size_t>(kept));
  showKeptRecords();
  VKZ418Grid->Refresh();
  Toolbar1->setEnabled(true);
}

void DataListFrm::stopRunningDownload() {
  if (!State().poll.downloadRunning()) return;
  State().poll.EndDownload();
  downloadStopped();
}

bool DataListFrm::nothingToKeep() const {
  return recordRowCount() == 0 && (State().poll.downloadRunning() || (headerShown_ && !complete_));
}

void installViewWindows() {
  // Referring to the window loads it again if the user closed it.
  State().poll.windows.dataList = [] { return static_cast<DataListView*>(FormRegistry::get<DataListFrm>()); };
}

// ---- layout -------------------------------------------------------------------

void DataListFrm::Form_Resize() {
  if (isMinimized()) return;
  const TwipsSize s = atLeast(twipsSize(this), kDataListMinimum);
  // The summary's labels and first channel whole; the record grid keeps a
  // record's number, time and first level whole (the rest a scroll away).
  applyLayout(dataListLayout(s.width, s.height, userInfoHeight(), gridNeed(VKZ418Grid, 2),
                             gridNeed(VKZ418PointGrid, 3)));
}

int DataListFrm::gridNeed(const FlexGrid* g, int columns) const {
  // Its frame and its scroll bar down, besides the columns.
  int px = 2 * g->frameWidth() + g->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < columns; ++c) px += g->columnWidth(c);
  return twX(px);
}

int DataListFrm::userInfoHeight() const {
  // Every line of the user information whole, the scroll bar under them.
  const FlexGrid* g = MSFGridUserInfo;
  return twY(g->verticalHeader()->length() + g->horizontalScrollBar()->sizeHint().height() +
             2 * g->frameWidth());
}

void DataListFrm::applyLayout(const DataListLayout& l) {
  layout_ = l;
  const TwipsSize s = twipsSize(this);
  placeTwips(Toolbar1, {0, 0, s.width - 480, 360});
  placeTwips(Image1, {s.width - 420, 0, 360, 360});
  placeTwips(mem418frm, l.frame);
  placeTwips(MSFGridUserInfo, l.userInfo);
  placeTwips(PicSplit, l.splitter);
  placeTwips(VKZ418PointGrid, l.records);
  placeTwips(VKZ418Grid, l.summary);
  PicSplit->raise();
  ItemSSP->raise();
  SSpSelectItem->raise();
  SSpResolution->raise();
  if (EditGrid) EditGrid->raise();
}

void DataListFrm::dragSplitter(int x) {
  DataListLayout l = layout_;
  dataListDrag(l, x, twipsSize(this).width);
  layout_ = l;
  placeTwips(PicSplit, l.splitter);
  placeTwips(VKZ418PointGrid, l.records);
  placeTwips(VKZ418Grid, l.summary);
}

// ---- header items -------------------------------------------------------------

int DataListFrm::checkState(int n) const {
  if (n < 0 || n >= kHeaderItemCount) return 0;
  return checkValue(Check1[static_cast<size_t>(n)]);
}

void DataListFrm::setCheckState(int n, int state) {
  if (n < 0 || n >= kHeaderItemCount) return;
  setCheckValue(Check1[static_cast<size_t>(n)], state);
}

void DataListFrm::ItemBtn_Click() {
  ItemSSP->show();
  ItemSSP->raise();
}

void DataListFrm::AllSelBtn_Click() {
  const bool tick = SelectAllToggle == 0;
  SelectAllToggle = tick ? -1 : 0;
  for (int n = 0; n < kHeaderItemFileFields; ++n)
    if (n < kFirstDisabledItem) setCheckState(n, tick ? 1 : 0);
}

void DataListFrm::SetBtn_Click() {
  GridInfo();
}

// ---- user information -------------------------------------------------------

void DataListFrm::MSFGridUserInfo_DblClick() {
  const int col = MSFGridUserInfo->MouseCol();
  const int row = MSFGridUserInfo->MouseRow();
  if (col < 1 || UserInfoEditing != 0 || row < 0) return;
  MSFGridUserInfo->setRow(row);
  MSFGridUserInfo->setCol(col);
  EditCol = col;
  EditRow = row;
  EditGrid = new QLineEdit(this);
  EditGrid->setObjectName(QStringLiteral("newtxt"));
  EditGrid->setText(MSFGridUserInfo->Text());
  // Over the value cell, in the window's coordinates.
  const QPoint at =
      MSFGridUserInfo->mapTo(this, QPoint(pxX(MSFGridUserInfo->CellLeft()), pxY(MSFGridUserInfo->CellTop())));
  const int visible = MSFGridUserInfo->width() - (at.x() - MSFGridUserInfo->mapTo(this, QPoint(0, 0)).x());
  EditGrid->setGeometry(at.x(), at.y(), std::min(pxX(MSFGridUserInfo->CellWidth()), std::max(visible, 40)),
                        pxY(MSFGridUserInfo->CellHeight()));
  EditGrid->installEventFilter(this);
  EditGrid->show();
  EditGrid->raise();
  EditGrid->setFocus();
  UserInfoEditing = -1;
}

void DataListFrm::commitEditor() {
  if (UserInfoEditing != -1 || !EditGrid) return;
  UserInfoEditing = 0;
  QLineEdit* box = EditGrid;
  EditGrid = nullptr;
  box->removeEventFilter(this);
  MSFGridUserInfo->setRow(EditRow);
  MSFGridUserInfo->setCol(EditCol);
  // TAB, CR and LF would split the cell or the line of the data file.
  const QString typed = q(cleanCellText(box->text().toStdString()));
  if (typed != MSFGridUserInfo->Text()) unsavedUserInfo_ = true;
  MSFGridUserInfo->setText(typed);
  box->hide();
  box->deleteLater();
}

void DataListFrm::EditGrid_KeyPress(int keyAscii) {
  if (keyAscii == 13) commitEditor();
}

void DataListFrm::EditGrid_LostFocus() {
  commitEditor();
}

void DataListFrm::MSFGridUserInfo_Click() {
  commitEditor();
}

bool DataListFrm::eventFilter(QObject* o, QEvent* e) {
  if (EditGrid && o == EditGrid) {
    if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        EditGrid_KeyPress(13);
        return true;
      }
    } else if (e->type() == QEvent::FocusOut) {
      EditGrid_LostFocus();
    }
  }
  return QWidget::eventFilter(o, e);
}

// ---- toolbar and panels -------------------------------------------------------

void DataListFrm::Toolbar1_ButtonClick(const QString& key) {
  if (key == QLatin1String("save")) {
    saveAction();
  } else if (key == QLatin1String("Print")) {
    printAction();
  } else if (key == QLatin1String("PDF")) {
    pdfAction();
  } else if (key == QLatin1String("Plot") || key == QLatin1String("Ln")) {
    Panels.ask(key == QLatin1String("Plot") ? 0 : 1);
  }
}

void DataListFrm::saveAction() {
  LongRun run;
  if (!run.started()) return;
  commitEditor();  // text typed but not yet entered belongs in the file
  // The caption shows the progress; a report may show its own meanwhile.
  CaptionRun caption(this);
  // Polling paused until the pause is reset (or the handler is left).
  std::optional<PollPause> pause(std::in_place, State().poll);
  SaveResult result;
  bool refused = false;
  try {
    BusyCursor busyCursor;
    const std::string model = State().polling.MeterModel;
    int filter = 1;
    const QString preset = q(appDir()) + QLatin1Char('/') + q(model);
    const QString name = MsgBox::saveFileName(this, q(State().texts.TxtSaveFile), preset,
                                              qtFileFilter(q(kSaveFilter)), &filter);
    ChooseSaveFileResult(State().dataFile, name.isEmpty(), QFile::encodeName(name).toStdString());
    if (std::exchange(State().dataFile.SaveFileChosen, false)) {
      if (isSupportedModel(model)) {
        // A download still running ends here: the file holds the records
        // that arrived, and its summary counts them ("3560 of 6000").
        stopRunningDownload();
        // The grids stay as they are while the file is written.
        const bool toolbar = Toolbar1->isEnabled();
        Toolbar1->setEnabled(false);
        mem418frm->setEnabled(false);
        const ProgressFn progress = captionProgress(this, true);
        const SaveKind kind = saveKindForFilter(filter);
        result = (kind == SaveKind::Csv ? ExportCsvFile : SaveDataFile)(
            State().dataFile.SaveFileName, model, MSFGridUserInfo->gridData(), VKZ418Grid->gridData(),
            VKZ418PointGrid->gridData(), progress);
        // A CSV export cannot be opened again: only a data file keeps the
        // measurement.
        if (result.status == SaveStatus::Written && kind == SaveKind::DataFile)
          unsavedDownload_ = unsavedUserInfo_ = false;
        Toolbar1->setEnabled(toolbar);
        mem418frm->setEnabled(true);
      } else {
        // Line 0 of the file would name no meter and the file could not be
        // opened again: nothing is written, and the user is told.
        refused = true;
      }
    }
  } catch (const std::exception& e) {
    logCaught(LogArea::File);
    result = {SaveStatus::Failed, e.what()};
  } catch (...) {
    logCaught(LogArea::File);
    result = {SaveStatus::Failed, trText("DataFile", "The file could not be written.")};
  }
  caption.end();
  pause.reset();
  if (result.status == SaveStatus::Failed)
    MsgBox::show(q(result.message), MsgIcon::Critical);
  else if (refused)
    MsgBox::show(q(trText("DataFile", "Nothing was saved: no meter model is known (link the meter first).")),
                 MsgIcon::Exclamation);
}

std::string DataListFrm::unsavedQuestion() const {
  if (State().poll.downloadRunning())
    return fillText(
        trText("DataFile",
               "The download is not finished: %1 of %2 records have arrived. Stop it and save the "
               "records that arrived?"),
        {std::to_string(recordRowCount()), State().measurement.header.HeaderValue[kSlotRecordCount]});
  if (unsavedDownload_)
    return trText("DataFile", "The downloaded measurement has not been saved to a data file. Save it now?");
  return trText("DataFile", "The user information you typed has not been saved to a data file. Save it now?");
}

bool DataListFrm::askNothingToKeep() {
  const std::string text =
      State().poll.downloadRunning()
          ? trText(
                "DataFile",
                "No record of this measurement has arrived yet: there is nothing to keep. Stop the download "
                "and close it?")
          : trText("DataFile", "No record of this measurement arrived: there is nothing to keep. Close it?");
  return MsgBox::show(q(text), MsgIcon::Question, MsgButtons::OkCancel) == MsgResult::Ok;
}

bool DataListFrm::askBeforeDiscarding() {
  commitEditor();  // text typed but not yet entered counts too
  if (!unsavedDownload_ && !unsavedUserInfo_) return true;
  // A file of a measurement without its records would count records it
  // does not hold: none is offered.
  if (nothingToKeep()) {
    if (!askNothingToKeep()) return false;
    // The download ran on while the question was open: records that came
    // meanwhile are asked about as such, never dropped unseen.
    if (recordRowCount() == 0) {
      unsavedDownload_ = unsavedUserInfo_ = false;
      return true;
    }
  }
  switch (MsgBox::show(q(unsavedQuestion()), MsgIcon::Question, MsgButtons::SaveDiscardCancel)) {
    case MsgResult::Yes:
      saveAction();
      return !unsavedDownload_ && !unsavedUserInfo_;
    case MsgResult::No:
      // Discarded: it is not asked about again when the window goes (and a
      // download still running ends with it).
      unsavedDownload_ = unsavedUserInfo_ = false;
      return true;
    default:
      return false;
  }
}

void DataListFrm::closeEvent(QCloseEvent* e) {
  if (!askBeforeDiscarding()) {
    e->ignore();
    return;
  }
  DataWindow::closeEvent(e);
}

void DataListFrm::printAction() {
  commitEditor();
  printDataWindowReport({this, VKZ418Grid, VKZ418PointGrid, MSFGridUserInfo});
}

void DataListFrm::pdfAction() {
  commitEditor();
  // Before the save dialog: no file is asked for a report that cannot start.
  if (refusedWhileAReportRuns()) return;
  // Polling paused until the report has ended (or the dialog is cancelled).
  auto pause = std::make_shared<PollPause>(State().poll);
  const QString proposed = q(appPath("PDF/" + State().shell.RecordFileName));
  const QString name = MsgBox::saveFileName(this, q(State().texts.TxtExportPDF), proposed,
                                            qtFileFilter(QStringLiteral("PDF Files (*.pdf)|*.pdf|")));
  if (QFileInfo(name).fileName().isEmpty()) return;
  ExportPdfReport(State().reports, {this, VKZ418Grid, VKZ418PointGrid, MSFGridUserInfo},
                  QFile::encodeName(name).toStdString(),
                  [pause = std::move(pause)](const ReportOutcome& outcome) mutable {
                    pause.reset();
                    tellReportOutcome(outcome);
                  });
}

// ---- texts --------------------------------------------------------------------

void ApplyDataListFrmText(DataListFrm& f) {
  const UiText& t = State().texts;
  const std::string* captions[5] = {&t.TxtSaveFile, &t.TxtPrint, &t.TxtExportPDF, &t.TxtGraphicPlot,
                                    &t.TxtHistogram};
  const QList<QAction*> acts = f.Toolbar1->actions();
  for (int i = 0; i < 5 && i < acts.size(); ++i) acts[i]->setText(q(*captions[i]));
  f.ItemBtn->setText(q(t.TxtHeaderItem));
  f.SetBtn->setText(q(t.TxtSet));
  f.AllSelBtn->setText(q(t.TxtAll));
  f.Panels.applyTexts();
  for (int k = 0; k < kHeaderItemCount; ++k)
    f.Check1[static_cast<size_t>(k)]->setText(q(HeaderItemCaption(k, t)));
  setRecordTitles(f.VKZ418PointGrid);
  const std::string* info[5] = {&t.TxtEvaluator, &t.TxtEvaluated, &t.TxtDepartment, &t.TxtCompany,
                                &t.TxtObservations};
  for (int r = 0; r < 5; ++r) f.MSFGridUserInfo->setTextMatrix(r, 0, q(*info[r]));
  // Row 0 and the labels of the fixed rows, as UpdateVKZ418Grid writes them.
  const auto rows = SummaryFixedRows(State().measurement.header, SummaryLabelsOf(t));
  for (int c = 1; c < 4; ++c) f.VKZ418Grid->setTextMatrix(0, c, q(rows[0][static_cast<size_t>(c)]));
  for (int r = 1; r <= 10; ++r) f.VKZ418Grid->setTextMatrix(r, 0, q(rows[static_cast<size_t>(r)][0]));
}

}  // namespace vkz
