// The main window: start-up, layout, splitters and the caption toggle (the
// polling loop it drives is tested on its own, tests/unit/polling).
#include "shell/win/panel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "link/porttable.h"
#include "polling/pollstate.h"
#include "qtenv.h"
#include "shell/flags.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/splitbar.h"
#include "ui/twips.h"
#include "views/win/datalistfrm.h"

namespace vkz {
namespace {

using PanelTest = ShellTest;

// A pixel is at most 15 twips: a size taken back from pixels is within
// that of the twips it was placed at.
constexpr int kOnePixel = 15;

TEST_F(PanelTest, StartUpShowsThePortWindowAndSetsTheToolbar) {
  int portWindowShown = 0;
  State().openers.showComPortSetFrm = [&] {
    ++portWindowShown;
    // The main window is not visible yet while the port window is shown.
    EXPECT_FALSE(ThePanel()->isVisible());
  };
  Panel* p = makePanel();
  EXPECT_EQ(portWindowShown, 1);
  EXPECT_EQ(State().link.CurPort, 1);
  EXPECT_EQ(p->windowTitle(), QStringLiteral("Panel V10.09"));
  // Closing the port window without linking: buttons 3..8 stay disabled.
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(p->toolbarButton(i)->isEnabled(), i < 3 || i > 8) << "button " << i;
  EXPECT_EQ(p->toolbarButton(3)->toolTip(), QStringLiteral("Show Setting Panel"));
  EXPECT_EQ(p->toolbarButton(1)->toolTip(), QStringLiteral("Open File..."));
  EXPECT_EQ(p->toolbarButton(7)->data().toString(), QStringLiteral("Memory"));
  EXPECT_FALSE(p->SSPMemory->isVisible());
  EXPECT_EQ(State().flags.MemoryPanelShown, 0);
  EXPECT_EQ(p->TreeView1->topLevelItemCount(), 0);
  // Once shown, the column and the client area reach down to the status bar.
  EXPECT_EQ(p->TreeViewBar->geometry().bottom(), p->centralWidget()->height() - 1);
  EXPECT_EQ(p->mdiArea()->geometry().bottom(), p->centralWidget()->height() - 1);
  EXPECT_GT(p->mdiArea()->height(), 0);
}

TEST_F(PanelTest, TooSmallWindowSpringsBackAndMinimisedKeepsItsLayout) {
  Panel* p = makePanel();
  const QSize frame = p->frameGeometry().size() - p->size();
  p->resize(pxX(12000) - frame.width(), pxY(9000) - frame.height());
  settle();
  EXPECT_NEAR(twX(p->frameGeometry().width()), 13665, kOnePixel);
  EXPECT_NEAR(twY(p->frameGeometry().height()), 11250, kOnePixel);

  p->ShowMemoryPanel(false);
  const QRect tree = p->TreeView1->geometry();
  p->showMinimized();
  settle();
  p->MDIForm_Resize();
  EXPECT_EQ(p->TreeView1->geometry(), tree);
  p->showNormal();
  settle();
}

// The program's windows carry its own icon, read from Img/Icon.png beside
// the program.
TEST_F(PanelTest, WindowsCarryTheProgramsIcon) {
  QDir(QString::fromStdString(dir())).mkpath(QStringLiteral("Img"));
  ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/Img/Icon.png"),
                          QString::fromStdString(dir() + "/Img/Icon.png")));
  Panel* p = makePanel();
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_EQ(p->windowIcon().availableSizes().value(0), QSize(256, 256));
}

// Restored from maximised, the data list window takes its design size, its
// toolbar shows every button and its grids stand apart.
TEST_F(PanelTest, RestoredDataListKeepsItsDesignSizeAndLayout) {
  Panel* p = makePanel();
  p->setFirstSize(QSize(1366, 736));
  p->show();
  State().polling.MeterModel = "VKZ 418";
  DataListFrm* f = FormRegistry::get<DataListFrm>();
  f->Show();
  settle();
  auto* sub = qobject_cast<QMdiSubWindow*>(f->parentWidget());
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(sub->isMaximized());
  sub->showNormal();
  settle();
  EXPECT_NEAR(f->width(), pxX(13245), 1);
  EXPECT_NEAR(f->height(), pxY(6705), 1);
  for (QAction* a : f->Toolbar1->actions())
    EXPECT_TRUE(f->Toolbar1->widgetForAction(a)->isVisible()) << a->data().toString().toStdString();
  const QWidget* grids[] = {f->VKZ418Grid, f->VKZ418PointGrid, f->MSFGridUserInfo};
  for (const QWidget* g : grids) EXPECT_FALSE(g->geometry().isEmpty()) << g->objectName().toStdString();
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = i + 1; j < 3; ++j)
      EXPECT_FALSE(grids[i]->geometry().intersects(grids[j]->geometry()))
          << grids[i]->objectName().toStdString() << " over " << grids[j]->objectName().toStdString();
}

TEST_F(PanelTest, CommandTreeFillsTheColumnUnlessTheMemoryPanelShows) {
  Panel* p = makePanel();
  p->resize(1000, 800);
  settle();
  p->MDIForm_Resize();
  // Hidden: the tree reaches the bottom of the column, and no further (its
  // last line and its scroll bar in sight).
  EXPECT_EQ(p->TreeView1->geometry().bottom() + 1, p->TreeViewBar->height());
  p->ShowMemoryPanel(true);
  p->MDIForm_Resize();
  EXPECT_TRUE(p->SSPMemory->isVisible());
  EXPECT_EQ(State().flags.MemoryPanelShown, -1);
  // Shown: the tree ends one splitter bar (120 twips) above the panel.
  EXPECT_NEAR(p->SSPMemory->y() - (p->TreeView1->y() + p->TreeView1->height()), pxY(120), 1);
  EXPECT_EQ(p->MSFlexGrid1->Rows(), 1);
  EXPECT_EQ(p->MSFlexGrid1->TextMatrix(0, 2), QStringLiteral("Index"));
  EXPECT_EQ(p->MemoryMessageLbl->text(), QStringLiteral("Message"));
  p->BtnMemClose_Click();
  EXPECT_FALSE(p->SSPMemory->isVisible());
  EXPECT_EQ(State().flags.MemoryPanelShown, 0);
  EXPECT_EQ(p->TreeView1->geometry().bottom() + 1, p->TreeViewBar->height());
}

// A window of the program standing over the main window (the setting panel
// where there is no room beside it): the client area, where child windows
// open, keeps clear of it, while it stands there and as either moves.
TEST_F(PanelTest, ClientAreaKeepsClearOfAWindowStandingOverIt) {
  Panel* p = makePanel();
  p->setGeometry(0, 0, 1300, 760);
  p->show();
  auto* child = new QWidget;
  child->setWindowState(Qt::WindowMaximized);
  p->showMdiChild(child);
  settle();
  const QRect whole = p->mdiArea()->geometry();
  QWidget over;
  over.setWindowFlags(Qt::Window);
  over.setGeometry(1300 - 400, 0, 400, 560);
  over.show();
  const auto clientArea = [&] {
    return QRect(p->mdiArea()->mapToGlobal(QPoint(0, 0)), p->mdiArea()->size());
  };
  p->keepClientAreaClearOf(&over);
  settle();
  EXPECT_FALSE(clientArea().intersects(over.frameGeometry()));
  EXPECT_EQ(p->mdiArea()->height(), whole.height());  // beside it, as high as before
  // The maximised window fills what is left.
  EXPECT_EQ(child->parentWidget()->geometry(), p->mdiArea()->viewport()->rect());
  // The window over it moves, and tells; the main window moves.
  over.move(p->mapToGlobal(QPoint(p->mdiArea()->x(), 0)));
  p->keepClientAreaClearOf(&over);
  settle();
  EXPECT_FALSE(clientArea().intersects(over.frameGeometry()));
  p->move(p->pos() + QPoint(0, 100));
  settle();
  EXPECT_FALSE(clientArea().intersects(over.frameGeometry()));
  // Gone: the whole client area again.
  p->keepClientAreaClearOf(nullptr);
  settle();
  EXPECT_EQ(p->mdiArea()->geometry(), whole);
}

TEST_F(PanelTest, SplitterDragsAreClampedAndEndOnMouseUp) {
  Panel* p = makePanel();
  p->resize(1000, 800);
  settle();
  p->ShowMemoryPanel(true);
  const int H = twY(p->frameGeometry().height());
  const int W = twX(p->frameGeometry().width());

  // A move without a button held does nothing.
  const int before = p->PicMemSplit->y();
  p->PicMemSplit_MouseMove(0, 0, 0, -600);
  EXPECT_EQ(p->PicMemSplit->y(), before);

  p->PicMemSplit_MouseDown(1, 0, 0, 0);
  EXPECT_EQ(p->MemSplitDragging, -1);
  p->PicMemSplit_MouseMove(1, 0, 0, -100000);
  EXPECT_NEAR(twY(p->PicMemSplit->y()), 1800, kOnePixel);
  EXPECT_EQ(p->TreeView1->height(), pxY(1800));
  p->PicMemSplit_MouseMove(1, 0, 0, 100000);
  EXPECT_NEAR(twY(p->PicMemSplit->y()), H - 5000, kOnePixel);
  p->PicMemSplit_MouseUp(1, 0, 0, 0);
  EXPECT_EQ(p->MemSplitDragging, 0);

  // Real mouse events on the vertical bar reach the same handlers.
  QTest::mousePress(p->PicPanelSplit, Qt::LeftButton, {}, QPoint(2, 5));
  EXPECT_EQ(p->PanelSplitDragging, -1);
  p->PicPanelSplit_MouseMove(1, 0, -100000, 0);
  EXPECT_NEAR(twX(p->TreeViewBar->width()), 1800, kOnePixel);
  p->PicPanelSplit_MouseMove(1, 0, 100000, 0);
  EXPECT_NEAR(twX(p->TreeViewBar->width()), W - 9000, kOnePixel);
  // The client area follows the column.
  EXPECT_EQ(p->mdiArea()->x(), p->TreeViewBar->width() + pxX(120));
  QTest::mouseRelease(p->PicPanelSplit, Qt::LeftButton, {}, QPoint(2, 5));
  EXPECT_EQ(p->PanelSplitDragging, 0);
}

TEST_F(PanelTest, ClickOnTheEmptyClientAreaTogglesTheCaption) {
  Panel* p = makePanel();
  QTest::mouseClick(p->mdiArea()->viewport(), Qt::LeftButton);
  EXPECT_EQ(p->windowTitle(), QStringLiteral("Panel V10.09   2018-05-23.01"));
  QTest::mouseClick(p->mdiArea()->viewport(), Qt::LeftButton);
  EXPECT_EQ(p->windowTitle(), QStringLiteral("Panel V10.09"));
}

}  // namespace
}  // namespace vkz
