#include "polling/readbacks.h"

#include <cmath>

#include "polling/replies.h"
#include "polling/textforms.h"

namespace vkz {
namespace {

// A list position is accepted from -1 (clears the selection) to count - 1.
std::optional<int> listPos(int pos, int count) {
  if (pos < -1 || pos >= count) return std::nullopt;
  return pos;
}

// One-value lists under "first item and stop": a position that fails
// selects the first item instead.
int orFirstItem(int pos, int count) {
  return listPos(pos, count).value_or(0);
}

// The hour and minute fields of the timers show "0" when out of range.
std::string hourText(std::uint8_t b) {
  return b > 23 ? "0" : decimalText(b);
}
std::string minuteText(std::uint8_t b) {
  return b > 59 ? "0" : decimalText(b);
}

}  // namespace

std::optional<int> contrastListPosition(Payload p) {
  if (p.size() < 1) return std::nullopt;
  // The meter stores contrast codes 4, 8 .. 40; code / 4 - 1 is the level's
  // position, a half going to the even neighbour.
  int pos = static_cast<int>(std::nearbyint(p[0] / 4.0 - 1.0));
  return orFirstItem(pos, kContrastItems);
}

std::optional<int> apoListPosition(Payload p) {
  if (p.size() < 1) return std::nullopt;
  return orFirstItem(p[0], kApoItems);
}

std::optional<int> onOffListPosition(Payload p) {
  if (p.size() < 1) return std::nullopt;
  return orFirstItem(p[0], kOnOffItems);
}

std::optional<int> calibrationListPosition(Payload p) {
  if (p.size() < kCalibrationLength) return std::nullopt;
  // Level in 0.1 dB, big-endian; 0 means OFF. Values that are not items of
  // the list (0, out-of-range levels, values past 16 signed bits) end on
  // "OFF", the last item.
  std::uint32_t level = be16(p, 0);
  if (level >= 930 && level <= 959) return static_cast<int>(level - 930);
  if (level >= 1130 && level <= 1159) return static_cast<int>(level - 1130 + 30);
  return kCalibrationItems - 1;
}

std::string calibrationItemText(int position) {
  if (position >= 0 && position < 30) return tenthsText(930 + position);
  if (position >= 30 && position < 60) return tenthsText(1130 + position - 30);
  return "OFF";
}

std::optional<IntervalReadback> decodeInterval(Payload p) {
  if (p.size() < kIntervalLength) return std::nullopt;
  IntervalReadback r;
  r.seconds = fitSigned32(le32(p, 0));
  if (r.seconds) {
    static const std::int32_t kSeconds[kIntervalItems] = {60, 300, 600, 1800, 3600, 7200};
    for (int i = 0; i < kIntervalItems; ++i)
      if (*r.seconds == kSeconds[i]) r.position = i;
  }
  return r;
}

std::optional<ClockReply> decodeClock(Payload p) {
  if (p.size() < kClockLength) return std::nullopt;
  return readDateTime(p, 0);
}

std::optional<std::string> clockLabelText(const ClockReply& c) {
  if (!c.year) return std::nullopt;
  return dateTimeText(*c.year, c.month, c.day, c.hour, c.minute, c.second);
}

std::optional<std::array<std::string, 3>> decodeWelcomeText(Payload p) {
  if (p.size() < kWelcomeTextLength) return std::nullopt;
  return std::array<std::string, 3>{payloadText(p, 0, 12), payloadText(p, 12, 12), payloadText(p, 24, 12)};
}

std::optional<std::string> decodeMeterName(Payload p) {
  if (p.size() < kMeterNameLength) return std::nullopt;
  return payloadText(p, 0, kMeterNameLength);
}

std::optional<LunchTimeReadback> decodeLunchTime(Payload p) {
  if (p.size() < kLunchTimeLength) return std::nullopt;
  LunchTimeReadback r;
  for (std::size_t i = 0; i < 7; ++i) r.record[i] = p[i];
  if (r.record[0] > 1) r.record[0] = 0;
  if (r.record[1] > 23) r.record[1] = 0;
  if (r.record[2] > 59) r.record[2] = 0;
  if (r.record[4] > 23) r.record[4] = 0;
  if (r.record[5] > 59) r.record[5] = 0;
  r.enable = r.record[0];
  r.startHour = r.record[1];
  r.startMinute = r.record[2];
  r.stopHour = r.record[4];
  r.stopMinute = r.record[5];
  return r;
}

std::optional<std::array<DoseChannelReadback, 3>> decodeDoseChannels(Payload p) {
  if (p.size() < kDoseLength) return std::nullopt;
  std::array<DoseChannelReadback, 3> r;
  // D1 has no enable byte; D2 and D3 start with theirs.
  const std::size_t fieldsAt[3] = {0, 9, 18};
  for (int ch = 0; ch < 3; ++ch) {
    DoseChannelReadback& c = r[static_cast<size_t>(ch)];
    std::size_t o = fieldsAt[ch];
    c.enable = ch == 0 ? std::optional<int>(1) : listPos(p[o - 1], 2);
    c.standard = listPos(p[o], 19);
    c.timeWeighting = listPos(p[o + 1], 3);
    c.threshold = listPos(p[o + 2] - 70, 21);         // 70 .. 90 dB
    c.criterion = listPos(p[o + 3] - 70, 21);         // 70 .. 90 dB
    c.exchangeRate = listPos(p[o + 4] - 3, 4);        // 3 .. 6 dB
    c.exceedance = listPos((p[o + 5] - 70) / 5, 15);  // 70 .. 140 dB by 5, truncated
    if (auto pw = fitSigned16(be16(p, o + 6))) {      // PW duration in minutes
      c.pwHour = listPos(*pw / 60, 25);
      c.pwMinute = listPos(*pw % 60 / 5, 12);
    }
  }
  return r;
}

std::optional<int> screenCodePosition(int code) {
  // The meter numbers the quantities with gaps at 18, 33 and 106 .. 129.
  if (code >= 0 && code <= 17) return code;
  if (code >= 19 && code <= 32) return code - 1;
  if (code >= 34 && code <= 105) return code - 2;
  if (code >= 130 && code <= 132) return code - 26;
  return std::nullopt;
}

std::optional<ScreenReadback> decodeScreens(Payload p) {
  if (p.size() < kScreensLength) return std::nullopt;
  ScreenReadback r;
  for (std::size_t k = 0; k < 12; ++k) {
    r.channel[k] = p[3 * k];
    r.positions[2 * k] = screenCodePosition(p[3 * k + 1]);
    r.positions[2 * k + 1] = screenCodePosition(p[3 * k + 2]);
  }
  return r;
}

std::optional<LedAlarmReadback> decodeLedAlarm(Payload p) {
  if (p.size() < kLedAlarmLength) return std::nullopt;
  LedAlarmReadback r;
  for (std::size_t q = 0; q < 11; ++q) {
    auto up = fitSigned16(be16(p, 1 + 4 * q));
    if (!up) return r;  // enable stays on OFF
    r.upper[q] = decimalText(*up);
    auto low = fitSigned16(be16(p, 3 + 4 * q));
    if (!low) return r;
    r.lower[q] = decimalText(*low);
  }
  r.enablePosition = p[0] <= 1 ? p[0] : 0;
  return r;
}

std::optional<TimerReadback> decodeTimers(Payload p) {
  if (p.size() < kTimersLength) return std::nullopt;
  TimerReadback r;
  // Each step either fills its members or ends the reply (return r).
  if (p[0] > 3) return r;
  r.mode = p[0];
  auto year = fitSigned16(be16(p, 1));
  if (!year) return r;
  r.delayYear = decimalText(*year);
  r.delayMonth = decimalText(p[3]);
  r.delayDay = decimalText(p[4]);
  r.delayHour = decimalText(p[5]);
  r.delayMinute = decimalText(p[6]);
  auto delay = fitSigned32(be32(p, 7));  // delayed-run duration, minutes
  if (!delay || *delay / 60 > 23) return r;
  r.delayDurHour = *delay / 60;
  r.delayDurMin = *delay % 60;
  r.repeatStartHour = hourText(p[11]);
  r.repeatStartMinute = minuteText(p[12]);
  auto repeat = fitSigned32(be32(p, 13));  // repeat run duration, minutes
  if (!repeat) return r;
  r.repeatStopHour = decimalText(*repeat / 60);
  r.repeatStopMinute = decimalText(*repeat % 60);
  if (p[17] > 99) return r;
  r.repeatCount = p[17] - 1;  // a count of 0 clears both lists
  for (std::size_t row = 0; row < 16; ++row) {
    TimerPcRowReadback& pc = r.pc[row];
    std::size_t o = 18 + 7 * row;
    pc.startHour = hourText(p[o]);
    pc.startMinute = minuteText(p[o + 1]);
    auto run = fitSigned32(be32(p, o + 2));
    if (!run) return r;
    pc.stopHour = decimalText(*run / 60);
    pc.stopMinute = decimalText(*run % 60);
    if (p[o + 6] > 2) return r;
    pc.enable = p[o + 6];
    pc.enableBoxes = p[o + 6] == 1;
  }
  return r;
}

}  // namespace vkz
