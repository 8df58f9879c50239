// Where the reply decoder puts the meter's settings: one interface per kind
// of setting window, which that window implements. The decoder turns each
// settings reply into a typed value (readbacks.h) and hands it over; the
// window writes it into its controls, letting each control's own handler
// run as it is set (a list position runs the list's change handler before
// the next value is set).
//
// The program installs one provider per kind at start-up (ReadbackWindows).
// A provider gives the window's interface, or nullptr: then the reply is
// dropped, as when the window is not there. Which flag gates which reply,
// and in which order the values come, is the decoder's business; a window
// only shows what it is given.
#pragma once
#include <array>
#include <functional>
#include <string>

#include "polling/readbacks.h"

namespace vkz {

// The one-value setting window (`OneSetForm`, its list `SetCbx`): replies
// 0x01, 0x03, 0x06, 0x08, 0x09 (only while the matching selector flag is
// set), 0x13 and 0x15.
class OneValueView {
 public:
  virtual ~OneValueView() = default;
  // Sets the list position (-1 clears the selection). False, and the list
  // as it was, when the list has no such position.
  virtual bool showValue(int position) = 0;
};

// The clock window (`RTCFrm`): the meter clock of reply 0x02 in
// `MeterTimeNowLbl`, and the PC clock the poll tick writes in
// `PcTimeNowLbl`, both as "2018/05/23 08:05:56".
class ClockView {
 public:
  virtual ~ClockView() = default;
  virtual void showMeterTime(const std::string& text) = 0;
  virtual void showPcTime(const std::string& text) = 0;
};

// The welcome-text window (`WelcomSetFrm`): reply 0x10, the three lines of
// 12 characters for `WelLineTxt(0..2)` (trailing blanks kept).
class WelcomeTextView {
 public:
  virtual ~WelcomeTextView() = default;
  virtual void showWelcomeText(const std::array<std::string, 3>& lines) = 0;
};

// The lunch-time window (`LunchTimeFrm`): reply 0x14. The window sets, in
// this order, `CbxEn`, `CbxStartHour`, `CbxStartMinute`, `CbxStopHour` and
// `CbxStopMinute` to the given positions; a position a list lacks leaves
// that list as it was and the next one is set.
class LunchTimeView {
 public:
  virtual ~LunchTimeView() = default;
  virtual void showLunchTime(const LunchTimeReadback& lunch) = 0;
};

// The main window's meter-name panel (`SNPic` with its box `SNTxt`): reply
// 0x11, only while the panel is shown.
class MeterNameView {
 public:
  virtual ~MeterNameView() = default;
  virtual bool meterNameShown() const = 0;
  virtual void showMeterName(const std::string& name) = 0;
};

// The dose-channel window (`KalvoxFrm`): reply 0x04. The window sets, for
// D1, D2, D3 in turn, the channel's lists in the order of the members of
// DoseChannelReadback (enable, standard, time weighting, threshold,
// criterion, exchange rate, exceedance, PW hour, PW minute), so the enable
// and standard handlers run before the channel's own values overwrite the
// standard's defaults; a member without a value leaves its list as it was.
class DoseView {
 public:
  virtual ~DoseView() = default;
  virtual void showDoseChannels(const std::array<DoseChannelReadback, 3>& channels) = 0;
};

// The screen window (`ScreenFrm`): reply 0x05. The window sets the
// positions in the order given (UpPageCbx(0), DownPageCbx(0),
// UpPageCbx(1) ...); the list ends where the reply stopped, later lines keep
// their positions. The channel lists are not touched.
class ScreenView {
 public:
  virtual ~ScreenView() = default;
  virtual void showScreens(const ScreenReadback& screens) = 0;
};

// The LED alarm window (`LEDAlarmFrm`): reply 0x07. The window writes
// UpperTxt(q) and LowerTxt(q) for q = 0..10 in turn (a limit without a value
// and every one after it keep their texts), then sets `EnabledCbx` to
// enablePosition.
class LedAlarmView {
 public:
  virtual ~LedAlarmView() = default;
  virtual void showLedAlarm(const LedAlarmReadback& alarm) = 0;
};

// The timer window (`TimerFrm`): reply 0x0A, only while the window is open.
// The window applies the members of TimerReadback in their order (the mode
// first, so its handler shows the mode's panel), each PC row's boxes, then
// its check box, then (enableBoxes) enables the row's four boxes; a member
// without a value, and every one after it, keeps what the window shows.
class TimerView {
 public:
  virtual ~TimerView() = default;
  virtual void showTimers(const TimerReadback& timers) = 0;
};

// The providers the program installs at start-up. Each returns the
// window's interface, or nullptr. The first five and the timer window's
// give a window only while it is loaded (a reply never loads them); the
// dose-channel, screen and LED alarm windows are loaded (hidden) by the
// reply when they are not: their providers load the window on demand.
struct ReadbackWindows {
  std::function<OneValueView*()> oneValue;
  std::function<ClockView*()> clock;
  std::function<WelcomeTextView*()> welcomeText;
  std::function<LunchTimeView*()> lunchTime;
  std::function<MeterNameView*()> meterName;
  std::function<TimerView*()> timers;
  std::function<DoseView*()> dose;          // loads KalvoxFrm
  std::function<ScreenView*()> screens;     // loads ScreenFrm
  std::function<LedAlarmView*()> ledAlarm;  // loads LEDAlarmFrm
};

}  // namespace vkz
