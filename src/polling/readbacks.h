// The meter's answers to the setting read requests, turned into what the
// setting windows show: list positions and texts. Each function takes the
// payload as received and returns nothing (std::nullopt) when the payload is
// shorter than its layout; the window then stays as it was.
//
// A list position follows the old list boxes: -1 clears the selection,
// 0 .. count - 1 selects an item. A field whose value has no place in its
// list is reported as std::nullopt ("leave that list alone") inside a
// result, or resolved by the reply's error regime where the reply has one.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "polling/payload.h"

namespace vkz {

// Item counts of the one-value list of each setting.
inline constexpr int kContrastItems = 10;     // levels 1 .. 10
inline constexpr int kApoItems = 6;           // OFF, 5 s, 10 s, 20 s, 1 min, 5 min
inline constexpr int kOnOffItems = 2;         // OFF, ON (pause, keypad lock, auto scroll)
inline constexpr int kCalibrationItems = 61;  // 93.0 .. 95.9, 113.0 .. 115.9, OFF
inline constexpr int kIntervalItems = 6;      // 1 min, 5 min, 10 min, 30 min, 1 h, 2 h

// Replies 0x01, 0x03, 0x06, 0x08, 0x09: the position of the one-value list.
// A value outside the list gives position 0 (the list's first item).
// Contrast: byte / 4 - 1, a half to the even neighbour (4 -> 0, 40 -> 9,
// 10 -> 2, 0 -> -1). The others: the byte itself.
std::optional<int> contrastListPosition(Payload p);
std::optional<int> apoListPosition(Payload p);
std::optional<int> onOffListPosition(Payload p);

// Reply 0x13: the calibration list position. A level of the list selects
// its item; any other level (0 among them) selects "OFF", the last item.
std::optional<int> calibrationListPosition(Payload p);
// The calibration list's item texts ("93.0" .. "115.9", "OFF").
std::string calibrationItemText(int position);

// Reply 0x15: the logging interval, 32-bit little-endian seconds.
struct IntervalReadback {
  // The new IntervalSeconds; nullopt when the value does not fit 32 signed
  // bits (IntervalSeconds then keeps its value).
  std::optional<std::int32_t> seconds;
  // 60, 300, 600, 1800, 3600, 7200 give 0 .. 5; any other leaves the list.
  std::optional<int> position;
};
std::optional<IntervalReadback> decodeInterval(Payload p);

// Reply 0x02: the meter clock. A year that does not fit leaves ClockYear as
// it was, and the label is not written.
using ClockReply = MeterDateTime;
std::optional<ClockReply> decodeClock(Payload p);
// The clock label: "2018/05/23 08:05:56"; nullopt when the year did not fit.
std::optional<std::string> clockLabelText(const ClockReply& c);

// Reply 0x10: the three 12-character lines of the welcome text.
std::optional<std::array<std::string, 3>> decodeWelcomeText(Payload p);
// Reply 0x11: the 12-character meter name.
std::optional<std::string> decodeMeterName(Payload p);

// Reply 0x14: lunch time. `record` is the new LunchTimeRecord with every
// field out of range (enable above 1, hour above 23, minute above 59) put to
// 0; the five list positions are its bytes 0, 1, 2, 4 and 5.
struct LunchTimeReadback {
  std::array<std::uint8_t, 7> record{};
  int enable = 0, startHour = 0, startMinute = 0, stopHour = 0, stopMinute = 0;
};
std::optional<LunchTimeReadback> decodeLunchTime(Payload p);

// ---- Whole-window read-backs ------------------------------------------

// Reply 0x04: the three dose channels. Positions are applied in the order of
// the members, channel by channel (enable first, then the standard, so the
// standard's defaults are overwritten by the meter's values). nullopt: the
// value has no place in the list, that list stays as it was.
struct DoseChannelReadback {
  std::optional<int> enable;  // D1: always 1 (Enabled)
  std::optional<int> standard, timeWeighting, threshold, criterion, exchangeRate, exceedance;
  std::optional<int> pwHour, pwMinute;
};
std::optional<std::array<DoseChannelReadback, 3>> decodeDoseChannels(Payload p);

// Screen quantity code -> position of the 107-item screen lists (OFF at
// 106); nullopt for a code that stands for no quantity (18, 33, 106 .. 129
// and above 132): reading it as a neighbouring quantity would show, and
// later write back, a quantity the meter never had.
std::optional<int> screenCodePosition(int code);

// Reply 0x05: positions for UpPageCbx(k) and DownPageCbx(k), k = 0 .. 11, in
// the order up(0), down(0), up(1), ...; nullopt for a code without a
// quantity, whose list keeps its position while the other lines are still
// set. The channel byte of each page is the position of KalvoxCbx(k) when it
// is 0 .. 2 (D1 .. D3); any other byte leaves that list alone.
struct ScreenReadback {
  std::array<std::uint8_t, 12> channel{};
  std::array<std::optional<int>, 24> positions{};
};
std::optional<ScreenReadback> decodeScreens(Payload p);

// Reply 0x07: the LED alarm. Texts for UpperTxt(q) / LowerTxt(q) in the order
// upper(0), lower(0), upper(1), ...; the reply stops at the first limit that
// does not fit (nullopt there and after, boxes keep their texts). The enable
// list ends on position 0 (OFF) after such a stop or for an enable byte
// above 1, else on the byte.
struct LedAlarmReadback {
  std::array<std::optional<std::string>, 11> upper, lower;
  int enablePosition = 0;
};
std::optional<LedAlarmReadback> decodeLedAlarm(Payload p);

// Reply 0x0A: the timers. Members are applied in order; the reply stops at
// the first value without a place (mode above 3, a year or duration that
// does not fit, a delayed-run duration of 24 h or more, a repeat count above
// 99, a PC enable above 2): that member and all after it are nullopt and the
// window keeps their values.
struct TimerPcRowReadback {
  std::optional<std::string> startHour, startMinute, stopHour, stopMinute;
  std::optional<int> enable;  // check-box value 0, 1 or 2
  // True when the row's four boxes are to be enabled (enable value 1).
  bool enableBoxes = false;
};
struct TimerReadback {
  std::optional<int> mode;
  std::optional<std::string> delayYear, delayMonth, delayDay, delayHour, delayMinute;
  std::optional<int> delayDurHour, delayDurMin;
  std::optional<std::string> repeatStartHour, repeatStartMinute, repeatStopHour, repeatStopMinute;
  std::optional<int> repeatCount;  // both repeat-count lists; -1 clears
  std::array<TimerPcRowReadback, 16> pc;
};
std::optional<TimerReadback> decodeTimers(Payload p);

}  // namespace vkz
