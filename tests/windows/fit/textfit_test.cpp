// Every window, as a user sees it after a working shift was downloaded from
// the meter and its settings were read, in English and in Portuguese, shows
// its texts whole: no caption, label, button, list item, text box or grid
// cell in view is wider than its control; and every window the program
// opens lies inside the screen's free area. The windows are laid out for the
// font the program runs with (here DejaVu Sans, the font the set-up
// installs, at the desktops' usual 9 points, 11 on a 2560 px screen), not
// for the old platform's system font. The screen is the test run's own
// (CTest runs this program on 1280 x 1024, 1366 x 768, 1280 x 800,
// 1920 x 1080 and 2560 x 1440 screens).
#include "insight.h"
#include "textfit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <set>

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
  void TearDown() override { QApplication::setFont(font_); }

  // Every text of `w` fits, and every window shown lies inside the screen;
  // `state` says what the window was showing. A control that does not fit
  // is told once.
  void expectTextsFit(const QWidget* w, const char* state) {
    test::settleEvents();
    const test::TextFitReport report = test::checkTexts(w);
    EXPECT_GT(report.measured, 0) << state;
    for (const test::TextOverflow& o : report.overflows)
      if (told_.insert(o.control + o.text).second)
        ADD_FAILURE() << state << ": " << o.control.toStdString() << " \"" << o.text.toStdString()
                      << "\" needs " << o.needed << " px, has " << o.room;
    for (const test::ControlOutOfSight& o : test::controlsOutOfSight(w, {FormRegistry::find<Setting418PanelFrm>()}))
      if (told_.insert(o.control + o.why).second)
        ADD_FAILURE() << state << ": " << o.control.toStdString() << " at " << o.where.x() << "," << o.where.y()
                      << " " << o.where.width() << " x " << o.where.height() << " is " << o.why.toStdString();
    const QRect area = screenArea();
    for (const QWidget* t : QApplication::topLevelWidgets())
      if (t->isVisible() && !area.contains(t->frameGeometry()) &&
          told_.insert(t->objectName() + QStringLiteral(" off-screen")).second)
        ADD_FAILURE() << state << ": " << t->objectName().toStdString() << " at " << t->frameGeometry().x()
                      << "," << t->frameGeometry().y() << " " << t->frameGeometry().width() << " x "
                      << t->frameGeometry().height() << " is not inside the screen's " << area.width()
                      << " x " << area.height();
  }

  // The same for every page of a grid's rows, scrolled one page at a time.
  void expectTextsFitScrolling(const QWidget* w, FlexGrid* grid, const char* state) {
    grid->setTopRow(grid->FixedRows());
    for (int top = -1; top != grid->TopRow();) {
      top = grid->TopRow();
      expectTextsFit(w, state);
      const int page = grid->rowAt(grid->viewport()->height() - 1) - grid->rowAt(0);
      grid->setTopRow(std::min(grid->Rows() - 1, top + std::max(1, page)));
    }
    grid->setTopRow(grid->FixedRows());
  }

  QFont font_;
  std::set<QString> told_;
};

TEST_P(TextFit, EveryWindowShowsItsTextsWhole) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  DownloadRoad road(true);
  emu::MeasurementInfo info;
  info.interval = 10;
  info.start = {2024, 5, 6, 7, 30, 0};
  for (int n = 0; n < 3; ++n) road.meter.addMeasurement(emu::generateRecords(21 + n, 600), info);
  ASSERT_TRUE(road.start(tmp.path().toStdString(), GetParam().number)) << road.meter.lastError();
  Panel* panel = road.panel;
  panel->setFirstSize(screenArea().size());
  panel->show();
  panel->setFirstSize(screenArea().size());

  // The memory list, and the first measurement downloaded into the data
  // list, every header item chosen.
  ASSERT_TRUE(road.loadMemoryList());
  expectTextsFit(panel, "memory list");
  ASSERT_TRUE(road.download(1));
  DataListFrm* dl = FormRegistry::find<DataListFrm>();
  ASSERT_NE(dl, nullptr);
  dl->ItemBtn_Click();
  expectTextsFit(panel, "header-item panel");
  dl->AllSelBtn_Click();
  dl->SetBtn_Click();
  // At the main window's first size the summary shows its three channels
  // on a screen 1920 wide, the first of them on a 1366 one (the others a
  // scroll away), and the user information its five lines.
  test::settleEvents();
  const int width = screenArea().width();
  EXPECT_GE(test::columnsInView(*dl->VKZ418Grid), width >= 1920 ? 4 : width >= 1366 ? 2 : 1);
  EXPECT_EQ(test::rowsInView(*dl->MSFGridUserInfo), 5);
  expectTextsFitScrolling(panel, dl->VKZ418Grid, "data list");
  expectTextsFitScrolling(panel, dl->VKZ418PointGrid, "data list records");

  // The quantity and resolution panels, the level graph and the histogram.
  dl->Toolbar1_ButtonClick(QStringLiteral("Plot"));
  expectTextsFit(panel, "quantity panel");
  dl->Option1[0]->click();
  dl->BtnSelectOK_Click();
  // (The level graph and the histogram are windows of their own.)
  ASSERT_NE(FormRegistry::find<Plot>(), nullptr);
  expectTextsFit(FormRegistry::find<Plot>(), "level graph");
  dl->Toolbar1_ButtonClick(QStringLiteral("Ln"));
  dl->Option1[0]->click();
  dl->BtnSelectOK_Click();
  expectTextsFit(panel, "resolution panel");
  dl->Btn01dB_Click();
  ASSERT_NE(FormRegistry::find<Histogram>(), nullptr);
  expectTextsFit(FormRegistry::find<Histogram>(), "histogram");

  // The measurement saved and opened again in the file list.
  const QString file = tmp.filePath(QStringLiteral("shift.vkz"));
  MsgBox::fileAnswers().push_back(file);
  dl->Toolbar1_ButtonClick(QStringLiteral("save"));
  ASSERT_TRUE(QFile::exists(file));
  MsgBox::fileAnswers().push_back(file);
  panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
  FileListFrm* fl = FormRegistry::find<FileListFrm>();
  ASSERT_NE(fl, nullptr);
  expectTextsFitScrolling(panel, fl->GridHeader, "file list");
  EXPECT_EQ(test::rowsInView(*fl->MSFUserInfo), 5);

  // The setting panel and every setting window, showing the meter's values
  // (the timer window in each of its modes, the one-value window for each
  // of its settings); the erase window; the clock window; the meter-name
  // panel.
  installSettingWindows();
  panel->Toolbar1_ButtonClick(QStringLiteral("SettingPanel"));
  Setting418PanelFrm* settings = FormRegistry::find<Setting418PanelFrm>();
  ASSERT_NE(settings, nullptr);
  expectTextsFit(settings, "setting panel");
  settings->KalvoxBtn->click();
  ASSERT_NE(FormRegistry::find<KalvoxFrm>(), nullptr);
  expectTextsFit(FormRegistry::find<KalvoxFrm>(), "dose-channel window");
  settings->ScreenBtn->click();
  ASSERT_NE(FormRegistry::find<ScreenFrm>(), nullptr);
  expectTextsFit(FormRegistry::find<ScreenFrm>(), "screen-page window");
  installValueWindows();
  settings->LEDAlarmBtn->click();
  ASSERT_NE(FormRegistry::find<LEDAlarmFrm>(), nullptr);
  expectTextsFit(FormRegistry::find<LEDAlarmFrm>(), "LED alarm window");
  settings->TimersBtn->click();
  TimerFrm* timers = FormRegistry::find<TimerFrm>();
  ASSERT_NE(timers, nullptr);
  // Each mode shows its own panel.
  for (int mode = 0; mode < 4; ++mode) {
    setListPosition(timers->TimerManuallyCbx, mode);
    expectTextsFit(timers, qPrintable(QStringLiteral("timer window, mode %1").arg(mode)));
  }
  // The one-value window for each of its seven settings.
  for (QPushButton* b :
       {settings->LcdContrastBtn, settings->LcdAPOBtn, settings->PauseBtn, settings->AutoLockKeypadBtn,
        settings->AutoScrollBtn, settings->BtnCalibration, settings->BtnIntervalTime}) {
    b->click();
    ASSERT_NE(FormRegistry::find<OneSetForm>(), nullptr) << b->objectName().toStdString();
    expectTextsFit(FormRegistry::find<OneSetForm>(), qPrintable(b->text()));
  }
  settings->WelcomInputBtn->click();
  ASSERT_NE(FormRegistry::find<WelcomSetFrm>(), nullptr);
  expectTextsFit(FormRegistry::find<WelcomSetFrm>(), "welcome text window");
  settings->BtnLunchTime->click();
  ASSERT_NE(FormRegistry::find<LunchTimeFrm>(), nullptr);
  expectTextsFit(FormRegistry::find<LunchTimeFrm>(), "lunch-time window");
  panel->Toolbar1_ButtonClick(QStringLiteral("Clear"));
  ASSERT_NE(FormRegistry::find<ClearMemoryFrm>(), nullptr);
  expectTextsFit(FormRegistry::find<ClearMemoryFrm>(), "erase window");
  panel->Toolbar1_ButtonClick(QStringLiteral("RTC"));
  RTCFrm* clock = FormRegistry::find<RTCFrm>();
  ASSERT_NE(clock, nullptr);
  panel->Timer1_Timer();
  ASSERT_TRUE(road.until([&] { return !clock->MeterTimeNowLbl->text().isEmpty(); }));
  expectTextsFit(clock, "clock window");
  MsgBox::inputAnswers() = {QStringLiteral("code 857")};
  panel->MDIForm_DblClick();
  ASSERT_TRUE(road.until([&] { return !panel->SNTxt->text().isEmpty(); }));
  expectTextsFit(panel, "meter-name panel");

  // The port window, the help window and the language window.
  ComPortSetFrm* port = FormRegistry::get<ComPortSetFrm>();
  port->show();
  expectTextsFit(port, "port window");
  FormRegistry::unload(port);
  panel->Toolbar1_ButtonClick(QStringLiteral("Help"));
  ASSERT_NE(FormRegistry::find<HelpFrm>(), nullptr);
  expectTextsFit(panel, "help window");
  panel->Toolbar1_ButtonClick(QStringLiteral("Language"));
  ASSERT_NE(FormRegistry::find<LanguageFrm>(), nullptr);
  expectTextsFit(panel, "language window");
}

INSTANTIATE_TEST_SUITE_P(DejaVuSans, TextFit,
                         ::testing::Values(Language{"English", 1}, Language{"Portuguese", 2}),
                         [](const ::testing::TestParamInfo<Language>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace
}  // namespace vkz
