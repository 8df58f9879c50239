// The meter's other answers end to end: write acknowledgements with the
// three-frame timer write, resend requests and the erase reply; and the
// one-value, calibration, interval, welcome-text, meter-name and lunch-time
// read-backs into the window that asked, and only into it. The setting
// windows are stand-ins carrying the controls the decoder's values reach,
// installed as the program installs the setting windows' read-back faces.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "link/frames.h"
#include "link/porttable.h"
#include "link/settingblocks.h"
#include "polling/pollstate.h"
#include "polling/readbackviews.h"
#include "shell/flags.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "ui/formregistry.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"

namespace vkz {

// Setting windows as the decoder reaches them: through their read-back
// interfaces (polling/readbackviews.h).
class OneSetForm : public QWidget, public OneValueView {
  Q_OBJECT
 public:
  OneSetForm() {
    SetCbx = new QComboBox(this);
    SetCbx->setObjectName(QStringLiteral("SetCbx"));
  }
  bool showValue(int position) override { return setListPosition(SetCbx, position) == ListStatus::Ok; }
  // A list of `n` items "0" .. "n-1".
  void items(int n) {
    QStringList l;
    for (int i = 0; i < n; ++i) l << QString::number(i);
    fillList(SetCbx, l);
  }
  QComboBox* SetCbx;
};

class WelcomSetFrm : public QWidget, public WelcomeTextView {
  Q_OBJECT
 public:
  WelcomSetFrm() {
    for (int k = 0; k < 3; ++k) (new QLineEdit(this))->setObjectName(QStringLiteral("WelLineTxt_%1").arg(k));
  }
  void showWelcomeText(const std::array<std::string, 3>& lines) override {
    for (int k = 0; k < 3; ++k)
      findChild<QLineEdit*>(QStringLiteral("WelLineTxt_%1").arg(k))
          ->setText(QString::fromStdString(lines[static_cast<std::size_t>(k)]));
  }
};

class LunchTimeFrm : public QWidget, public LunchTimeView {
  Q_OBJECT
 public:
  LunchTimeFrm() {
    const std::pair<const char*, int> lists[] = {{"CbxEn", 2},
                                                 {"CbxStartHour", 24},
                                                 {"CbxStartMinute", 60},
                                                 {"CbxStopHour", 24},
                                                 {"CbxStopMinute", 60}};
    for (const auto& [name, n] : lists) {
      auto* c = new QComboBox(this);
      c->setObjectName(QString::fromLatin1(name));
      QStringList l;
      for (int i = 0; i < n; ++i) l << QString::number(i);
      fillList(c, l);
    }
  }
  int position(const char* name) const {
    return listPosition(findChild<QComboBox*>(QString::fromLatin1(name)));
  }
  void showLunchTime(const LunchTimeReadback& r) override {
    const std::pair<const char*, int> lists[] = {{"CbxEn", r.enable},
                                                 {"CbxStartHour", r.startHour},
                                                 {"CbxStartMinute", r.startMinute},
                                                 {"CbxStopHour", r.stopHour},
                                                 {"CbxStopMinute", r.stopMinute}};
    for (const auto& [name, pos] : lists)
      setListPosition(findChild<QComboBox*>(QString::fromLatin1(name)), pos);
  }
};

// The providers of the stand-ins, as the program's start-up installs the
// setting windows' (a window that is not loaded gives none).
void installStandIns() {
  ReadbackWindows& w = State().poll.windows.readbacks;
  w.oneValue = [] { return static_cast<OneValueView*>(FormRegistry::find<OneSetForm>()); };
  w.welcomeText = [] { return static_cast<WelcomeTextView*>(FormRegistry::find<WelcomSetFrm>()); };
  w.lunchTime = [] { return static_cast<LunchTimeView*>(FormRegistry::find<LunchTimeFrm>()); };
}

namespace {

using namespace std::chrono_literals;

class Replies : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    road_ = std::make_unique<DownloadRoad>(true);
    ASSERT_TRUE(road_->start(tmp_.path().toStdString()));
  }
  void TearDown() override { road_.reset(); }
  // Sends with `send` and waits until the meter's answer to `code` is handled.
  bool exchange(int code, const std::function<void()>& send, std::size_t answers = 1) {
    const std::size_t before = road_->meter.requestCount(code);
    send();
    // Follow-up requests are sent as the answers are handled: the event loop
    // keeps turning while the meter is waited for.
    if (!road_->until([&] { return road_->meter.requestCount(code) >= before + answers; })) return false;
    // Every answer on the line and handled.
    return road_->until([&] { return lineDrained(road_->meter); });
  }
  QStringList messages() const { return road_->messages(); }

  QTemporaryDir tmp_;
  std::unique_ptr<DownloadRoad> road_;
};

TEST_F(Replies, AcknowledgementsShowTheOutcome) {
  ASSERT_TRUE(exchange(0x81, [] { CmdWriteLcdContrast(State().line(), 8); }));
  road_->meter.failNextWrites();
  ASSERT_TRUE(exchange(0x86, [] { CmdWritePause(State().line(), 1); }));
  ASSERT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_EQ(MsgBox::shown()[0].text, QStringLiteral("Set OK !!!"));
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::None);
  EXPECT_EQ(MsgBox::shown()[1].text, QStringLiteral("Set Fail !!!"));
  EXPECT_EQ(MsgBox::shown()[1].icon, MsgIcon::Critical);
}

TEST_F(Replies, TimerWriteGoesOutInThreeFrames) {
  const TimerSetting timers = State().records.TimerRecord;
  ASSERT_TRUE(exchange(0x8C, [&] { State().poll.writeTimers(timers); }));
  EXPECT_EQ(road_->meter.requestCount(0x8A), 1u);
  EXPECT_EQ(road_->meter.requestCount(0x8B), 1u);
  EXPECT_EQ(messages(), QStringList{QStringLiteral("Set OK !!!")});
  EXPECT_FALSE(State().poll.timerWritePending());
  EXPECT_TRUE(road_->panel->pollingRunning());

  // The meter refuses the second frame: the third is never sent, and the
  // write ends at once with its one message, polling back.
  road_->meter.addFault({emu::Fault::Fail, 0x8B, 0, 1});
  ASSERT_TRUE(exchange(0x8B, [&] { State().poll.writeTimers(timers); }));
  EXPECT_EQ(road_->meter.requestCount(0x8C), 1u);
  EXPECT_EQ(messages().last(), QStringLiteral("Set Fail !!!"));
  EXPECT_EQ(messages().size(), 2);
  EXPECT_TRUE(road_->panel->pollingRunning());
  EXPECT_FALSE(State().poll.timerWritePending());
}

TEST_F(Replies, ResendRequestSendsTheWriteAgainAndEraseEnds) {
  SettingsRecords& r = State().records;
  for (std::size_t i = 0; i < r.ScreenRecord.size(); ++i) r.ScreenRecord[i] = static_cast<int>(i % 3);
  road_->meter.resendNext(0x85);
  ASSERT_TRUE(exchange(
      0x85, [&] { CmdWriteScreens(State().line(), r.ScreenRecord); }, 2));
  EXPECT_EQ(road_->meter.requests(0x85)[0].params, road_->meter.requests(0x85)[1].params);
  EXPECT_EQ(messages(), QStringList{QStringLiteral("Set OK !!!")});
  EXPECT_TRUE(road_->panel->pollingRunning());

  // A resend request for a write that is not re-sent changes nothing.
  road_->meter.resendNext(0x86);
  ASSERT_TRUE(exchange(0x86, [] { CmdWritePause(State().line(), 0); }));
  EXPECT_EQ(road_->meter.requestCount(0x86), 1u);

  ASSERT_TRUE(exchange(0x0B, [] { State().poll.eraseMemory(); }));
  EXPECT_EQ(messages().last(), QStringLiteral("Clear OK !!!"));
  EXPECT_FALSE(State().poll.erasePending());
}

TEST_F(Replies, ReadBacksFillTheWindowThatAsked) {
  installStandIns();
  auto* one = new OneSetForm;
  FormRegistry::adopt(one);
  WindowFlags& f = State().flags;
  emu::Settings s = road_->meter.settings();
  s.lcdContrast = 20;  // level 5
  s.calibration = 935;
  s.interval = 300;
  road_->meter.setSettings(s);

  // The window edits the pause: a contrast reply leaves its list alone.
  one->items(2);
  f.OneSetPause = -1;
  ASSERT_TRUE(exchange(0x01, [] { CmdReadLcdContrast(State().line()); }));
  EXPECT_EQ(listPosition(one->SetCbx), -1);
  ASSERT_TRUE(exchange(0x06, [] { CmdReadPause(State().line()); }));
  EXPECT_EQ(listPosition(one->SetCbx), 0);
  f.clearOneSetSelectors();

  one->items(10);
  f.OneSetLcdContrast = -1;
  ASSERT_TRUE(exchange(0x01, [] { CmdReadLcdContrast(State().line()); }));
  EXPECT_EQ(listPosition(one->SetCbx), 4);
  f.clearOneSetSelectors();

  one->items(61);
  f.OneSetCalibration = -1;
  ASSERT_TRUE(exchange(0x13, [] { CmdReadCalibration(State().line()); }));
  EXPECT_EQ(listPosition(one->SetCbx), 5);  // 93.5
  f.clearOneSetSelectors();

  one->items(6);
  f.OneSetIntervalTime = -1;
  ASSERT_TRUE(exchange(0x15, [] { CmdReadIntervalTime(State().line()); }));
  EXPECT_EQ(listPosition(one->SetCbx), 1);
  EXPECT_EQ(State().records.IntervalSeconds, 300);
  f.clearOneSetSelectors();

  auto* welcome = new WelcomSetFrm;
  FormRegistry::adopt(welcome);
  f.WelcomSetFrmOpen = -1;
  ASSERT_TRUE(exchange(0x10, [] { CmdReadWelcomeText(State().line()); }));
  EXPECT_EQ(welcome->findChild<QLineEdit*>(QStringLiteral("WelLineTxt_1"))->text(),
            QStringLiteral("NOISE DOSE  "));

  auto* lunch = new LunchTimeFrm;
  FormRegistry::adopt(lunch);
  f.LunchTimeFrmOpen = -1;
  ASSERT_TRUE(exchange(0x14, [] { CmdReadLunchTime(State().line()); }));
  EXPECT_EQ(lunch->position("CbxEn"), 0);
  EXPECT_EQ(lunch->position("CbxStartHour"), 12);
  EXPECT_EQ(lunch->position("CbxStopHour"), 13);
  EXPECT_EQ(State().records.LunchTimeRecord[4], 13);

  // The meter name only while its panel is shown.
  ASSERT_TRUE(exchange(0x11, [] { CmdReadMeterName(State().line()); }));
  EXPECT_TRUE(road_->panel->SNTxt->text().isEmpty());
  road_->panel->SNPic->show();
  ASSERT_TRUE(exchange(0x11, [] { CmdReadMeterName(State().line()); }));
  EXPECT_EQ(road_->panel->SNTxt->text(), QStringLiteral("VKZ00012345 "));
  EXPECT_TRUE(MsgBox::shown().empty());
}

}  // namespace
}  // namespace vkz

#include "replies_e2e_test.moc"
