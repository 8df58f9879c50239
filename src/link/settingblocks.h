// The settings records: the parameter blocks of the meter's write requests.
// The setting windows fill them, the request builders (frames.h) pack them
// onto the line, and the reply decoder re-sends the last one when the meter
// asks. The program keeps one SettingsRecords among its program-wide records
// (ProgramState).
//
// Fields the meter takes as one byte hold 0..255; 16-bit fields 0..32767;
// 32-bit fields 0..2147483647. They are plain ints here so that a value
// outside its field is never wrapped silently by an assignment: the request
// builder refuses the whole record instead and writes nothing.
#pragma once
#include <array>
#include <cstdint>

namespace vkz {

// Meter clock, sent by the clock window.
struct MeterClock {
  int ClockYear = 0;  // 16-bit
  int ClockMonth = 0;
  int ClockDay = 0;
  int ClockHour = 0;
  int ClockMinute = 0;
  int ClockSecond = 0;
};

// The three dose channels. Standard index 0..18 in the order of the
// standards table; time weighting 0 SLOW, 1 FAST, 2 IMPULSE; levels in dB;
// enable 0 disabled, 1 enabled (channel 1 is always enabled); PW duration
// in minutes (16-bit).
struct DoseSetting {
  int Meter1Stand = 0, Meter1TW = 0, Meter1T = 0, Meter1Q = 0, Meter1ER = 0, Meter1Exceed = 0;
  int Meter1PW = 0;
  int Meter2En = 0;
  int Meter2Stand = 0, Meter2TW = 0, Meter2T = 0, Meter2Q = 0, Meter2ER = 0, Meter2Exceed = 0;
  int Meter2PW = 0;
  int Meter3En = 0;
  int Meter3Stand = 0, Meter3TW = 0, Meter3T = 0, Meter3Q = 0, Meter3ER = 0, Meter3Exceed = 0;
  int Meter3PW = 0;
};

// Bytes 0..11: dose channel of meter pages 3..14; 12..23 their upper-line
// quantity codes; 24..35 their lower-line quantity codes.
using ScreenBytes = std::array<int, 36>;

// LED alarm: enable 0 OFF / 1 ON; upper and lower limits in dB (16-bit) of
// the eleven alarm quantities; element 11 is never sent.
struct LedAlarmSetting {
  int AlarmEnable = 0;
  std::array<int, 12> AlarmUpper{};
  std::array<int, 12> AlarmLower{};
};

// Start/stop timers: mode 0 Manually, 1 Delay, 2 Repeat, 3 PC. Durations in
// minutes (32-bit); DelayYear 16-bit; repeat count 1..99; 16 PC rows.
struct TimerSetting {
  int TimerMode = 0;
  int DelayYear = 0;
  int DelayMonth = 0, DelayDay = 0, DelayHour = 0, DelayMinute = 0;
  std::int32_t DelayDuration = 0;
  int RepeatStartHour = 0, RepeatStartMinute = 0;
  std::int32_t RepeatDuration = 0;
  int RepeatCount = 0;
  std::array<int, 16> PcStartHour{};
  std::array<int, 16> PcStartMinute{};
  std::array<std::int32_t, 16> PcDuration{};
  std::array<int, 16> PcEnable{};
};

// Lunch time: enable, start hour, start minute, 0, stop hour, stop minute, 0.
using LunchTimeBytes = std::array<int, 7>;

// The records the program keeps: the last one each window packed. All zero
// at start; a window's Set overwrites its record whole before the write.
struct SettingsRecords {
  DoseSetting DoseRecord;
  ScreenBytes ScreenRecord{};
  LedAlarmSetting LedAlarmRecord;
  TimerSetting TimerRecord;
  LunchTimeBytes LunchTimeRecord{};
  std::int32_t IntervalSeconds = 0;  // logging interval in seconds
};

}  // namespace vkz
