// TimerFrm: the timer window. The meter starts and stops its measurement
// runs in one of four modes: Manually (no timer), Delay (one run from a
// date and time, for a duration), Repeat (a run at a time of day, for a
// duration, a number of times) and PC (a schedule of sixteen rows, each a
// time of day, a duration and an enable box, repeated a number of times).
// The mode list shows the panel of the chosen mode; the meter keeps every
// field whatever the mode, so Set checks and writes every field.
//
// The timer record (130 bytes) goes to the meter in three frames: Set
// sends the first (0x8A) and leaves polling paused; the reply decoder sends
// the second (0x8B) when the meter has taken the first, the third (0x8C)
// when it has taken the second, and resumes polling with "Set OK !!!" when
// it has taken the third. A meter that never answers ends the wait after
// 300 receive ticks with "Set Timer Setting TimeOut !!!".
#pragma once
#include <array>

#include "polling/readbackviews.h"
#include "settings/timers.h"
#include "settings/win/settingwindow.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vkz {

class TimerFrm : public SettingWindow, public TimerView {
  Q_OBJECT
 public:
  TimerFrm();  // Form_Load

  // Shows the panel of the chosen mode (none for Manually).
  void TimerManuallyCbx_Click();
  // Enables schedule row `index`'s four boxes when its box holds 1, else
  // disables them; their texts stay.
  void PcEnCkx_Click(int index);
  // Checks every field, packs TimerRecord and sends its first frame.
  void TimerBtn_Click();

  // TimerView: the meter's reply 0x0A.
  void showTimers(const TimerReadback& timers) override;

  // The entries as they stand: list positions, box texts, row boxes.
  TimerModel entries() const;

  QLabel* ModeLbl = nullptr;
  QComboBox* TimerManuallyCbx = nullptr;

  QFrame* ManuallyPic = nullptr;  // the Delay mode's fields
  QLabel *DelayYearLbl = nullptr, *DelayMonthLbl = nullptr, *DelayDayLbl = nullptr, *DelayHourLbl = nullptr,
         *DelayMinuteLbl = nullptr;
  QLineEdit *DelayYearTxt = nullptr, *DelayMonthTxt = nullptr, *DelayDayTxt = nullptr,
            *DelayHourTxt = nullptr, *DelayMinuteTxt = nullptr;
  QLabel *DelayDurLbl = nullptr, *DelayDurHourLbl = nullptr, *DelayDurMinuteLbl = nullptr;
  QComboBox *DelayDurHourCbx = nullptr, *DelayDurMinCbx = nullptr;

  QFrame* RepeatPic = nullptr;
  QGroupBox *RepeatStartTimeSSF = nullptr, *RepeatStopTimeSSF = nullptr;
  QLabel *RepeatStartHourLbl = nullptr, *RepeatStartMinuteLbl = nullptr, *RepeatStopHourLbl = nullptr,
         *RepeatStopMinuteLbl = nullptr;
  QLineEdit *RepeatStartHourTxt = nullptr, *RepeatStartMinuteTxt = nullptr, *RepeatStopHourTxt = nullptr,
            *RepeatStopMinuteTxt = nullptr;
  QLabel* RepeatCntLbl = nullptr;
  QComboBox* RepeatCntCbx = nullptr;

  QFrame* PcPic = nullptr;
  QGroupBox *EnabledSSF = nullptr, *StartSSF = nullptr, *StopSSF = nullptr;
  QLabel *PcStartHourLbl = nullptr, *PcStartMinuteLbl = nullptr, *PcStopHourLbl = nullptr,
         *PcStopMinuteLbl = nullptr;
  std::array<QLineEdit*, kTimerRows> PcStartHour{}, PcStartMinute{}, PcStopHour{}, PcStopMinute{};
  std::array<QCheckBox*, kTimerRows> PcEnCkx{};
  QLabel* PCRepeatLbl = nullptr;
  QComboBox* PCRepeatCbx = nullptr;

  QPushButton* TimerBtn = nullptr;
  QPushButton* ExitBtn = nullptr;

 private:
  void makeDelayPanel(QWidget* parent);
  void makeRepeatPanel(QWidget* parent);
  void makePcPanel(QWidget* parent);
  // Writes `m` into the controls, running the lists' and boxes' handlers.
  void showEntries(const TimerModel& m);
  void setRowBoxesEnabled(int row, bool enabled);
};

void ApplyTimerFrmText(TimerFrm& f);

}  // namespace vkz
