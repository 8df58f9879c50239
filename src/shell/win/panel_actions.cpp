// The main window's actions: closing the flagged windows, the toolbar, the
// command tree, the detected-meter list, the memory panel and opening a
// data file.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>
#include <optional>

#include "base/handlerstep.h"
#include "base/numfmt.h"
#include "base/trtext.h"
#include "link/frames.h"
#include "link/porttable.h"
#include "link/win/waitseconds.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/layout.h"
#include "shell/uitext.h"
#include "shell/win/helpfrm.h"
#include "shell/win/icons.h"
#include "shell/win/languagefrm.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"
#include "ui/splitbar.h"
#include "ui/twips.h"
#include "views/datafile.h"
#include "views/win/datalistfrm.h"
#include "views/win/filelistfrm.h"

namespace vkz {

namespace {

void call(const std::function<void()>& f) {
  if (f) f();
}

void showMemoryErasing() {
  MsgBox::show(q(State().texts.TxtMemoryErasing), MsgIcon::Critical);
}

// The command tree: key, parent key, text.
struct TreeNodeDef {
  const char* key;
  const char* parent;
  std::string UiText::*text;
};
const TreeNodeDef kTree[20] = {
    {"Root1", nullptr, &UiText::TxtRTC},
    {"Root2", nullptr, &UiText::TxtMemory},
    {"Root3", nullptr, &UiText::TxtSetting},
    {"Child1", "Root3", &UiText::TxtLcdContrast},
    {"Child2", "Root3", &UiText::TxtLcdAPO},
    {"Child3", "Root3", &UiText::TxtPause},
    {"Child4", "Root3", &UiText::TxtLEDAlarm},
    {"Child5", "Root3", &UiText::TxtKalvox},
    {"Child6", "Root3", &UiText::TxtAutoLockKeypad},
    {"Child7", "Root3", &UiText::TxtAutoScrollScreens},
    {"Child8", "Root3", &UiText::TxtTimers},
    {"Child9", "Root3", &UiText::TxtScreen},
    {"Child10", "Root3", &UiText::TxtInputText},
    {"Child11", "Root3", &UiText::TxtCalibration},
    {"Child12", "Root3", &UiText::TxtLunchTime},
    {"Child13", "Root3", &UiText::TxtIntervalTime},
    {"Root4", nullptr, &UiText::TxtClearMemory},
    {"Root5", nullptr, &UiText::TxtOtherOption},
    {"ChildOpt1", "Root5", &UiText::TxtLanguage},
    {"ChildOpt2", "Root5", &UiText::TxtHelp},
};

// The setting nodes (indexes 4..16): the flag set before the window shows,
// the window and the read request.
struct SettingNode {
  std::int16_t WindowFlags::*flag;
  std::function<void()> ShellWindowOpeners::*show;
  PortResult (*request)(MeterLine);
};
SettingNode settingNode(int index) {
  using O = ShellWindowOpeners;
  using W = WindowFlags;
  switch (index) {
    case 4:
      return {&W::OneSetLcdContrast, &O::showOneSetForm, &CmdReadLcdContrast};
    case 5:
      return {&W::OneSetLcdAPO, &O::showOneSetForm, &CmdReadLcdApo};
    case 6:
      return {&W::OneSetPause, &O::showOneSetForm, &CmdReadPause};
    case 7:
      return {nullptr, &O::showLEDAlarmFrm, &CmdReadLedAlarm};
    case 8:
      return {nullptr, &O::showKalvoxFrm, &CmdReadDoseSettings};
    case 9:
      return {&W::OneSetAutoLockKeypad, &O::showOneSetForm, &CmdReadKeypadLock};
    case 10:
      return {&W::OneSetAutoScroll, &O::showOneSetForm, &CmdReadAutoScroll};
    case 11:
      return {nullptr, &O::showTimerFrm, &CmdReadTimers};
    case 12:
      return {nullptr, &O::showScreenFrm, &CmdReadScreens};
    case 13:
      return {nullptr, &O::showWelcomSetFrm, &CmdReadWelcomeText};
    case 14:
      return {&W::OneSetCalibration, &O::showOneSetForm, &CmdReadCalibration};
    case 15:
      return {&W::LunchTimeFrmOpen, &O::showLunchTimeFrm, &CmdReadLunchTime};
    case 16:
      return {&W::OneSetIntervalTime, &O::showOneSetForm, &CmdReadIntervalTime};
    default:
      return {nullptr, nullptr, nullptr};
  }
}

}  // namespace

// ---- closing of windows ----------------------------------------------------

void Panel::closeWindow(WindowId w) {
  if (w == WindowId::MemoryPanel) {
    ShowMemoryPanel(false);
    return;
  }
  // A flag set for a window that is not loaded makes the unload a no-op.
  FormRegistry::unloadByClassName(WindowClassName(w));
}

void Panel::CheckFlage() {
  RunCloseOrder(CheckFlageOrder(), State().flags, [this](WindowId w) { closeWindow(w); });
}

void Panel::checkpanelflage() {
  RunCloseOrder(CheckPanelFlageOrder(), State().flags, [this](WindowId w) { closeWindow(w); });
}

// ---- toolbar -------------------------------------------------------------

void Panel::ApplyPanelToolbarText() {
  const UiText& t = State().texts;
  const std::string* tips[10] = {&t.TxtOpenFile,     &t.TxtComPortSet,           &t.TxtShowSettingPanel,
                                 &t.TxtRealTimeList, &t.TxtDrawRealTimeGraphics, &t.TxtRealTimeSet,
                                 &t.TxtMemory,       &t.TxtClearMemory,          &t.TxtHelp,
                                 &t.TxtLanguage};
  for (int i = 1; i <= 10; ++i)
    if (QAction* a = toolbarButton(i)) a->setToolTip(q(*tips[i - 1]));
}

void Panel::Toolbar1_ButtonClick(const QString& key) {
  // While a memory-list entry is awaited every click is ignored.
  if (State().poll.memoryListPending()) return;
  if (key == QLatin1String("Open")) {
    openDataFile();
    return;
  }
  static const char* const actions[] = {"COMSET", "SettingPanel", "List", "Graphics", "RTC",
                                        "Memory", "Clear",        "Help", "Language"};
  if (std::none_of(std::begin(actions), std::end(actions),
                   [&](const char* a) { return key == QLatin1String(a); }))
    return;
  if (State().poll.erasePending()) {
    showMemoryErasing();
    return;
  }
  if (key == QLatin1String("COMSET")) {
    step([&] { CheckFlage(); });
    step([] { call(State().openers.showComPortSetFrm); });
    // A new link makes its entry current: receive from it from now on.
    State().poll.watchCurrentPort();
  } else if (key == QLatin1String("SettingPanel")) {
    step([&] { CheckFlage(); });
    step([] { call(State().openers.showSetting418PanelFrm); });
  } else if (key == QLatin1String("RTC")) {
    step([&] { CheckFlage(); });
    step([] { call(State().openers.showRTCFrm); });
  } else if (key == QLatin1String("Memory")) {
    startMemoryDownload();
  } else if (key == QLatin1String("Clear")) {
    step([&] { CheckFlage(); });
    step([] { call(State().openers.showClearMemoryFrm); });
  } else if (key == QLatin1String("Help")) {
    step([&] { CheckFlage(); });
    step([&] { showMdiChild(FormRegistry::get<HelpFrm>()); });
  } else if (key == QLatin1String("Language")) {
    if (!measurementMayGo()) return;  // the language window closes the data list window
    step([&] { CheckFlage(); });
    step([&] { showMdiChild(FormRegistry::get<LanguageFrm>()); });
  }
  // "List" and "Graphics" do nothing.
}

void Panel::startMemoryDownload() {
  step([&] { CheckFlage(); });
  step([&] { ShowMemoryPanel(true); });
  // The engine pauses polling for the size and the list (the list's end
  // resumes it).
  PortResult sent;
  step([&] { sent = State().poll.askMemorySize(); });
  if (!sent) {
    // Nothing went to the meter: no list is awaited (its wait would only end
    // in a time-out), polling runs again; the user is told why.
    step([&] {
      MsgBox::show(q(UnsentRequestText(trText("Memory", "The meter was not asked for its memory."), sent)),
                   MsgIcon::Critical);
    });
    return;
  }
  step([] { WaitSeconds(0.1); });
  step([] { State().poll.askMemoryList(); });
}

namespace {

// A message about a file names the file: the reader's own message names
// the line, and the file goes before it unless the message names it already.
QString fileMessage(const QString& name, const std::string& text) {
  const QString t = q(text);
  if (t.contains(name)) return t;
  return q(fillText(trText("DataFile", "File %1:\n%2"), {name.toStdString(), text}));
}

// What the file list window showed before a file was read into it afresh.
struct ShownFile {
  GridData userInfo, header, records;
  MeasurementData measurement;
};

// Takes the content of the file list window about to be replaced (nothing
// is copied: the window goes anyway).
std::optional<ShownFile> takeShownFile() {
  FileListFrm* f = State().flags.FileListFrmOpen == -1 ? FormRegistry::find<FileListFrm>() : nullptr;
  if (!f) return std::nullopt;
  ShownFile shown{std::move(f->MSFUserInfo->gridData()), std::move(f->GridHeader->gridData()),
                  std::move(f->GridRecord->gridData()), std::move(State().measurement)};
  for (FlexGrid* g : {f->MSFUserInfo, f->GridHeader, f->GridRecord}) g->Refresh();
  return shown;
}

// A file that held nothing of a data file (binary data, or text without
// any of the sections) must not wipe out the file shown before it.
bool heldNoData(const OpenResult& r, const FileListFrm& f) {
  if (r.status == OpenStatus::NotDataFile) return true;
  return r.status != OpenStatus::Ok && r.records == 0 && f.MSFUserInfo->Rows() == 0 &&
         f.GridHeader->Rows() == 0;
}

// The file list window loaded afresh and shown, its header grid emptied:
// what the Open action reads goes into it.
FileListFrm* freshFileList() {
  if (State().flags.FileListFrmOpen == -1) FormRegistry::unload<FileListFrm>();
  FileListFrm* f = FormRegistry::get<FileListFrm>();
  f->Show();
  f->GridHeader->setRows(0);
  return f;
}

}  // namespace

// Reads the opened data file into the file list window, loaded afresh.
// Returns the message for the user ("" when the file was read whole).
QString Panel::showDataFile(const QString& name, DataFileInput& file) {
  std::optional<ShownFile> before = takeShownFile();
  FileListFrm* f = freshFileList();
  const OpenResult r = file.read(State().polling.MeterModel, f->MSFUserInfo->gridData(),
                                 f->GridHeader->gridData(), f->GridRecord->gridData(), State().measurement);
  if (r.hasModelLine) State().dataFile.FileModel = r.model;
  if (before && heldNoData(r, *f)) {
    f->MSFUserInfo->gridData() = std::move(before->userInfo);
    f->GridHeader->gridData() = std::move(before->header);
    f->GridRecord->gridData() = std::move(before->records);
    State().measurement = std::move(before->measurement);
  }
  f->MSFUserInfo->Refresh();
  f->GridRecord->Refresh();
  f->GridHeader->Refresh();
  f->GridHeader->setFixedRows(std::min(1, f->GridHeader->Rows()));
  return r.status == OpenStatus::Ok ? QString() : fileMessage(name, r.message);
}

bool Panel::measurementMayGo() {
  DataListFrm* d = FormRegistry::find<DataListFrm>();
  return !d || d->askBeforeDiscarding();
}

// Opening a data file. The file is opened once: its own first line decides
// whether it is read (the model test looks at this file's model, or the
// linked meter's), then it is read from the same descriptor, and closed
// however the reading ends.
void Panel::openDataFile() {
  // "All Files" also lists names without a dot.
  const QString name =
      MsgBox::openFileName(this, q(trText("DataFile", "Open")), QString(),
                           qtFileFilter(QStringLiteral("Data files(*.vkz)|*.vkz|All Files (*.*)|*.*|")));
  if (name.isEmpty()) return;
  QString message;
  try {
    PollPause pause(State().poll);
    DataFileInput file(QFile::encodeName(name).toStdString());
    const OpenResult head = file.readModel(State().polling.MeterModel);
    if (head.status == OpenStatus::Empty) {
      // Nothing to read and FileModel stays; the file list window shows
      // nothing of a file opened before as if it were this one.
      if (State().flags.FileListFrmOpen == -1 || isSupportedModel(State().dataFile.FileModel) ||
          isSupportedModel(State().polling.MeterModel))
        freshFileList()->GridHeader->setFixedRows(0);
      message = fileMessage(name, head.message);
    } else if (!head.ok()) {
      // Not a data file of a supported meter, or no file to read: nothing
      // is read, the window stays as it was, and the user is told why.
      if (head.hasModelLine) State().dataFile.FileModel = head.model;
      message = fileMessage(name, head.message);
    } else {
      message = showDataFile(name, file);
    }
  } catch (...) {
    // Any failure ends the action; polling resumes.
    logCaught(LogArea::File);
  }
  if (!message.isEmpty()) MsgBox::show(message, MsgIcon::Critical);
}

// ---- command tree ------------------------------------------------------------

bool Panel::treeBuilt() const {
  return TreeView1->topLevelItemCount() > 0;
}

void Panel::BuildTreeForModel() {
  if (isSupportedModel(State().polling.MeterModel)) BuildPanelTree();
}

void Panel::BuildPanelTree() {
  // Built once per run: a second build leaves the tree as it is.
  if (treeBuilt()) return;
  const UiText& t = State().texts;
  std::vector<QTreeWidgetItem*> nodes;
  for (const TreeNodeDef& d : kTree) {
    QTreeWidgetItem* parent = nullptr;
    if (d.parent)
      for (QTreeWidgetItem* n : nodes)
        if (n->data(0, Qt::UserRole).toString() == QLatin1String(d.parent)) parent = n;
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
    node->setText(0, q(t.*(d.text)));
    node->setData(0, Qt::UserRole, QString::fromLatin1(d.key));
    nodes.push_back(node);
  }
}

namespace {
// The nodes in index order (1..20).
std::vector<QTreeWidgetItem*> treeNodes(QTreeWidget* tree) {
  std::vector<QTreeWidgetItem*> out;
  std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* n) {
    out.push_back(n);
    for (int i = 0; i < n->childCount(); ++i) walk(n->child(i));
  };
  for (int i = 0; i < tree->topLevelItemCount(); ++i) walk(tree->topLevelItem(i));
  return out;
}
}  // namespace

bool Panel::ApplyPanelTreeText() {
  if (!treeBuilt()) return false;
  const std::vector<QTreeWidgetItem*> nodes = treeNodes(TreeView1);
  const UiText& t = State().texts;
  for (size_t i = 0; i < nodes.size() && i < 20; ++i) nodes[i]->setText(0, q(t.*(kTree[i].text)));
  return true;
}

void Panel::TreeView1_NodeClick(QTreeWidgetItem* node) {
  if (!node) return;
  if (!isSupportedModel(State().polling.MeterModel) || State().poll.memoryListPending()) return;
  RunTreeNode(node);
}

void Panel::RunTreeNode(QTreeWidgetItem* node) {
  const std::vector<QTreeWidgetItem*> nodes = treeNodes(TreeView1);
  if (nodes.size() < 20) return;
  int index = 0;
  for (int i : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 19, 20}) {
    if (nodes[static_cast<size_t>(i - 1)]->text(0) == node->text(0)) {
      index = i;
      break;
    }
  }
  if (index == 0) return;
  if (State().poll.erasePending()) {
    showMemoryErasing();
    return;
  }
  switch (index) {
    case 1:
      step([&] { CheckFlage(); });
      step([] { call(State().openers.showRTCFrm); });
      break;
    case 2:
      startMemoryDownload();
      break;
    case 17:
      step([&] { CheckFlage(); });
      step([] { call(State().openers.showClearMemoryFrm); });
      break;
    case 19:
      if (!measurementMayGo()) return;  // the language window closes the data list window
      step([&] { CheckFlage(); });
      step([&] { showMdiChild(FormRegistry::get<LanguageFrm>()); });
      break;
    case 20:
      step([&] { CheckFlage(); });
      step([&] { showMdiChild(FormRegistry::get<HelpFrm>()); });
      break;
    default:
      runSettingNode(index);
      break;
  }
}

void Panel::runSettingNode(int index) {
  const SettingNode n = settingNode(index);
  std::optional<PollPause> pause;
  if (index == 4 || index == 5 || index == 8) {
    step([&] { checkpanelflage(); });
    pause.emplace(State().poll);
  } else {
    pause.emplace(State().poll);
    step([&] { checkpanelflage(); });
  }
  if (index == 4) step([] { FlushCurrentPort(State().line()); });
  step([&] {
    if (n.flag) State().flags.*(n.flag) = -1;
  });
  if (index == 5) step([] { FlushCurrentPort(State().line()); });
  step([&] {
    if (n.show) call(State().openers.*(n.show));
  });
  step([] { WaitSeconds(0.1); });
  step([&] {
    // A read that did not go out leaves the window as it opened; it is
    // logged (vkz.link says why).
    if (n.request && !n.request(State().line()))
      logWrite(LogArea::Ui, LogLevel::Warning,
               "setting read request of tree node " + std::to_string(index) + " not sent");
  });
  step([] { WaitSeconds(0.2); });
}

// ---- detected-meter list -------------------------------------------------

void Panel::addDetectedMeter(const QString& text, int icon, int portIndex) {
  // A port linked again gets a new port-table entry, and its meter is
  // detected again: the list shows it once, standing for the newest entry.
  for (int i = ControlListView->count() - 1; i >= 0; --i)
    if (ControlListView->item(i)->text() == text) delete ControlListView->takeItem(i);
  auto* item = new QListWidgetItem(DeviceIcon(icon), text);
  item->setData(Qt::UserRole, portIndex);
  ControlListView->insertItem(0, item);
}

void Panel::ControlListView_ItemClick(QListWidgetItem* item) {
  if (!item) return;
  const QString text = item->text();
  const int colon = text.indexOf(QLatin1Char(':'));
  const QString prefix = colon >= 0 ? text.left(colon) : text;
  // The entry keeps the port-table index of its meter: counting back from
  // the list position would pick the wrong port when a linked port's meter
  // was never identified.
  step([&] {
    const int port = item->data(Qt::UserRole).toInt();
    if (port >= 1 && port <= kMaxPorts) State().link.CurPort = static_cast<std::int16_t>(port);
    State().poll.watchCurrentPort();
  });
  if (prefix == QLatin1String("VKZ-418") || prefix == QLatin1String("KRD 529")) {
    step([&] { CheckFlage(); });
    step([] { call(State().openers.showSetting418PanelFrm); });
  }
}

// ---- memory panel ------------------------------------------------------------

void Panel::ApplyMemoryPanelText() {
  const UiText& t = State().texts;
  LblTitle->setText(q(t.TxtMemory));
  TotalSizeLbl->setText(q(t.TxtTotalSize));
  ReMainSizeLbl->setText(q(t.TxtRemainSize));
  MemoryMessageLbl->setText(q(t.TxtMessage));
  MSFlexGrid1->setTextMatrix(0, 0, q(t.TxtNos));
  MSFlexGrid1->setTextMatrix(0, 1, q(t.TxtDateTime));
  MSFlexGrid1->setTextMatrix(0, 2, q(t.TxtIndex));
}

void Panel::ShowMemoryPanel(bool show) {
  const MemPanelShowOut g =
      MemoryPanelGeometry(show, twY(TreeViewBar->height()), twY(TreeView1->y()), twX(SSPMemory->width()),
                          twY(SSPMemory->height()), twY(PicMemSplit->height()), twX(BtnMemClose->width()));
  SSPMemory->setVisible(show);
  PicMemSplit->setVisible(show);
  State().flags.MemoryPanelShown = show ? -1 : 0;
  if (show) {
    MSFlexGrid1->setRows(1);
    MSFlexGrid1->setRow(0);
    MSFlexGrid1->setCol(0);
    for (int c = 0; c < 3; ++c) {
      MSFlexGrid1->setColAlignment(c, FlexAlign::CenterCenter);
      MSFlexGrid1->setColWidth(c, g.gridColWidths[static_cast<size_t>(c)]);
    }
    ApplyMemoryPanelText();
    sizeTree(TreeView1->width(), g.treeHeight);
    LblTitle->resize(pxX(g.lblTitleWidth), LblTitle->height());
    PicMemSplit->move(PicMemSplit->x(), pxY(g.memSplitTop));
    SSPMemory->setGeometry(SSPMemory->x(), pxY(g.memTop), SSPMemory->width(), std::max(0, pxY(g.memHeight)));
    MSFlexGrid1->setGeometry(MSFlexGrid1->x(), pxY(g.gridTop), MSFlexGrid1->width(),
                             std::max(0, pxY(g.gridHeight)));
  } else {
    sizeTree(TreeView1->width(), g.treeHeight);
    PicMemSplit->move(PicMemSplit->x(), pxY(g.memSplitTop));
  }
}

void Panel::sizeTree(int width, int heightTw) {
  // The rules count the column lower than it is (the hidden memory panel's
  // tree 300 twips past its end): the tree's last line and its scroll bar
  // would be cut off at the column's bottom.
  const int room = std::max(0, TreeViewBar->height() - TreeView1->y());
  TreeView1->resize(width, std::clamp(pxY(heightTw), 0, room));
}

void Panel::selectShownMeasurement() {
  // By its entry number and start: the list may have been read again since.
  int row = 0;
  for (int r = MSFlexGrid1->FixedRows(); r < MSFlexGrid1->Rows() && row == 0; ++r)
    if (MSFlexGrid1->TextMatrix(r, 2) == shownMeasurement_.first &&
        MSFlexGrid1->TextMatrix(r, 1) == shownMeasurement_.second)
      row = r;
  MSFlexGrid1->setRow(row);
}

void Panel::BtnMemClose_Click() {
  ShowMemoryPanel(false);
}

void Panel::MSFlexGrid1_Click() {
  if (State().poll.erasePending()) {
    showMemoryErasing();
    return;
  }
  // Only a row of a stored measurement, whose Index cell holds its entry
  // number, starts a download; a click on the heading or an empty list
  // would otherwise ask for entry 0 and leave polling paused.
  const int row = MSFlexGrid1->Row();
  if (row < MSFlexGrid1->FixedRows() || row >= MSFlexGrid1->Rows()) return;
  const auto entry = parseNumber(MSFlexGrid1->TextMatrix(row, 2).toStdString());
  if (!entry || *entry < 1 || *entry > 255 || *entry != static_cast<int>(*entry)) return;
  const QString date = MSFlexGrid1->TextMatrix(row, 1);
  // The new download replaces the measurement shown; kept, it stays the one
  // the list marks.
  if (!measurementMayGo()) {
    selectShownMeasurement();
    return;
  }
  shownMeasurement_ = {MSFlexGrid1->TextMatrix(row, 2), date};

  step([] { State().poll.CancelDownload(); });
  step([] {
    if (State().flags.DataListFrmOpen == -1) FormRegistry::unload<DataListFrm>();
  });
  // Paused for the download: its end (or the link watchdog) resumes polling.
  step([] { State().poll.StopPanelTimers(); });
  step([] { FormRegistry::get<DataListFrm>()->ClearVkz418Grid(); });
  step([&] {
    QString name = date;
    name.remove(QLatin1Char('/')).remove(QLatin1Char(':')).replace(QLatin1Char(' '), QLatin1Char('-'));
    State().shell.RecordFileName = name.toStdString();
  });
  step([] { FormRegistry::get<DataListFrm>()->Toolbar1->setEnabled(false); });
  step([&] { State().poll.RequestRecordHeader(static_cast<int>(*entry)); });
  step([] { FormRegistry::get<DataListFrm>()->Show(); });
}

}  // namespace vkz
