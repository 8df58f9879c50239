// The timer, lunch-time, LED alarm, one-value, welcome-text and memory-erase
// windows against the meter emulator, opened from the main window's command
// tree and toolbar: each shows what the meter holds, writes a changed value
// as the exact request the meter receives, shows the acknowledgement, and
// shows the new value when it is read back. The timer's three frames each
// wait for the acknowledgement of the one before; a resend request gets the
// same frame again; a meter that never acknowledges, or never ends its
// erase, is given up after the tick counts of the poll engine, driven here
// tick by tick.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "emulator/emulator.h"
#include "polling/pollloop.h"
#include "settings/win/clearmemoryfrm.h"
#include "settings/win/ledalarmfrm.h"
#include "settings/win/lunchtimefrm.h"
#include "settings/win/onesetform.h"
#include "settings/win/timerfrm.h"
#include "settings/win/valuewindows.h"
#include "settings/win/welcomsetfrm.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {
namespace {

using emu::Bytes;
using namespace std::chrono_literals;

class SettingsRoad2 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    ASSERT_TRUE(road_.start(tmp_.path().toStdString())) << road_.meter.lastError();
    installValueWindows();
  }

  // The command tree's node of `text` clicked: the window opens and its
  // read request is answered.
  void openNode(const std::string& text) {
    const auto found = road_.panel->TreeView1->findItems(q(text), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(found.isEmpty()) << text;
    road_.panel->TreeView1_NodeClick(found.first());
  }
  // The next message box, once it has come.
  QString nextMessage() {
    road_.until([&] { return static_cast<std::size_t>(road_.messages().size()) > seen_; });
    if (static_cast<std::size_t>(road_.messages().size()) <= seen_) return QString();
    return road_.messages()[static_cast<int>(seen_++)];
  }
  bool acknowledged() { return nextMessage() == QStringLiteral("Set OK !!!"); }
  // The parameters of the last request of `code` the meter took.
  Bytes lastParams(int code) {
    const auto r = road_.meter.requests(code);
    return r.empty() ? Bytes{} : r.back().params;
  }
  emu::Settings meterSettings(const std::function<void(emu::Settings&)>& change) {
    emu::Settings s = road_.meter.settings();
    change(s);
    road_.meter.setSettings(s);
    return s;
  }
  void receiveTicks(int n) { road_.clock->ticks(n); }
  const UiText& texts() const { return State().texts; }

  QTemporaryDir tmp_;
  DownloadRoad road_{true};
  std::size_t seen_ = 0;
};

TEST_F(SettingsRoad2, TimersShowWriteInThreeAcknowledgedFramesAndReadBack) {
  meterSettings([](emu::Settings& s) {
    s.timers[0] = 2;                         // Repeat
    s.timers[1] = 0x07, s.timers[2] = 0xE8;  // 2024
    s.timers[10] = 125;                      // delayed run 2 h 5 min
    s.timers[11] = 8, s.timers[12] = 15;
    s.timers[16] = 90;  // runs of 1 h 30 min
    s.timers[17] = 7;
    s.timers[18 + 7 * 5] = 6, s.timers[23 + 7 * 5] = 45, s.timers[24 + 7 * 5] = 1;
  });
  openNode(texts().TxtTimers);
  TimerFrm* f = FormRegistry::find<TimerFrm>();
  ASSERT_TRUE(f && f->isVisible());
  ASSERT_TRUE(road_.until([&] { return f->RepeatCntCbx->currentText() == QStringLiteral("7"); }));
  EXPECT_FALSE(f->RepeatPic->isHidden());
  EXPECT_EQ(f->DelayYearTxt->text(), QStringLiteral("2024"));
  EXPECT_EQ(f->DelayDurHourCbx->currentText(), QStringLiteral("02"));
  EXPECT_EQ(f->RepeatStartMinuteTxt->text(), QStringLiteral("15"));
  EXPECT_EQ(f->RepeatStopHourTxt->text(), QStringLiteral("1"));
  EXPECT_EQ(f->RepeatStopMinuteTxt->text(), QStringLiteral("30"));
  EXPECT_EQ(f->PcStartHour[5]->text(), QStringLiteral("6"));
  EXPECT_EQ(f->PcStopMinute[5]->text(), QStringLiteral("45"));
  EXPECT_TRUE(f->PcStopMinute[5]->isEnabled());
  EXPECT_TRUE(road_.panel->pollingRunning());

  // PC mode, five repetitions, row 2 at 07:30 for 1 h 15 min, the delayed
  // run 23 h 59 min. The meter takes its time to acknowledge the first frame.
  setListPosition(f->TimerManuallyCbx, 3);
  setListPosition(f->PCRepeatCbx, 4);
  setListPosition(f->DelayDurHourCbx, 23);
  setListPosition(f->DelayDurMinCbx, 59);
  f->PcEnCkx[2]->click();
  f->PcStartHour[2]->setText(QStringLiteral("7"));
  f->PcStartMinute[2]->setText(QStringLiteral("30"));
  f->PcStopHour[2]->setText(QStringLiteral("1"));
  f->PcStopMinute[2]->setText(QStringLiteral("15"));
  road_.meter.addFault({emu::Fault::Delay, 0x8A, 0, 1, 300ms});
  f->TimerBtn->click();
  ASSERT_TRUE(road_.meter.waitForRequests(1, 0x8A));
  EXPECT_EQ(road_.meter.requestCount(0x8B), 0u);  // not before the first is taken
  EXPECT_FALSE(road_.panel->pollingRunning());
  ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
  EXPECT_TRUE(road_.panel->pollingRunning());
  EXPECT_FALSE(State().poll.timerWritePending());

  const auto r1 = road_.meter.requests(0x8A), r2 = road_.meter.requests(0x8B),
             r3 = road_.meter.requests(0x8C);
  ASSERT_EQ(r1.size(), 1u);
  ASSERT_EQ(r2.size(), 1u);
  ASSERT_EQ(r3.size(), 1u);
  EXPECT_GE(r2[0].time - r1[0].time, 300ms);
  // The third frame after the second.
  const std::vector<emu::Request> all = road_.meter.requests();
  const auto at = [&](int code) {
    return std::find_if(all.begin(), all.end(), [&](const emu::Request& q) { return q.ok() && q.code == code; });
  };
  EXPECT_LT(at(0x8B), at(0x8C));
  Bytes image = r1[0].params;
  image.insert(image.end(), r2[0].params.begin(), r2[0].params.end());
  image.insert(image.end(), r3[0].params.begin(), r3[0].params.end());
  const auto kept = road_.meter.settings().timers;
  EXPECT_EQ(image, Bytes(kept.begin(), kept.end()));
  EXPECT_EQ(image[0], 3);
  EXPECT_EQ(Bytes(image.begin() + 7, image.begin() + 11), (Bytes{0x00, 0x00, 0x05, 0x9F}));
  EXPECT_EQ(image[17], 5);
  EXPECT_EQ(Bytes(image.begin() + 32, image.begin() + 39), (Bytes{7, 30, 0, 0, 0, 75, 1}));
  EXPECT_EQ(image[18 + 7 * 5], 6);  // the meter's row kept

  openNode(texts().TxtTimers);  // loaded afresh and read back
  f = FormRegistry::find<TimerFrm>();
  ASSERT_TRUE(f);
  ASSERT_TRUE(road_.until([&] { return listPosition(f->TimerManuallyCbx) == 3; }));
  EXPECT_FALSE(f->PcPic->isHidden());
  EXPECT_EQ(f->PCRepeatCbx->currentText(), QStringLiteral("5"));
  EXPECT_EQ(f->PcStopHour[2]->text(), QStringLiteral("1"));
  EXPECT_EQ(f->PcEnCkx[2]->checkState(), Qt::Checked);
}

TEST_F(SettingsRoad2, TimerFrameAskedForAgainIsResentAndAMeterThatNeverAnswersTimesOut) {
  openNode(texts().TxtTimers);
  TimerFrm* f = FormRegistry::find<TimerFrm>();
  ASSERT_TRUE(f);
  ASSERT_TRUE(road_.until([&] { return listPosition(f->RepeatCntCbx) == 0; }));
  road_.meter.resendNext(0x8B);
  f->TimerBtn->click();
  ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
  const auto second = road_.meter.requests(0x8B);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].bytes, second[1].bytes);
  EXPECT_EQ(road_.meter.requestCount(0x8C), 1u);

  // The first frame is never acknowledged: polling is resumed by the link
  // watchdog, and the wait ends at its 300th receive tick with its message.
  road_.meter.neverAcknowledge(0x8A);
  f->TimerBtn->click();
  ASSERT_TRUE(road_.meter.waitForRequests(2, 0x8A));
  EXPECT_FALSE(road_.panel->pollingRunning());
  receiveTicks(299);
  EXPECT_EQ(static_cast<std::size_t>(road_.messages().size()), seen_);
  EXPECT_TRUE(road_.panel->pollingRunning());
  receiveTicks(1);
  EXPECT_EQ(nextMessage(), QStringLiteral("Set Timer Setting TimeOut !!!"));
  EXPECT_EQ(MsgBox::shown().back().icon, MsgIcon::Critical);
  EXPECT_FALSE(State().poll.timerWritePending());
  EXPECT_EQ(road_.meter.requestCount(0x8B), 2u);
}

TEST_F(SettingsRoad2, LedAlarmShowsWritesUpperFirstAndIsResentWhenAskedFor) {
  meterSettings([](emu::Settings& s) {
    s.ledAlarm[0] = 1;
    s.ledAlarm[2] = 130, s.ledAlarm[4] = 75;  // LAS
    s.ledAlarm[2 + 40] = 100;                 // PLEX8H upper
  });
  openNode(texts().TxtLEDAlarm);
  LEDAlarmFrm* f = FormRegistry::find<LEDAlarmFrm>();
  ASSERT_TRUE(f && f->isVisible());
  ASSERT_TRUE(road_.until([&] { return f->EnabledCbx->currentText() == QStringLiteral("ON"); }));
  EXPECT_EQ(f->UpperTxt[0]->text(), QStringLiteral("130"));
  EXPECT_EQ(f->LowerTxt[0]->text(), QStringLiteral("75"));
  EXPECT_EQ(f->UpperTxt[10]->text(), QStringLiteral("100"));

  setListPosition(f->EnabledCbx, 0);
  f->LowerTxt[0]->setText(QStringLiteral("72"));
  f->UpperTxt[10]->setText(QStringLiteral("140"));
  road_.meter.resendNext(0x87);
  f->LEDAlarmBtn->click();
  ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
  const auto sent = road_.meter.requests(0x87);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].bytes, sent[1].bytes);
  Bytes block{0x00, 0x00, 130, 0x00, 72};
  for (int q = 1; q < 11; ++q) {
    const auto meter = road_.meter.settings().ledAlarm;
    block.insert(block.end(), {0x00, q == 10 ? std::uint8_t{140} : meter[2 + 4 * q], 0x00, meter[4 + 4 * q]});
  }
  EXPECT_EQ(sent[1].bytes, emu::makeRequest(0x87, block));
  const auto kept = road_.meter.settings().ledAlarm;
  EXPECT_EQ(Bytes(kept.begin(), kept.end()), block);
  EXPECT_TRUE(road_.panel->pollingRunning());
}

TEST_F(SettingsRoad2, OneValueSettingsShowWriteAndReadBack) {
  meterSettings([](emu::Settings& s) {
    s.lcdContrast = 12;
    s.calibration = 1142;
    s.interval = 1800;
    s.autoScroll = 1;
  });
  struct Case {
    std::string UiText::*node;
    const char* shown;
    int pick;
    const char* picked;
    Bytes params;
  };
  const Case cases[] = {
      {&UiText::TxtLcdContrast, "3", 9, "10", {40}},
      {&UiText::TxtCalibration, "114.2", 5, "93.5", {0x03, 0xA7}},
      {&UiText::TxtIntervalTime, "30 Min", 4, "1 Hr", {0x10, 0x0E, 0x00, 0x00}},
      {&UiText::TxtAutoScrollScreens, "ON", 0, "OFF", {0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    for (int round = 0; round < 2; ++round) {  // shown, then read back after the write
      openNode(texts().*c.node);
      OneSetForm* f = FormRegistry::find<OneSetForm>();
      ASSERT_TRUE(f && f->isVisible());
      const QString want = QString::fromLatin1(round == 0 ? c.shown : c.picked);
      EXPECT_TRUE(road_.until([&] { return f->SetCbx->currentText() == want; }))
          << f->SetCbx->currentText().toStdString();
      if (round == 1) break;
      setListPosition(f->SetCbx, c.pick);
      f->SetBtn->click();
      ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
      EXPECT_EQ(lastParams(oneSetWriteCode(*oneSettingOf(State().flags))), c.params);
    }
  }
  EXPECT_EQ(State().records.IntervalSeconds, 3600);
  const emu::Settings s = road_.meter.settings();
  EXPECT_EQ(s.lcdContrast, 40);
  EXPECT_EQ(s.calibration, 935);
  EXPECT_EQ(s.interval, 3600u);
  EXPECT_EQ(s.autoScroll, 0);
}

TEST_F(SettingsRoad2, WelcomeTextAndLunchTimeShowWriteAndReadBack) {
  meterSettings([](emu::Settings& s) {
    s.welcome = emu::Settings::text<36>("Hello       World       Pr\xE4zise \x80   ");
    s.lunchTime = {1, 12, 30, 0, 13, 15, 0};
  });
  openNode(texts().TxtInputText);
  WelcomSetFrm* w = FormRegistry::find<WelcomSetFrm>();
  ASSERT_TRUE(w && w->isVisible());
  ASSERT_TRUE(road_.until([&] { return w->WelLineTxt[2]->text() == QStringLiteral("Präzise €   "); }));
  EXPECT_EQ(w->WelLineTxt[0]->text(), QStringLiteral("Hello       "));
  w->WelLineTxt[1]->setText(QStringLiteral("Größe"));
  w->SetBtn->click();
  ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
  const Bytes text = lastParams(0x8D);
  EXPECT_EQ(emu::makeRequest(0x8D, text), road_.meter.requests(0x8D).back().bytes);  // length byte 0x26
  EXPECT_EQ(Bytes(text.begin() + 12, text.begin() + 24),
            (Bytes{'G', 'r', 0xF6, 0xDF, 'e', ' ', ' ', ' ', ' ', ' ', ' ', ' '}));
  openNode(texts().TxtInputText);
  w = FormRegistry::find<WelcomSetFrm>();
  ASSERT_TRUE(w);
  EXPECT_TRUE(road_.until([&] { return w->WelLineTxt[1]->text() == QStringLiteral("Größe       "); }));

  openNode(texts().TxtLunchTime);
  LunchTimeFrm* l = FormRegistry::find<LunchTimeFrm>();
  ASSERT_TRUE(l && l->isVisible());
  ASSERT_TRUE(road_.until([&] { return l->CbxStopMinute->currentText() == QStringLiteral("15"); }));
  EXPECT_EQ(l->CbxEn->currentText(), QStringLiteral("Enabled"));
  EXPECT_EQ(l->CbxStartHour->currentText(), QStringLiteral("12"));
  EXPECT_EQ(l->CbxStartMinute->currentText(), QStringLiteral("30"));
  EXPECT_EQ(l->CbxStopHour->currentText(), QStringLiteral("13"));
  setListPosition(l->CbxStopHour, 14);
  setListPosition(l->CbxStopMinute, 0);
  l->BtnSet->click();
  ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
  const auto lunch = road_.meter.requests(0x90).back();
  EXPECT_EQ(lunch.params, (Bytes{1, 12, 30, 0, 14, 0, 0}));
  EXPECT_EQ(lunch.surplus, 1u);
  openNode(texts().TxtLunchTime);
  l = FormRegistry::find<LunchTimeFrm>();
  ASSERT_TRUE(l);
  EXPECT_TRUE(road_.until([&] { return l->CbxStopHour->currentText() == QStringLiteral("14"); }));
}

TEST_F(SettingsRoad2, EraseEmptiesTheMemoryAndRefusesSettingsUntilTheMeterReportsIt) {
  emu::GenerateOptions opt;
  opt.count = 3;
  opt.records = 10;
  road_.meter.generateMeasurements(opt);
  ASSERT_TRUE(road_.loadMemoryList());
  EXPECT_EQ(road_.panel->MSFlexGrid1->Rows(), 4);
  seen_ = static_cast<std::size_t>(road_.messages().size());

  road_.meter.setEraseTime(400ms);
  road_.panel->Toolbar1_ButtonClick(QStringLiteral("Clear"));
  ClearMemoryFrm* f = FormRegistry::find<ClearMemoryFrm>();
  ASSERT_TRUE(f && f->isVisible());
  f->ClearBtn->click();
  EXPECT_EQ(nextMessage(), QStringLiteral("Clear Memory are you sure?"));
  EXPECT_TRUE(State().poll.erasePending());
  openNode(texts().TxtLEDAlarm);  // refused while the meter erases
  EXPECT_EQ(nextMessage(), QStringLiteral("Memory Erasing ..."));
  EXPECT_FALSE(FormRegistry::loaded<LEDAlarmFrm>());
  EXPECT_EQ(nextMessage(), QStringLiteral("Clear OK !!!"));
  EXPECT_FALSE(State().poll.erasePending());
  EXPECT_EQ(road_.meter.measurementCount(), 0);

  ASSERT_TRUE(road_.loadMemoryList());
  EXPECT_EQ(road_.messages().last(), QStringLiteral("Memory Info No Data !!!"));
  EXPECT_EQ(road_.panel->MSFlexGrid1->Rows(), 1);
}

TEST_F(SettingsRoad2, AnEraseTheMeterNeverReportsEndsAfterItsTimeOut) {
  road_.meter.setEraseTime(10min);
  road_.panel->Toolbar1_ButtonClick(QStringLiteral("Clear"));
  FormRegistry::find<ClearMemoryFrm>()->ClearBtn->click();
  ASSERT_TRUE(road_.meter.waitForRequests(1, 0x0B));
  seen_ = static_cast<std::size_t>(road_.messages().size());
  // A meter that erases answers nothing: the silent line reads "Erasing ...".
  receiveTicks(120);
  EXPECT_EQ(road_.panel->statusPanelText(2), QStringLiteral("Erasing ..."));
  receiveTicks(PollLoop::kEraseWaitTicks - 121);
  EXPECT_TRUE(State().poll.erasePending());
  EXPECT_EQ(static_cast<std::size_t>(road_.messages().size()), seen_);
  receiveTicks(1);
  EXPECT_EQ(nextMessage(), QString::fromStdString(PollLoop::eraseTimeOutText()));
  EXPECT_FALSE(State().poll.erasePending());
  // The settings are open again.
  openNode(texts().TxtLEDAlarm);
  EXPECT_TRUE(FormRegistry::loaded<LEDAlarmFrm>());
}

}  // namespace
}  // namespace vkz
