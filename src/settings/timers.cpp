#include "settings/timers.h"

#include <cstdio>

#include "settings/boxvalue.h"

namespace vkz {
namespace {

std::vector<std::string> numberItems(int first, int count, const char* format) {
  std::vector<std::string> items;
  char buf[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(buf, sizeof buf, format, first + i);
    items.push_back(buf);
  }
  return items;
}

// A box's range: the box's text, its bounds and the message when outside.
struct RangeCheck {
  const std::string& text;
  int min, max;
  const std::string& message;
};

std::optional<std::string> firstOutOfRange(const TimerModel& m, const UiText& t) {
  const RangeCheck head[] = {
      {m.delayYear, 2016, 2100, t.TxtDelayYearRange},
      {m.delayMonth, 1, 12, t.TxtDelayMonthRange},
      {m.delayDay, 1, 31, t.TxtDelayDayRange},
      {m.delayHour, 0, 23, t.TxtDelayHourRange},
      {m.delayMinute, 0, 59, t.TxtDelayMinuteRange},
      {m.repeatStartHour, 0, 23, t.TxtRepeatStartHourRange},
      {m.repeatStartMinute, 0, 59, t.TxtRepeatStartMinuteRange},
      {m.repeatStopHour, 0, 23, t.TxtRepeatStopHourRange},
      {m.repeatStopMinute, 0, 59, t.TxtRepeatStopMinuteRange},
  };
  const auto outside = [](const RangeCheck& c) {
    const double v = boxValue(c.text);
    return v < c.min || v > c.max;
  };
  for (const RangeCheck& c : head)
    if (outside(c)) return c.message;
  for (const TimerRow& r : m.rows) {  // disabled rows too: the meter keeps them
    const RangeCheck row[] = {
        {r.startHour, 0, 23, t.TxtPCStartHourRange},
        {r.startMinute, 0, 59, t.TxtPCStartMinuteRange},
        {r.stopHour, 0, 23, t.TxtPCStopHourRange},
        {r.stopMinute, 0, 59, t.TxtPCStopMinuteRange},
    };
    for (const RangeCheck& c : row)
      if (outside(c)) return c.message;
  }
  return std::nullopt;
}

std::optional<std::string> firstWithoutSelection(const TimerModel& m, const UiText& t) {
  if (m.mode < 0 || m.mode >= kTimerModes) return nothingSelected(t.TxtMode);
  if (m.delayDurHour < 0 || m.delayDurHour > 23 || m.delayDurMin < 0 || m.delayDurMin > 59)
    return nothingSelected(t.TxtDelay + " " + t.TxtDuration);
  const int count = m.mode == 3 ? m.pcRepeat : m.repeatCount;
  if (count < 0 || count >= kTimerCounts)
    return nothingSelected(m.mode == 3 ? t.TxtPC + " " + t.TxtRepeat : t.TxtRepeat);
  return std::nullopt;
}

}  // namespace

TimerPanel timerPanel(int mode) {
  switch (mode) {
    case 1:
      return TimerPanel::ManuallyPic;
    case 2:
      return TimerPanel::RepeatPic;
    case 3:
      return TimerPanel::PcPic;
    default:
      return TimerPanel::None;
  }
}

std::vector<std::string> timerModeItems(const UiText& t) {
  return {t.TxtManually, t.TxtDelay, t.TxtRepeat, t.TxtPC};
}
std::vector<std::string> timerDurationHourItems() {
  return numberItems(0, 24, "%02d");
}
std::vector<std::string> timerDurationMinuteItems() {
  return numberItems(0, 60, "%02d");
}
std::vector<std::string> timerCountItems() {
  return numberItems(1, kTimerCounts, "%d");
}

void TimerModel::setRowEnable(int row, int value) {
  if (row < 0 || row >= kTimerRows) return;
  TimerRow& r = rows[static_cast<std::size_t>(row)];
  if (r.enable == value) return;
  r.enable = value;
  r.boxesEnabled = value == 1;
}

void TimerModel::apply(const TimerReadback& r) {
  const auto put = [](std::string& box, const std::optional<std::string>& v) {
    if (v) box = *v;
  };
  const auto pick = [](int& list, const std::optional<int>& v) {
    if (v) list = *v;
  };
  pick(mode, r.mode);
  put(delayYear, r.delayYear);
  put(delayMonth, r.delayMonth);
  put(delayDay, r.delayDay);
  put(delayHour, r.delayHour);
  put(delayMinute, r.delayMinute);
  pick(delayDurHour, r.delayDurHour);
  pick(delayDurMin, r.delayDurMin);
  put(repeatStartHour, r.repeatStartHour);
  put(repeatStartMinute, r.repeatStartMinute);
  put(repeatStopHour, r.repeatStopHour);
  put(repeatStopMinute, r.repeatStopMinute);
  pick(repeatCount, r.repeatCount);
  pick(pcRepeat, r.repeatCount);
  for (int k = 0; k < kTimerRows; ++k) {
    const TimerPcRowReadback& pc = r.pc[static_cast<std::size_t>(k)];
    TimerRow& row = rows[static_cast<std::size_t>(k)];
    put(row.startHour, pc.startHour);
    put(row.startMinute, pc.startMinute);
    put(row.stopHour, pc.stopHour);
    put(row.stopMinute, pc.stopMinute);
    if (!pc.enable) continue;
    setRowEnable(k, *pc.enable);
    if (*pc.enable == 1) row.boxesEnabled = true;
  }
}

SetOutcome<TimerSetting> timerSet(const TimerModel& m, const UiText& t, bool memoryErasing) {
  if (auto refusal = firstOutOfRange(m, t)) return SetOutcome<TimerSetting>::refuse(*refusal);
  if (auto refusal = firstWithoutSelection(m, t)) return SetOutcome<TimerSetting>::refuse(*refusal);
  if (memoryErasing) return SetOutcome<TimerSetting>::refuse(t.TxtMemoryErasing);

  TimerSetting r;
  r.TimerMode = m.mode;
  r.DelayYear = boxInt(m.delayYear);
  r.DelayMonth = boxInt(m.delayMonth);
  r.DelayDay = boxInt(m.delayDay);
  r.DelayHour = boxInt(m.delayHour);
  r.DelayMinute = boxInt(m.delayMinute);
  r.DelayDuration = m.delayDurHour * 60 + m.delayDurMin;
  r.RepeatStartHour = boxInt(m.repeatStartHour);
  r.RepeatStartMinute = boxInt(m.repeatStartMinute);
  r.RepeatDuration = boxInt(m.repeatStopHour) * 60 + boxInt(m.repeatStopMinute);
  r.RepeatCount = (m.mode == 3 ? m.pcRepeat : m.repeatCount) + 1;
  for (std::size_t k = 0; k < kTimerRows; ++k) {
    const TimerRow& row = m.rows[k];
    r.PcStartHour[k] = boxInt(row.startHour);
    r.PcStartMinute[k] = boxInt(row.startMinute);
    r.PcDuration[k] = boxInt(row.stopHour) * 60 + boxInt(row.stopMinute);
    r.PcEnable[k] = row.enable;
  }
  return SetOutcome<TimerSetting>::accept(r);
}

}  // namespace vkz
