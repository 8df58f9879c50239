// Every window, as a user sees it after a working shift was downloaded from
// the meter and its settings were read, in English and in Portuguese,
// opened every way the program opens it (toolbar, command tree, setting
// panel), maximised and restored, shows its texts whole: no caption, label,
// button, list item, text box or grid cell in view is wider than its
// control; every control lies in sight in its window, or a scroll away, and
// the setting panel stands over none of them; and every window the program
// opens lies inside the screen's free area. The windows are laid out for
// the font the program runs with (here DejaVu Sans, the font the set-up
// installs, at the desktops' usual 9 points, 11 on a 2560 px screen), not
// for the old platform's system font. The screen is the test run's own
// (CTest runs this program on 1280 x 1024, 1366 x 768, 1280 x 800,
// 1920 x 1080 and 2560 x 1440 screens).
#include "textfit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <memory>
#include <set>

#include "insight.h"
#include "link/win/comportsetfrm.h"
#include "settings/win/clearmemoryfrm.h"
#include "settings/win/kalvoxfrm.h"
#include "settings/win/ledalarmfrm.h"
#include "settings/win/lunchtimefrm.h"
#include "settings/win/onesetform.h"
#include "settings/win/rtcfrm.h"
#include "settings/win/screenfrm.h"
#include "settings/win/setting418panelfrm.h"
#include "settings/win/settingwindows.h"
#include "settings/win/timerfrm.h"
#include "settings/win/valuewindows.h"
#include "settings/win/welcomsetfrm.h"
#include "shell/win/helpfrm.h"
#include "shell/win/languagefrm.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "support/common/qt_app.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "views/win/datalistfrm.h"
#include "views/win/filelistfrm.h"
#include "views/win/histogramfrm.h"
#include "views/win/plotfrm.h"

namespace vkz {
namespace {

// The language the program runs in: the number chosen in Lan/Language.bin.
struct Language {
  const char* name;
  int number;
};
void PrintTo(const Language& l, std::ostream* os) {
  *os << l.name;
}

// The screen's free area.
QRect screenArea() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

class TextFit : public ::testing::TestWithParam<Language> {
 protected:
  void SetUp() override {
    font_ = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), screenArea().width() >= 2560 ? 11 : 9));
  }
  void TearDown() override {
    road_.reset();
    QApplication::setFont(font_);
  }

  // Every text of `w` fits, every control of it is in sight (or a scroll
  // away) and out from under the setting panel, and every window shown lies
  // inside the screen; `state` says what the window was showing. A control
  // that fails is told once.
  void expectShownWhole(const QWidget* w, const QString& state) {
    test::settleEvents();
    const std::string at = state.toStdString();
    const test::TextFitReport report = test::checkTexts(w);
    EXPECT_GT(report.measured, 0) << at;
    for (const test::TextOverflow& o : report.overflows)
      if (told_.insert(o.control + o.text).second)
        ADD_FAILURE() << at << ": " << o.control.toStdString() << " \"" << o.text.toStdString() << "\" needs "
                      << o.needed << " px, has " << o.room;
    for (const test::ControlOutOfSight& o :
         test::controlsOutOfSight(w, {FormRegistry::find<Setting418PanelFrm>()}))
      if (told_.insert(o.control + o.why).second)
        ADD_FAILURE() << at << ": " << o.control.toStdString() << " at " << o.where.x() << "," << o.where.y()
                      << " " << o.where.width() << " x " << o.where.height() << " is " << o.why.toStdString();
    const QRect area = screenArea();
    for (const QWidget* t : QApplication::topLevelWidgets())
      if (t->isVisible() && !area.contains(t->frameGeometry()) &&
          told_.insert(t->objectName() + QStringLiteral(" off-screen")).second)
        ADD_FAILURE() << at << ": " << t->objectName().toStdString() << " at " << t->frameGeometry().x()
                      << "," << t->frameGeometry().y() << " " << t->frameGeometry().width() << " x "
                      << t->frameGeometry().height() << " is not inside the screen's " << area.width()
                      << " x " << area.height();
  }

  // The same for every page of a grid's rows, scrolled one page at a time.
  void expectShownWholeScrolling(const QWidget* w, FlexGrid* grid, const QString& state) {
    grid->setTopRow(grid->FixedRows());
    for (int top = -1; top != grid->TopRow();) {
      top = grid->TopRow();
      expectShownWhole(w, state);
      const int page = grid->rowAt(grid->viewport()->height() - 1) - grid->rowAt(0);
      grid->setTopRow(std::min(grid->Rows() - 1, top + std::max(1, page)));
    }
    grid->setTopRow(grid->FixedRows());
  }

  // A window of the main window's client area as it opens (maximised),
  // restored to its own size (the client area scrolling to it where it is
  // larger), and maximised again.
  void expectMaximisedAndRestored(QWidget* w, const QString& state) {
    ASSERT_NE(w, nullptr) << state.toStdString();
    expectShownWhole(w, state);
    auto* frame = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    ASSERT_NE(frame, nullptr) << state.toStdString();
    frame->showNormal();
    expectShownWhole(w, state + QStringLiteral(", restored"));
    frame->showMaximized();
    test::settleEvents();
  }

  // The window in front in the main window's client area.
  QWidget* windowInFront() const {
    const QMdiSubWindow* frame = road_->panel->mdiArea()->activeSubWindow();
    return frame ? frame->widget() : nullptr;
  }

  // The timer window in each mode (each shows its own panel).
  void expectEveryTimerMode(TimerFrm* timers, const QString& state) {
    ASSERT_NE(timers, nullptr) << state.toStdString();
    for (int mode = 0; mode < 4; ++mode) {
      setListPosition(timers->TimerManuallyCbx, mode);
      expectMaximisedAndRestored(timers, state + QStringLiteral(", mode %1").arg(mode));
    }
  }

  void walkMeasurement();
  void walkSettingPanel();
  void walkCommandTree();
  void walkOtherWindows();

  QFont font_;
  std::set<QString> told_;
  QTemporaryDir tmp_;
  std::unique_ptr<DownloadRoad> road_;
};

// The memory list; the first measurement downloaded into the data list,
// every header item chosen, with its panels, the level graph and the
// histogram; the measurement saved and opened again in the file list.
void TextFit::walkMeasurement() {
  Panel* panel = road_->panel;
  ASSERT_TRUE(road_->loadMemoryList());
  expectShownWhole(panel, QStringLiteral("memory list"));
  ASSERT_TRUE(road_->download(1));
  DataListFrm* dl = FormRegistry::find<DataListFrm>();
  ASSERT_NE(dl, nullptr);
  dl->ItemBtn_Click();
  expectShownWhole(panel, QStringLiteral("header-item panel"));
  dl->AllSelBtn_Click();
  dl->SetBtn_Click();
  // At the main window's first size the summary shows its three channels
  // on a screen 1920 wide, the labels and the first channel whole on a
  // 1280 or 1366 one (the others a scroll away), and the user information
  // its five lines.
  test::settleEvents();
  EXPECT_GE(test::columnsInView(*dl->VKZ418Grid), screenArea().width() >= 1920 ? 4 : 2);
  EXPECT_EQ(test::rowsInView(*dl->MSFGridUserInfo), 5);
  expectShownWholeScrolling(panel, dl->VKZ418Grid, QStringLiteral("data list"));
  expectShownWholeScrolling(panel, dl->VKZ418PointGrid, QStringLiteral("data list records"));
  expectMaximisedAndRestored(dl, QStringLiteral("data list"));

  dl->Toolbar1_ButtonClick(QStringLiteral("Plot"));
  expectShownWhole(panel, QStringLiteral("quantity panel"));
  dl->Option1[0]->click();
  dl->BtnSelectOK_Click();
  // (The level graph and the histogram are windows of their own.)
  ASSERT_NE(FormRegistry::find<Plot>(), nullptr);
  expectShownWhole(FormRegistry::find<Plot>(), QStringLiteral("level graph"));
  dl->Toolbar1_ButtonClick(QStringLiteral("Ln"));
  dl->Option1[0]->click();
  dl->BtnSelectOK_Click();
  expectShownWhole(panel, QStringLiteral("resolution panel"));
  dl->Btn01dB_Click();
  ASSERT_NE(FormRegistry::find<Histogram>(), nullptr);
  expectShownWhole(FormRegistry::find<Histogram>(), QStringLiteral("histogram"));

  const QString file = tmp_.filePath(QStringLiteral("shift.vkz"));
  MsgBox::fileAnswers().push_back(file);
  dl->Toolbar1_ButtonClick(QStringLiteral("save"));
  ASSERT_TRUE(QFile::exists(file));
  MsgBox::fileAnswers().push_back(file);
  panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
  FileListFrm* fl = FormRegistry::find<FileListFrm>();
  ASSERT_NE(fl, nullptr);
  expectShownWholeScrolling(panel, fl->GridHeader, QStringLiteral("file list"));
  EXPECT_EQ(test::rowsInView(*fl->MSFUserInfo), 5);
  expectMaximisedAndRestored(fl, QStringLiteral("file list"));
}

// The setting panel, beside the main window or over it, and every setting
// window opened from it, showing the meter's values (the timer window in
// each of its modes, the one-value window for each of its settings).
void TextFit::walkSettingPanel() {
  road_->panel->Toolbar1_ButtonClick(QStringLiteral("SettingPanel"));
  Setting418PanelFrm* settings = FormRegistry::find<Setting418PanelFrm>();
  ASSERT_NE(settings, nullptr);
  expectShownWhole(settings, QStringLiteral("setting panel"));
  const std::pair<QPushButton*, const char*> buttons[] = {
      {settings->KalvoxBtn, "dose-channel window"},
      {settings->ScreenBtn, "screen-page window"},
      {settings->LEDAlarmBtn, "LED alarm window"},
      {settings->LcdContrastBtn, nullptr},
      {settings->LcdAPOBtn, nullptr},
      {settings->PauseBtn, nullptr},
      {settings->AutoLockKeypadBtn, nullptr},
      {settings->AutoScrollBtn, nullptr},
      {settings->BtnCalibration, nullptr},
      {settings->BtnIntervalTime, nullptr},
      {settings->WelcomInputBtn, "welcome text window"},
      {settings->BtnLunchTime, "lunch-time window"},
  };
  for (auto [button, name] : buttons) {
    const QString state =
        QStringLiteral("from the setting panel: ") + (name ? QString::fromLatin1(name) : button->text());
    button->click();
    expectMaximisedAndRestored(windowInFront(), state);
  }
  settings->TimersBtn->click();
  expectEveryTimerMode(FormRegistry::find<TimerFrm>(),
                       QStringLiteral("from the setting panel: timer window"));
}

// Every window of the command tree's nodes, the setting panel closed (the
// clock node closes it first): the clock, each setting window, the erase
// window.
void TextFit::walkCommandTree() {
  Panel* panel = road_->panel;
  std::vector<QTreeWidgetItem*> nodes{nullptr};  // by the nodes' 1-based index
  for (QTreeWidgetItemIterator it(panel->TreeView1); *it; ++it) nodes.push_back(*it);
  ASSERT_EQ(nodes.size(), 21u);
  for (int index : {1, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17}) {
    QTreeWidgetItem* node = nodes[static_cast<size_t>(index)];
    panel->TreeView1_NodeClick(node);
    expectMaximisedAndRestored(windowInFront(), QStringLiteral("from the command tree: ") + node->text(0));
  }
  EXPECT_EQ(FormRegistry::find<Setting418PanelFrm>(), nullptr);
  panel->TreeView1_NodeClick(nodes[11]);
  expectEveryTimerMode(FormRegistry::find<TimerFrm>(), QStringLiteral("from the command tree: timer window"));
}

// The erase and clock windows from the toolbar, the meter-name panel, the
// port window, the help and language windows.
void TextFit::walkOtherWindows() {
  Panel* panel = road_->panel;
  panel->Toolbar1_ButtonClick(QStringLiteral("Clear"));
  expectMaximisedAndRestored(FormRegistry::find<ClearMemoryFrm>(), QStringLiteral("erase window"));
  panel->Toolbar1_ButtonClick(QStringLiteral("RTC"));
  RTCFrm* clock = FormRegistry::find<RTCFrm>();
  ASSERT_NE(clock, nullptr);
  panel->Timer1_Timer();
  ASSERT_TRUE(road_->until([&] { return !clock->MeterTimeNowLbl->text().isEmpty(); }));
  expectMaximisedAndRestored(clock, QStringLiteral("clock window"));
  MsgBox::inputAnswers() = {QStringLiteral("code 857")};
  panel->MDIForm_DblClick();
  ASSERT_TRUE(road_->until([&] { return !panel->SNTxt->text().isEmpty(); }));
  expectShownWhole(panel, QStringLiteral("meter-name panel"));

  ComPortSetFrm* port = FormRegistry::get<ComPortSetFrm>();
  port->show();
  expectShownWhole(port, QStringLiteral("port window"));
  FormRegistry::unload(port);
  panel->Toolbar1_ButtonClick(QStringLiteral("Help"));
  expectMaximisedAndRestored(FormRegistry::find<HelpFrm>(), QStringLiteral("help window"));
  panel->Toolbar1_ButtonClick(QStringLiteral("Language"));
  expectMaximisedAndRestored(FormRegistry::find<LanguageFrm>(), QStringLiteral("language window"));
}

TEST_P(TextFit, EveryWindowShowsItsTextsWholeAndItsControlsInSight) {
  ASSERT_TRUE(tmp_.isValid());
  road_ = std::make_unique<DownloadRoad>(true);
  emu::MeasurementInfo info;
  info.interval = 10;
  info.start = {2024, 5, 6, 7, 30, 0};
  for (int n = 0; n < 3; ++n) road_->meter.addMeasurement(emu::generateRecords(21 + n, 600), info);
  ASSERT_TRUE(road_->start(tmp_.path().toStdString(), GetParam().number)) << road_->meter.lastError();
  Panel* panel = road_->panel;
  panel->setFirstSize(screenArea().size());
  panel->show();
  panel->setFirstSize(screenArea().size());
  installSettingWindows();
  installValueWindows();

  walkMeasurement();
  walkSettingPanel();
  walkCommandTree();
  walkOtherWindows();
}

INSTANTIATE_TEST_SUITE_P(DejaVuSans, TextFit,
                         ::testing::Values(Language{"English", 1}, Language{"Portuguese", 2}),
                         [](const ::testing::TestParamInfo<Language>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace
}  // namespace vkz
