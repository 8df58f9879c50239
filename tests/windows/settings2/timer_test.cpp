// The timer window: its design values and mode panels, the range checks of
// every box with their messages at both bounds of each range, the refusal
// of a Set whose lists show no item (nothing armed, nothing sent), the
// first of the three frames and the armed wait, and the meter's timers
// shown in the window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/frames.h"
#include "polling/readbacks.h"
#include "settings/win/timerfrm.h"
#include "settings2_env.h"
#include "support/common/engine_clock.h"
#include "support/common/meter_erase.h"
#include "support/common/qt_app.h"
#include "ui/formregistry.h"
#include "ui/listpos.h"

namespace vkz {
namespace {

class TimerWindow : public test::WindowsTest {
 protected:
  TimerFrm* open() { return FormRegistry::get<TimerFrm>(); }
  // Every list with an item, as after the meter's reply.
  TimerFrm* filled(int mode = 0) {
    TimerFrm* f = open();
    setListPosition(f->TimerManuallyCbx, mode);
    setListPosition(f->DelayDurHourCbx, 0);
    setListPosition(f->DelayDurMinCbx, 0);
    setListPosition(f->RepeatCntCbx, 0);
    setListPosition(f->PCRepeatCbx, 0);
    return f;
  }
  static QLineEdit* box(TimerFrm* f, const char* name) {
    return f->findChild<QLineEdit*>(QLatin1String(name));
  }
  static bool armed() { return State().poll.timerWritePending(); }
};

TEST_F(TimerWindow, LoadsWithItsDesignValuesAndShowsThePanelOfTheMode) {
  TimerFrm* f = open();
  EXPECT_EQ(State().flags.TimerFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("Timers"));
  ASSERT_EQ(f->TimerManuallyCbx->count(), 4);
  EXPECT_EQ(f->TimerManuallyCbx->itemText(0), QStringLiteral("Manually"));
  EXPECT_EQ(f->TimerManuallyCbx->itemText(3), QStringLiteral("PC"));
  EXPECT_EQ(f->RepeatCntCbx->count(), 99);
  EXPECT_EQ(f->DelayDurHourCbx->itemText(23), QStringLiteral("23"));
  EXPECT_EQ(f->DelayDurMinCbx->itemText(5), QStringLiteral("05"));
  for (QComboBox* l :
       {f->TimerManuallyCbx, f->DelayDurHourCbx, f->DelayDurMinCbx, f->RepeatCntCbx, f->PCRepeatCbx})
    EXPECT_EQ(listPosition(l), -1) << l->objectName().toStdString();
  EXPECT_EQ(f->DelayYearTxt->text(), QStringLiteral("2016"));
  EXPECT_EQ(f->RepeatStopMinuteTxt->text(), QStringLiteral("1"));
  EXPECT_EQ(f->StopSSF->title(), QStringLiteral("Duration"));
  EXPECT_EQ(f->RepeatStopTimeSSF->title(), QStringLiteral("Duration"));

  const auto shown = [f] {
    return std::array<bool, 3>{!f->ManuallyPic->isHidden(), !f->RepeatPic->isHidden(), !f->PcPic->isHidden()};
  };
  EXPECT_EQ(shown(), (std::array<bool, 3>{false, false, false}));
  const std::array<bool, 3> panels[] = {
      {false, false, false}, {true, false, false}, {false, true, false}, {false, false, true}};
  for (int mode : {3, 1, 2, 0}) {
    setListPosition(f->TimerManuallyCbx, mode);
    EXPECT_EQ(shown(), panels[mode]) << mode;
  }

  // A row's box enables its four boxes; their texts stay when it is cleared.
  EXPECT_FALSE(f->PcStopMinute[4]->isEnabled());
  f->PcEnCkx[4]->click();
  for (QLineEdit* b : {f->PcStartHour[4], f->PcStartMinute[4], f->PcStopHour[4], f->PcStopMinute[4]})
    EXPECT_TRUE(b->isEnabled());
  f->PcStopHour[4]->setText(QStringLiteral("7"));
  f->PcEnCkx[4]->click();
  EXPECT_FALSE(f->PcStopHour[4]->isEnabled());
  EXPECT_EQ(f->PcStopHour[4]->text(), QStringLiteral("7"));

  f->ExitBtn->click();
  EXPECT_EQ(State().flags.TimerFrmOpen, 0);
}

TEST_F(TimerWindow, EveryBoxIsCheckedWithItsMessageAtBothBoundsWhateverTheMode) {
  linkLine();
  test::EngineClock clock;
  struct Range {
    const char* box;
    int min, max;
    const char* message;
  };
  // In the order of the checks; the schedule rows' boxes for every row.
  const Range ranges[] = {
      {"DelayYearTxt", 2016, 2100, "Delay Year Range : 2016 ~ 2100 !!!"},
      {"DelayMonthTxt", 1, 12, "Delay Month Range : 1 ~ 12 !!!"},
      {"DelayDayTxt", 1, 31, "Delay Day Range : 1 ~ 31 !!!"},
      {"DelayHourTxt", 0, 23, "Delay Hour Range : 0 ~ 23 !!!"},
      {"DelayMinuteTxt", 0, 59, "Delay Minute Range : 0 ~ 59 !!!"},
      {"RepeatStartHourTxt", 0, 23, "Repeat Start Hour Range : 0 ~ 23 !!!"},
      {"RepeatStartMinuteTxt", 0, 59, "Repeat Start Minute Range : 0 ~ 59 !!!"},
      {"RepeatStopHourTxt", 0, 23, "Repeat Stop Hour Range : 0 ~ 23 !!!"},
      {"RepeatStopMinuteTxt", 0, 59, "Repeat Stop Minute Range : 0 ~ 59 !!!"},
      {"PcStartHour_0", 0, 23, "PC Start Hour Range : 0 ~ 23 !!!"},
      {"PcStartMinute_0", 0, 59, "PC Start Minute Range : 0 ~ 59 !!!"},
      {"PcStopHour_9", 0, 23, "PC Stop Hour Range : 0 ~ 23 !!!"},
      {"PcStopMinute_15", 0, 59, "PC Stop Minute Range : 0 ~ 59 !!!"},
  };
  struct Case {
    const char* box;
    QString text;
    const char* message;  // "" accepted
  };
  std::vector<Case> cases;
  for (const Range& r : ranges) {
    cases.push_back({r.box, QString::number(r.min - 1), r.message});
    cases.push_back({r.box, QString::number(r.min), ""});
    cases.push_back({r.box, QString::number(r.max), ""});
    cases.push_back({r.box, QString::number(r.max + 1), r.message});
  }
  cases.push_back({"DelayYearTxt", QString(), "Delay Year Range : 2016 ~ 2100 !!!"});  // empty reads 0
  cases.push_back({"DelayHourTxt", QString(), ""});
  cases.push_back({"DelayDayTxt", QStringLiteral("31"), ""});  // no calendar: February 31 too
  for (int mode = 0; mode < 4; ++mode) {                       // Manually hides every box, Delay the rows
    TimerFrm* f = filled(mode);
    for (const Case& c : cases) {
      clock.ticks(PollLoop::kTimerWaitTicks);  // the last case's write, never acknowledged, ends
      MsgBox::resetTestRecords();
      QLineEdit* b = box(f, c.box);
      const QString before = b->text();
      b->setText(c.text);
      f->TimerBtn->click();
      b->setText(before);
      const bool refused = *c.message != 0;
      SCOPED_TRACE(std::string(c.box) + " '" + c.text.toStdString() + "' mode " + std::to_string(mode));
      EXPECT_EQ(messages(), refused ? QStringList{QString::fromLatin1(c.message)} : QStringList{});
      if (refused) {
        EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
      }
      EXPECT_EQ(armed(), !refused);
      EXPECT_EQ(State().poll.running(), refused);
    }
  }
}

TEST_F(TimerWindow, NothingIsArmedOrSentForAListWithoutAnItemOrWhileErasing) {
  linkLine();
  struct Case {
    const char* what;
    std::function<void(TimerFrm*)> set;
    const char* message;
  };
  const Case cases[] = {
      {"the meter never answered", [](TimerFrm*) {}, "Mode : nothing selected !!!"},
      {"no delay duration",
       [](TimerFrm* f) {
         setListPosition(f->TimerManuallyCbx, 1);
         setListPosition(f->DelayDurMinCbx, 0);
       },
       "Delay Duration : nothing selected !!!"},
      {"no count of Repeat",
       [](TimerFrm* f) {
         setListPosition(f->TimerManuallyCbx, 2);
         setListPosition(f->DelayDurHourCbx, 0);
         setListPosition(f->DelayDurMinCbx, 0);
       },
       "Repeat : nothing selected !!!"},
      {"erasing, after the checks",
       [this](TimerFrm* f) {
         setListPosition(f->TimerManuallyCbx, 0);
         setListPosition(f->DelayDurHourCbx, 0);
         setListPosition(f->DelayDurMinCbx, 0);
         setListPosition(f->RepeatCntCbx, 0);
         ASSERT_TRUE(test::startErase());
         written();  // the erase request
       },
       "Memory Erasing ..."},
  };
  for (const Case& c : cases) {
    MsgBox::resetTestRecords();
    FormRegistry::unload<TimerFrm>();
    TimerFrm* f = open();
    c.set(f);
    f->TimerBtn->click();
    EXPECT_EQ(messages(), QStringList{QString::fromLatin1(c.message)}) << c.what;
    EXPECT_FALSE(armed()) << c.what;
    EXPECT_TRUE(State().poll.running()) << c.what;
    EXPECT_EQ(written(), "") << c.what;
  }
}

TEST_F(TimerWindow, SetSendsTheFirstFrameAndLeavesTheWaitArmedWithPollingPaused) {
  linkLine();
  test::EngineClock clock;
  TimerFrm* f = filled(3);
  setListPosition(f->DelayDurHourCbx, 23);
  setListPosition(f->DelayDurMinCbx, 59);
  setListPosition(f->RepeatCntCbx, 1);  // "2": not the count of PC
  setListPosition(f->PCRepeatCbx, 4);   // "5"
  f->PcEnCkx[2]->click();
  f->PcStartHour[2]->setText(QStringLiteral("7"));
  f->PcStartMinute[2]->setText(QStringLiteral("30"));
  f->PcStopMinute[2]->setText(QStringLiteral("15"));
  f->TimerBtn->click();

  TimerSetting want;
  want.TimerMode = 3;
  want.DelayYear = 2016, want.DelayMonth = 4, want.DelayDay = 1, want.DelayHour = 4, want.DelayMinute = 1;
  want.DelayDuration = 1439;
  want.RepeatStartHour = 4, want.RepeatStartMinute = 1, want.RepeatDuration = 241, want.RepeatCount = 5;
  want.PcStartHour[2] = 7, want.PcStartMinute[2] = 30, want.PcDuration[2] = 15, want.PcEnable[2] = 1;
  const Frame frame = BuildRequest(0x8A, *PackTimers(want, 1), 0x2F);
  ASSERT_EQ(frame.size(), 51u);
  EXPECT_EQ(written(), hex(frame));
  EXPECT_NE(hex(frame).find("00 00 05 9F"), std::string::npos);  // the delay of 23 h 59 min
  EXPECT_TRUE(messages().isEmpty());
  EXPECT_TRUE(armed());
  EXPECT_FALSE(State().poll.running());
  EXPECT_EQ(State().records.TimerRecord.RepeatCount, 5);
  // The wait runs its full length from this write on, then polling runs
  // again (its message goes to the main window, not loaded here).
  clock.ticks(PollLoop::kTimerWaitTicks - 1);
  EXPECT_TRUE(armed());
  clock.ticks(1);
  EXPECT_FALSE(armed());
  EXPECT_TRUE(State().poll.running());
}

TEST_F(TimerWindow, MeterTimersFillTheWindow) {
  TimerSetting s;
  s.TimerMode = 2;
  s.DelayYear = 2024, s.DelayMonth = 5, s.DelayDay = 6, s.DelayHour = 30, s.DelayMinute = 0;
  s.DelayDuration = 125;
  s.RepeatStartHour = 30, s.RepeatStartMinute = 15, s.RepeatDuration = 241, s.RepeatCount = 12;
  for (std::size_t r = 0; r < 16; ++r) {
    s.PcStartHour[r] = static_cast<int>(r), s.PcStartMinute[r] = 60, s.PcDuration[r] = 90;
  }
  s.PcEnable[1] = 1, s.PcEnable[3] = 1, s.PcEnable[5] = 2;
  const auto image = [](const TimerSetting& t) {
    std::vector<std::uint8_t> b;
    for (int part = 1; part <= 3; ++part) {
      const auto p = *PackTimers(t, part);
      b.insert(b.end(), p.begin(), p.end());
    }
    return b;
  };
  TimerFrm* f = open();
  f->PcEnCkx[1]->click();  // already on: its boxes end enabled all the same
  auto img = image(s);
  f->showTimers(*decodeTimers(Payload(img.data(), img.size())));

  EXPECT_FALSE(f->RepeatPic->isHidden());
  EXPECT_TRUE(f->ManuallyPic->isHidden());
  EXPECT_EQ(f->DelayYearTxt->text(), QStringLiteral("2024"));
  EXPECT_EQ(f->DelayHourTxt->text(), QStringLiteral("30"));  // shown as received
  EXPECT_EQ(f->DelayDurHourCbx->currentText(), QStringLiteral("02"));
  EXPECT_EQ(f->DelayDurMinCbx->currentText(), QStringLiteral("05"));
  EXPECT_EQ(f->RepeatStartHourTxt->text(), QStringLiteral("0"));  // above 23
  EXPECT_EQ(f->RepeatStartMinuteTxt->text(), QStringLiteral("15"));
  EXPECT_EQ(f->RepeatStopHourTxt->text(), QStringLiteral("4"));
  EXPECT_EQ(f->RepeatStopMinuteTxt->text(), QStringLiteral("1"));
  EXPECT_EQ(f->RepeatCntCbx->currentText(), QStringLiteral("12"));
  EXPECT_EQ(f->PCRepeatCbx->currentText(), QStringLiteral("12"));
  EXPECT_EQ(f->PcStartHour[9]->text(), QStringLiteral("9"));
  EXPECT_EQ(f->PcStartMinute[9]->text(), QStringLiteral("0"));  // above 59
  EXPECT_EQ(f->PcStopHour[9]->text(), QStringLiteral("1"));
  EXPECT_EQ(f->PcStopMinute[9]->text(), QStringLiteral("30"));
  for (int r : {1, 3}) {
    EXPECT_EQ(f->PcEnCkx[static_cast<std::size_t>(r)]->checkState(), Qt::Checked) << r;
    EXPECT_TRUE(f->PcStopMinute[static_cast<std::size_t>(r)]->isEnabled()) << r;
  }
  EXPECT_EQ(f->PcEnCkx[5]->checkState(), Qt::PartiallyChecked);
  EXPECT_FALSE(f->PcStartHour[5]->isEnabled());
  EXPECT_FALSE(f->PcStartHour[0]->isEnabled());
  f->PcEnCkx[5]->click();  // the user's click turns a greyed box on, never back to grey
  EXPECT_EQ(f->PcEnCkx[5]->checkState(), Qt::Checked);
  f->PcEnCkx[5]->click();
  f->PcEnCkx[5]->click();
  EXPECT_EQ(f->PcEnCkx[5]->checkState(), Qt::Checked);

  // The hour of 30 the meter holds is refused by the next Set.
  f->TimerBtn->click();
  EXPECT_EQ(messages(), QStringList{QStringLiteral("Delay Hour Range : 0 ~ 23 !!!")});

  // A repeat count of 0 leaves both count lists without an item.
  s.RepeatCount = 0;
  img = image(s);
  f->showTimers(*decodeTimers(Payload(img.data(), img.size())));
  EXPECT_EQ(listPosition(f->RepeatCntCbx), -1);
  EXPECT_EQ(listPosition(f->PCRepeatCbx), -1);
}

}  // namespace
}  // namespace vkz
