// The main window: composition, start-up and shut-down, layout rules,
// splitters, the caption toggle and the client area.
#include "shell/win/panel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <chrono>

#include "base/appdir.h"
#include "base/handlerstep.h"
#include "base/programclock.h"
#include "link/porttable.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/layout.h"
#include "shell/uitext.h"
#include "shell/win/icons.h"
#include "shell/win/messagelanguage.h"
#include "shell/win/startup.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/placement.h"
#include "ui/splitbar.h"
#include "ui/twips.h"
#include "views/win/datalistfrm.h"

namespace vkz {

namespace {

// The size a child window of the client area was made at, kept on its
// frame.
constexpr char kDesignSize[] = "vkzDesignSize";

// Design sizes (twips) the layout does not state otherwise.
constexpr int kControlPicHeight = 1455;
constexpr int kTreeViewBarWidth = 3345;
constexpr int kMemDesignHeight = 4800;
constexpr int kBtnMemCloseWidth = 375;
constexpr int kTitleHeight = 375;
constexpr int kStatusPanel1 = 1800;
constexpr int kStatusPanel3 = 1200;
constexpr int kStatusPanel4 = 3300;

QLabel* makeLabel(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}
}  // namespace

Panel* ThePanel() {
  return FormRegistry::find<Panel>();
}

void StartMainWindow() {
  auto* panel = new Panel();
  panel->setAttribute(Qt::WA_DeleteOnClose);
  panel->MDIForm_Load();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    panel->setFirstSize(screen->availableGeometry().size());
  panel->show();
  // Shown, the window's frame is known (a window manager may add it only
  // once the event loop turns): the frame and the status bar come inside
  // the screen too.
  const QPointer<Panel> shown(panel);
  const auto fit = [shown] {
    if (!shown) return;
    if (const QScreen* screen = shown->screen()) shown->setFirstSize(screen->availableGeometry().size());
    placeWindow(shown, shown->pos(), shown->pos());
  };
  fit();
  QTimer::singleShot(0, panel, fit);
}

Panel::Panel(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Panel"));
  setWindowTitle(QString::fromLatin1(kPanelCaption));
  // Every window of the program carries its icon (Img/Icon.png beside the
  // program), not the toolkit's.
  QApplication::setWindowIcon(QIcon(QString::fromStdString(appPath("Img/Icon.png"))));
  FormRegistry::adopt(this);
  buildControls();
  // The timers exist, and run, from the moment the window exists.
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer1->setInterval(kPollTickMs);
  connect(Timer1, &QTimer::timeout, this, &Panel::Timer1_Timer);
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(1000);  // no handler: it only follows Timer1
  // The receive timer: set by the poll engine for when it is next due.
  Timer3 = new QTimer(this);
  Timer3->setObjectName(QStringLiteral("Timer3"));
  Timer3->setTimerType(Qt::PreciseTimer);
  Timer3->setSingleShot(true);
  connect(Timer3, &QTimer::timeout, this, &Panel::receiveTimerRanOut);
  // The poll engine shows what it must through this window.
  PollLoop& poll = State().poll;
  poll.windows.main = this;
  poll.windows.readbacks.meterName = [] { return static_cast<MeterNameView*>(ThePanel()); };
  // The other windows reach the main window through its host face.
  State().mainWindow = [] { return static_cast<MainWindowHost*>(ThePanel()); };
  poll.StartPanelTimers();
  // The engine counts its receive ticks on the program's clock.
  poll.setMonotonicClock([] { return monotonicNow(); });
}

Panel::~Panel() {
  PollLoop& poll = State().poll;
  if (poll.windows.main == this) {
    poll.windows.main = nullptr;
    poll.setMonotonicClock(nullptr);
  }
}

void Panel::setTimersFrozen(bool frozen) {
  frozen_ = frozen;
  if (frozen) {
    // The engine is woken by whoever moves the program's clock.
    Timer3->stop();
    // Timer1 keeps its enabled state as the pause switch, but must not fire.
    Timer1->blockSignals(true);
  } else {
    Timer1->blockSignals(false);
    // The receive timer again, for whatever is due.
    State().poll.receiveTimer();
  }
}

void Panel::buildControls() {
  buildToolbar();

  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("PanelClient"));
  setCentralWidget(client_);

  ControlPic = new QFrame(client_);
  ControlPic->setObjectName(QStringLiteral("ControlPic"));
  ControlPic->setFrameShape(QFrame::StyledPanel);
  ControlListView = new QListWidget(ControlPic);
  ControlListView->setObjectName(QStringLiteral("ControlListView"));
  ControlListView->setViewMode(QListView::IconMode);
  ControlListView->setFlow(QListView::LeftToRight);
  ControlListView->setWrapping(true);
  ControlListView->setIconSize(QSize(32, 32));
  ControlListView->setGridSize(QSize(96, 58));
  ControlListView->setMovement(QListView::Static);
  ControlListView->setResizeMode(QListView::Adjust);
  connect(ControlListView, &QListWidget::itemClicked, this, &Panel::ControlListView_ItemClick);

  buildMeterNamePanel();

  TreeViewBar = new QFrame(client_);
  TreeViewBar->setObjectName(QStringLiteral("TreeViewBar"));
  TreeViewBar->setFrameShape(QFrame::NoFrame);
  TreeView1 = new QTreeWidget(TreeViewBar);
  TreeView1->setObjectName(QStringLiteral("TreeView1"));
  TreeView1->setHeaderHidden(true);
  TreeView1->setRootIsDecorated(true);
  connect(TreeView1, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* node, int) { TreeView1_NodeClick(node); });

  PicMemSplit = new SplitBar(Qt::Horizontal, TreeViewBar);
  PicMemSplit->setObjectName(QStringLiteral("PicMemSplit"));
  PicMemSplit->onDown = [this](int b, int s, int x, int y) { PicMemSplit_MouseDown(b, s, x, y); };
  PicMemSplit->onMove = [this](int b, int s, int x, int y) { PicMemSplit_MouseMove(b, s, x, y); };
  PicMemSplit->onUp = [this](int b, int s, int x, int y) { PicMemSplit_MouseUp(b, s, x, y); };

  SSPMemory = new QFrame(TreeViewBar);
  SSPMemory->setObjectName(QStringLiteral("SSPMemory"));
  SSPMemory->setFrameShape(QFrame::Panel);
  SSPMemory->setFrameShadow(QFrame::Raised);
  setTwipsGeometry(SSPMemory, 0, 0, kTreeViewBarWidth, kMemDesignHeight);
  LblTitle = makeLabel(SSPMemory, "LblTitle");
  LblTitle->setAutoFillBackground(true);
  {
    QPalette pal = LblTitle->palette();
    pal.setColor(QPalette::Window, QColor(0x2A, 0x4F, 0x7F));
    pal.setColor(QPalette::WindowText, Qt::white);
    LblTitle->setPalette(pal);
    QFont f = LblTitle->font();
    f.setBold(true);
    LblTitle->setFont(f);
    LblTitle->setIndent(6);
  }
  setTwipsGeometry(LblTitle, 0, 0, kTreeViewBarWidth - kBtnMemCloseWidth, kTitleHeight);
  BtnMemClose = new QPushButton(QStringLiteral("X"), SSPMemory);
  BtnMemClose->setObjectName(QStringLiteral("BtnMemClose"));
  setTwipsGeometry(BtnMemClose, kTreeViewBarWidth - kBtnMemCloseWidth, 0, kBtnMemCloseWidth, kTitleHeight);
  connect(BtnMemClose, &QPushButton::clicked, this, &Panel::BtnMemClose_Click);
  TotalSizeLbl = makeLabel(SSPMemory, "TotalSizeLbl");
  setTwipsGeometry(TotalSizeLbl, 100, 480, 1600, 300);
  TotalSizeNumLbl = makeLabel(SSPMemory, "TotalSizeNumLbl");
  TotalSizeNumLbl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setTwipsGeometry(TotalSizeNumLbl, 0, 480, 1500, 300);
  ReMainSizeLbl = makeLabel(SSPMemory, "ReMainSizeLbl");
  setTwipsGeometry(ReMainSizeLbl, 100, 840, 1600, 300);
  RemainSizeNumLbl = makeLabel(SSPMemory, "RemainSizeNumLbl");
  RemainSizeNumLbl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setTwipsGeometry(RemainSizeNumLbl, 0, 840, 1500, 300);
  MemoryMessageLbl = makeLabel(SSPMemory, "MemoryMessageLbl");
  setTwipsGeometry(MemoryMessageLbl, 100, 1230, 3000, 300);
  MSFlexGrid1 = new FlexGrid(SSPMemory);
  MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
  MSFlexGrid1->setCols(3);
  MSFlexGrid1->setRows(1);
  MSFlexGrid1->setFixedRows(1);
  // The 2 : 6 : 2 columns were drawn for the old system font; a start date
  // or a heading wider than its column in the font in use widens it.
  MSFlexGrid1->setColumnsFitText(true);
  MSFlexGrid1->move(0, pxY(kMemGridTop));
  connect(MSFlexGrid1, &FlexGrid::cellClicked, this, [this](int, int) { MSFlexGrid1_Click(); });

  PicPanelSplit = new SplitBar(Qt::Vertical, client_);
  PicPanelSplit->setObjectName(QStringLiteral("PicPanelSplit"));
  PicPanelSplit->onDown = [this](int b, int s, int x, int y) { PicPanelSplit_MouseDown(b, s, x, y); };
  PicPanelSplit->onMove = [this](int b, int s, int x, int y) { PicPanelSplit_MouseMove(b, s, x, y); };
  PicPanelSplit->onUp = [this](int b, int s, int x, int y) { PicPanelSplit_MouseUp(b, s, x, y); };

  MdiArea = new QMdiArea(client_);
  MdiArea->setObjectName(QStringLiteral("MdiArea"));
  MdiArea->setBackground(QColor(0xAB, 0xAB, 0xAB));
  // A child window larger than the client area is scrolled, never squeezed.
  MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MdiArea->viewport()->installEventFilter(this);
  // Beside a window over the client area, the area takes the part where the
  // window in front shows best.
  connect(MdiArea, &QMdiArea::subWindowActivated, this, [this] {
    if (cover_) placeColumn();
  });

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  setStatusBar(StatusBar1);
  const int widths[4] = {kStatusPanel1, 0, kStatusPanel3, kStatusPanel4};
  for (int i = 0; i < 4; ++i) {
    auto* l = new QLabel(StatusBar1);
    l->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setIndent(4);
    if (widths[i] > 0) l->setFixedWidth(pxX(widths[i]));
    StatusBar1->addPermanentWidget(l, widths[i] > 0 ? 0 : 1);
    StatusPanels[static_cast<size_t>(i)] = l;
  }
  StatusBar1->setFixedHeight(pxY(375));

  TreeViewBar->setGeometry(0, pxY(kControlPicHeight), pxX(kTreeViewBarWidth), 400);
  placeColumn();
  client_->installEventFilter(this);
}

void Panel::buildToolbar() {
  Toolbar1 = new QToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  Toolbar1->setMovable(false);
  Toolbar1->setFloatable(false);
  Toolbar1->setIconSize(QSize(32, 32));
  Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  addToolBar(Qt::TopToolBarArea, Toolbar1);
  static const char* const keys[10] = {"Open", "COMSET", "SettingPanel", "List", "Graphics",
                                       "RTC",  "Memory", "Clear",        "Help", "Language"};
  for (int i = 0; i < 10; ++i) {
    QAction* a = Toolbar1->addAction(ToolbarIcon(i + 1), QString());
    const QString key = QString::fromLatin1(keys[i]);
    a->setObjectName(key);
    a->setData(key);
    connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    // Separators as the old toolbar grouped its buttons.
    if (i == 1 || i == 7) Toolbar1->addSeparator();
  }
}

QAction* Panel::toolbarButton(int index) const {
  int n = 0;
  for (QAction* a : Toolbar1->actions()) {
    if (a->isSeparator()) continue;
    if (++n == index) return a;
  }
  return nullptr;
}

QString Panel::statusPanelText(int panel) const {
  if (panel < 1 || panel > 4) return {};
  return StatusPanels[static_cast<size_t>(panel - 1)]->text();
}

void Panel::setStatusPanelText(int panel, const QString& text) {
  if (panel < 1 || panel > 4) return;
  StatusPanels[static_cast<size_t>(panel - 1)]->setText(text);
}

// ---- start-up and shut-down ----------------------------------------------

void Panel::MDIForm_Load() {
  // Each step runs even when an earlier one failed.
  step([&] {
    State().link.CurPort = 1;
    State().poll.mainWindowLoading();
  });
  step([] { LoadDefaultStrings(State().texts); });
  step([] { ApplyMessageLanguage(State().language, LoadLanguageIndex(State().language, State().texts)); });
  step([] {
    if (State().openers.showComPortSetFrm) State().openers.showComPortSetFrm();
  });
  step([] { State().poll.watchCurrentPort(); });
  step([&] { ShowMemoryPanel(false); });
  step([] { State().poll.mainWindowLoaded(); });
  step([&] {
    for (int i : {3, 4, 5, 6, 7, 8})
      if (QAction* a = toolbarButton(i)) a->setEnabled(false);
  });
  step([&] { ApplyPanelToolbarText(); });
}

void Panel::MDIForm_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  CloseAllPorts(State().line());
}

void Panel::closeEvent(QCloseEvent* e) {
  // A measurement not yet saved is never dropped without asking.
  if (!unloaded_ && !measurementMayGo()) {
    e->ignore();
    return;
  }
  MDIForm_Unload();
  FormRegistry::unloadAll();
  e->accept();
  QApplication::quit();
}

// ---- layout ----------------------------------------------------------------

void Panel::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  MDIForm_Resize();
}

// The docked parts: the strip across the top, the column on the left, the
// vertical bar right of it and the client area taking the rest.
void Panel::placeColumn() {
  const int cw = client_->width();
  const int ch = client_->height();
  const int stripH = pxY(kControlPicHeight);
  ControlPic->setGeometry(0, 0, cw, stripH);
  const int colW = TreeViewBar->width();
  const int colH = std::max(0, ch - stripH);
  TreeViewBar->setGeometry(0, stripH, colW, colH);
  const int barW = pxX(kSplitBar);
  PicPanelSplit->setGeometry(colW, stripH, barW, colH);
  QRect area(colW + barW, stripH, std::max(0, cw - colW - barW), colH);
  if (cover_ && cover_->isVisible()) {
    const QRect onScreen = cover_->frameGeometry();
    const QRect c(client_->mapFromGlobal(onScreen.topLeft()), onScreen.size());
    // The part where the window in front shows the most of itself.
    const QMdiSubWindow* front = MdiArea->activeSubWindow();
    const QSize want = front ? front->property(kDesignSize).toSize() : QSize();
    const ScreenRect clear =
        ClientAreaClearOf({area.x(), area.y(), area.width(), area.height()},
                          {c.x(), c.y(), c.width(), c.height()}, want.width(), want.height());
    area = QRect(clear.left, clear.top, clear.width, clear.height);
  }
  MdiArea->setGeometry(area);
}

void Panel::keepClientAreaClearOf(const QWidget* window) {
  cover_ = window;
  placeColumn();
}

void Panel::moveEvent(QMoveEvent* e) {
  QMainWindow::moveEvent(e);
  // The window over it stays where it is.
  if (cover_) placeColumn();
}

void Panel::MDIForm_Resize() {
  if (inResize_) return;
  if (isMinimized()) return;
  try {
    const QSize outer = frameGeometry().size();
    const QSize frame = outer - size();
    // The screen's free area bounds the minimum (none known: no bound).
    const ScreenRect area = availableArea(this);
    const SizeTw screen = area.width > 0 ? SizeTw{twX(area.width), twY(area.height)}
                                         : SizeTw{kPanelDesignWidth * 100, kPanelDesignHeight * 100};
    if (auto want = PanelMinimumSize(twX(outer.width()), twY(outer.height()), screen)) {
      // The new size raises a layout pass of its own.
      const QSize inner(pxX(want->width) - frame.width(), pxY(want->height) - frame.height());
      resize(inner);
      if (size() != inner) return;
    }
    inResize_ = true;
    placeColumn();
    PanelLayoutIn in;
    in.W = twX(frameGeometry().width());
    in.S = twY(TreeViewBar->height());
    in.controlPicHeight = twY(ControlPic->height());
    in.treeViewBarWidth = twX(TreeViewBar->width());
    in.treeTop = twY(TreeView1->y());
    in.memHeight = twY(SSPMemory->height());
    in.memVisible = SSPMemory->isVisibleTo(TreeViewBar);
    in.btnMemCloseWidth = twX(BtnMemClose->width());
    in.totalNumLblWidth = twX(TotalSizeNumLbl->width());
    in.remainNumLblWidth = twX(RemainSizeNumLbl->width());
    in.statusBarWidth = twX(StatusBar1->width());
    in.statusPanelWidths = {kStatusPanel1, 0, kStatusPanel3, kStatusPanel4};
    const PanelLayoutOut o = PanelLayout(in);
    ControlListView->setGeometry(0, 0, pxX(o.listViewWidth), pxY(o.listViewHeight));
    setTwipsGeometry(PicMemSplit, o.memSplitLeft, o.memSplitTop, o.memSplitWidth, o.memSplitHeight);
    SSPMemory->setGeometry(pxX(o.memLeft), pxY(o.memTop), pxX(o.memWidth), SSPMemory->height());
    BtnMemClose->move(pxX(o.btnMemCloseLeft), pxY(o.btnMemCloseTop));
    LblTitle->resize(pxX(o.lblTitleWidth), LblTitle->height());
    MSFlexGrid1->resize(pxX(o.gridWidth), std::max(0, pxY(o.gridHeight)));
    for (int c = 0; c < 3; ++c) MSFlexGrid1->setColWidth(c, o.gridColWidths[static_cast<size_t>(c)]);
    TotalSizeNumLbl->move(pxX(o.totalNumLblLeft), TotalSizeNumLbl->y());
    RemainSizeNumLbl->move(pxX(o.remainNumLblLeft), RemainSizeNumLbl->y());
    sizeTree(pxX(o.treeWidth), o.treeHeight);
    // Status panel 2 takes what the other three leave (its stretch).
  } catch (...) {
    // The layout stops at the first failing step.
    logCaught(LogArea::Ui);
  }
  inResize_ = false;
}

void Panel::setFirstSize(const QSize& available) {
  const SizeTw s = PanelFirstSize(twX(available.width()), twY(available.height()));
  // The rule sizes the window with its frame; resize() sizes what is inside.
  const QSize frame = frameExtra(this);
  resize(QSize(pxX(s.width), pxY(s.height)) - frame);
}

void Panel::MDIForm_Click() {
  try {
    setWindowTitle(QString::fromStdString(ToggledPanelCaption(windowTitle().toStdString())));
  } catch (...) {
    logCaught(LogArea::Ui);
  }
}

bool Panel::eventFilter(QObject* o, QEvent* e) {
  if (o == client_ && e->type() == QEvent::Resize) {
    // The client area takes its size from the window's own layout, which
    // may come after the window's resize (its first showing): lay out again.
    MDIForm_Resize();
  } else if (o == MdiArea->viewport() && e->type() == QEvent::MouseButtonDblClick) {
    // The second press of a double click on the empty client area; its
    // release is no second click.
    releaseEndsDoubleClick_ = true;
    QTimer::singleShot(0, this, &Panel::MDIForm_DblClick);
  } else if (o == MdiArea->viewport() && e->type() == QEvent::MouseButtonRelease) {
    // A click on the empty client area (not on a child window).
    if (releaseEndsDoubleClick_)
      releaseEndsDoubleClick_ = false;
    else
      MDIForm_Click();
  }
  return QMainWindow::eventFilter(o, e);
}

// ---- splitters --------------------------------------------------------------

void Panel::PicMemSplit_MouseDown(int, int, int, int) {
  MemSplitDragging = -1;
}
void Panel::PicMemSplit_MouseUp(int, int, int, int) {
  MemSplitDragging = 0;
}
void Panel::PicMemSplit_MouseMove(int, int, int, int y) {
  if (MemSplitDragging == 0) return;
  try {
    const MemSplitOut o =
        MemSplitDrag(twY(PicMemSplit->y()), y, twY(frameGeometry().height()), twY(TreeViewBar->height()));
    PicMemSplit->move(PicMemSplit->x(), pxY(o.splitTop));
    TreeView1->resize(TreeView1->width(), pxY(o.treeHeight));
    applyMemoryGeometry(pxY(o.memTop), std::max(0, pxY(o.memHeight)), std::max(0, pxY(o.gridHeight)));
  } catch (...) {
    logCaught(LogArea::Ui);
  }
}

void Panel::applyMemoryGeometry(int memTop, int memHeight, int gridHeight) {
  SSPMemory->setGeometry(SSPMemory->x(), memTop, SSPMemory->width(), memHeight);
  MSFlexGrid1->resize(MSFlexGrid1->width(), gridHeight);
}

void Panel::PicPanelSplit_MouseDown(int, int, int, int) {
  PanelSplitDragging = -1;
}
void Panel::PicPanelSplit_MouseUp(int, int, int, int) {
  PanelSplitDragging = 0;
}
void Panel::PicPanelSplit_MouseMove(int, int, int x, int) {
  if (PanelSplitDragging == 0) return;
  try {
    const int w = PanelSplitDrag(twX(PicPanelSplit->x()), x, twX(frameGeometry().width()));
    TreeViewBar->resize(pxX(w), TreeViewBar->height());
    MDIForm_Resize();
    if (State().flags.DataListFrmOpen == -1)
      if (auto* d = FormRegistry::find<DataListFrm>()) d->Refresh();
  } catch (...) {
    logCaught(LogArea::Ui);
  }
}

// ---- client area -------------------------------------------------------------

void Panel::showMdiChild(QWidget* w) {
  if (!w) return;
  auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
  if (!sub) {
    sub = MdiArea->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(w->windowIcon());
    // Restored from maximised, the window takes the size it was made at
    // (its design size), frame and title bar around it.
    sub->resize(w->size().grownBy(sub->contentsMargins()).expandedTo(sub->minimumSizeHint()));
    sub->setProperty(kDesignSize, sub->size());
    // ... at the client area's top-left corner, not wherever the windows
    // behind it leave the most room (which may be out of sight).
    sub->move(0, 0);
  }
  if (w->windowState() & Qt::WindowMaximized)
    sub->showMaximized();
  else
    sub->show();
  w->show();
  MdiArea->setActiveSubWindow(sub);
}

}  // namespace vkz
