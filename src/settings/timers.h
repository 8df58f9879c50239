// The meter's start/stop timers. Four modes: Manually (no timer), Delay (one
// run from a date and time, for a duration), Repeat (a run at a time of day,
// for a duration, a number of times) and PC (a schedule of sixteen rows,
// each a time of day, a duration and an enable box, repeated a number of
// times). The meter keeps every field whatever the mode, so every field is
// checked and written whatever the mode. The "Stop" boxes hold durations,
// not clock times.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "polling/readbacks.h"
#include "link/settingblocks.h"
#include "settings/setoutcome.h"
#include "shell/uitext.h"

namespace vkz {

inline constexpr int kTimerModes = 4;  // Manually, Delay, Repeat, PC
inline constexpr int kTimerRows = 16;
inline constexpr int kTimerCounts = 99;  // the count lists hold "1".."99"

// The panel a mode shows: position 1 ManuallyPic (the Delay fields),
// 2 RepeatPic, 3 PcPic; Manually (and no mode) shows none.
enum class TimerPanel { None, ManuallyPic, RepeatPic, PcPic };
TimerPanel timerPanel(int mode);

// List items: the modes from the text table, the delay duration's hours
// "00".."23" and minutes "00".."59" (position = value), the counts
// "1".."99" (position = count - 1).
std::vector<std::string> timerModeItems(const UiText& t);
std::vector<std::string> timerDurationHourItems();
std::vector<std::string> timerDurationMinuteItems();
std::vector<std::string> timerCountItems();

// One schedule row: start time, duration (hours and minutes) and enable.
struct TimerRow {
  std::string startHour = "0", startMinute = "0", stopHour = "0", stopMinute = "0";
  int enable = 0;             // check box value: 0 off, 1 on (2 greyed)
  bool boxesEnabled = false;  // the four boxes take input
};

// The timer window's entries: list positions (-1: no item selected) and the
// texts of the number boxes, as they stand after loading.
struct TimerModel {
  int mode = -1;
  std::string delayYear = "2016", delayMonth = "4", delayDay = "1", delayHour = "4", delayMinute = "1";
  int delayDurHour = -1, delayDurMin = -1;
  std::string repeatStartHour = "4", repeatStartMinute = "1", repeatStopHour = "4", repeatStopMinute = "1";
  int repeatCount = -1;  // RepeatCntCbx: runs of Repeat
  int pcRepeat = -1;     // PCRepeatCbx: repetitions of the PC schedule
  std::array<TimerRow, kTimerRows> rows;

  // A row's enable box: a change enables the row's boxes for 1 and
  // disables them otherwise; their texts stay.
  void setRowEnable(int row, int value);

  // The meter's timers (reply 0x0A), member by member; an absent member
  // keeps what the window shows. A row whose enable box then holds 1 has
  // its boxes enabled.
  void apply(const TimerReadback& r);
};

// The Set button. Every box is checked in order, row 0 to 15 for the rows
// (a box's value is the number its text begins with, 0 for none), each with
// its text-table range message; then every list the record needs must have
// an item selected (the mode, the delay duration, the count of the mode);
// then an erase must not be pending. The record is whole or absent.
SetOutcome<TimerSetting> timerSet(const TimerModel& m, const UiText& t, bool memoryErasing);

}  // namespace vkz
