#include "settings/timers.h"

#include <gtest/gtest.h>

#include <functional>

#include "settingstest.h"

using namespace vkz;
using vkz::test::english;
using vkz::test::hex;

namespace {

// A window the meter has filled: every list has an item.
TimerModel filled() {
  TimerModel m;
  m.mode = 0;
  m.delayDurHour = 0;
  m.delayDurMin = 0;
  m.repeatCount = 0;
  m.pcRepeat = 0;
  return m;
}

std::vector<std::uint8_t> image(const TimerSetting& r) {
  std::vector<std::uint8_t> b;
  for (int part = 1; part <= 3; ++part) {
    const auto p = *PackTimers(r, part);
    b.insert(b.end(), p.begin(), p.end());
  }
  return b;
}

}  // namespace

TEST(TimerSet, EveryBoxIsRangeCheckedInOrderAtBothBounds) {
  struct Box {
    std::function<std::string&(TimerModel&)> box;
    int min, max;
    const char* message;
  };
  const Box boxes[] = {
      {[](TimerModel& m) -> std::string& { return m.delayYear; }, 2016, 2100,
       "Delay Year Range : 2016 ~ 2100 !!!"},
      {[](TimerModel& m) -> std::string& { return m.delayMonth; }, 1, 12, "Delay Month Range : 1 ~ 12 !!!"},
      {[](TimerModel& m) -> std::string& { return m.delayDay; }, 1, 31, "Delay Day Range : 1 ~ 31 !!!"},
      {[](TimerModel& m) -> std::string& { return m.delayHour; }, 0, 23, "Delay Hour Range : 0 ~ 23 !!!"},
      {[](TimerModel& m) -> std::string& { return m.delayMinute; }, 0, 59, "Delay Minute Range : 0 ~ 59 !!!"},
      {[](TimerModel& m) -> std::string& { return m.repeatStartHour; }, 0, 23,
       "Repeat Start Hour Range : 0 ~ 23 !!!"},
      {[](TimerModel& m) -> std::string& { return m.repeatStartMinute; }, 0, 59,
       "Repeat Start Minute Range : 0 ~ 59 !!!"},
      {[](TimerModel& m) -> std::string& { return m.repeatStopHour; }, 0, 23,
       "Repeat Stop Hour Range : 0 ~ 23 !!!"},
      {[](TimerModel& m) -> std::string& { return m.repeatStopMinute; }, 0, 59,
       "Repeat Stop Minute Range : 0 ~ 59 !!!"},
      {[](TimerModel& m) -> std::string& { return m.rows[9].startHour; }, 0, 23,
       "PC Start Hour Range : 0 ~ 23 !!!"},
      {[](TimerModel& m) -> std::string& { return m.rows[9].startMinute; }, 0, 59,
       "PC Start Minute Range : 0 ~ 59 !!!"},
      {[](TimerModel& m) -> std::string& { return m.rows[9].stopHour; }, 0, 23,
       "PC Stop Hour Range : 0 ~ 23 !!!"},
      {[](TimerModel& m) -> std::string& { return m.rows[15].stopMinute; }, 0, 59,
       "PC Stop Minute Range : 0 ~ 59 !!!"},
  };
  for (std::size_t i = 0; i < std::size(boxes); ++i) {
    const Box& b = boxes[i];
    for (int v : {b.min - 1, b.min, b.max, b.max + 1}) {
      TimerModel m = filled();
      b.box(m) = std::to_string(v);
      const bool inside = v >= b.min && v <= b.max;
      // Every later box is out of range too: only the first failure shows.
      for (std::size_t j = i + 1; j < std::size(boxes); ++j) boxes[j].box(m) = "99999";
      const auto out = timerSet(m, english(), false);
      if (inside && i + 1 == std::size(boxes)) {
        EXPECT_TRUE(out.record) << b.message << " " << v;
      } else {
        EXPECT_EQ(out.refusal, inside ? boxes[i + 1].message : b.message) << v;
        EXPECT_FALSE(out.record);
      }
    }
  }
}

TEST(TimerSet, EmptyBoxesReadZeroAndHiddenFieldsCountToo) {
  const UiText& t = english();
  TimerModel m = filled();
  m.delayHour = "";
  EXPECT_TRUE(timerSet(m, t, false).record);
  for (auto box : {&TimerModel::delayYear, &TimerModel::delayMonth, &TimerModel::delayDay}) {
    TimerModel e = filled();
    e.*box = "";
    EXPECT_FALSE(timerSet(e, t, false).record);
  }
  m = filled();
  m.delayMonth = "2";
  m.delayDay = "31";  // no calendar check
  EXPECT_TRUE(timerSet(m, t, false).record);
  m.delayYear = "2015";  // mode Manually: the Delay panel is hidden, but checked
  EXPECT_EQ(timerSet(m, t, false).refusal, "Delay Year Range : 2016 ~ 2100 !!!");
  EXPECT_EQ(timerSet(m, t, true).refusal, "Delay Year Range : 2016 ~ 2100 !!!");  // before the erase test
  EXPECT_EQ(timerSet(filled(), t, true).refusal, "Memory Erasing ...");
}

TEST(TimerSet, AListWithoutAnItemIsRefusedBeforeAnythingIsArmed) {
  const UiText& t = english();
  struct Case {
    const char* what;
    std::function<void(TimerModel&)> change;
    const char* message;
  };
  const Case cases[] = {
      {"no mode", [](TimerModel& m) { m.mode = -1; }, "Mode : nothing selected !!!"},
      {"no such mode", [](TimerModel& m) { m.mode = 4; }, "Mode : nothing selected !!!"},
      {"no duration hour", [](TimerModel& m) { m.delayDurHour = -1; },
       "Delay Duration : nothing selected !!!"},
      {"no duration minute", [](TimerModel& m) { m.delayDurMin = -1; },
       "Delay Duration : nothing selected !!!"},
      {"no repeat count", [](TimerModel& m) { m.mode = 2, m.repeatCount = -1; },
       "Repeat : nothing selected !!!"},
      {"no PC count", [](TimerModel& m) { m.mode = 3, m.pcRepeat = -1; }, "PC Repeat : nothing selected !!!"},
      {"the count PC mode does not use", [](TimerModel& m) { m.mode = 3, m.repeatCount = -1; }, ""},
  };
  for (const Case& c : cases) {
    TimerModel m = filled();
    c.change(m);
    const auto out = timerSet(m, t, false);
    EXPECT_EQ(out.refusal, c.message) << c.what;
    EXPECT_EQ(out.record.has_value(), *c.message == 0) << c.what;
  }
  // A window the meter never answered: the first list named.
  EXPECT_EQ(timerSet(TimerModel{}, t, false).refusal, "Mode : nothing selected !!!");
}

TEST(TimerSet, PacksTheRecordWhateverTheMode) {
  TimerModel m = filled();
  m.delayDurHour = 23;
  m.delayDurMin = 59;
  m.repeatCount = 1;  // "2"
  m.pcRepeat = 4;     // "5"
  m.rows[2] = {"7", "30", "1", "15", 1, true};
  const int counts[] = {2, 2, 2, 5};
  for (int mode = 0; mode < 4; ++mode) {
    m.mode = mode;
    const auto r = timerSet(m, english(), false).record;
    ASSERT_TRUE(r);
    EXPECT_EQ(r->TimerMode, mode);
    EXPECT_EQ(r->RepeatCount, counts[mode]) << mode;
  }
  const auto r = *timerSet(m, english(), false).record;
  EXPECT_EQ(r.DelayYear, 2016);
  EXPECT_EQ(r.DelayDuration, 1439);
  EXPECT_EQ(r.RepeatDuration, 241);  // "4" h "1" min
  EXPECT_EQ(r.PcDuration[2], 75);
  EXPECT_EQ(r.PcEnable[2], 1);
  EXPECT_EQ(r.PcEnable[3], 0);  // a disabled row is packed all the same
  const auto img = image(r);
  EXPECT_EQ(hex({img.begin() + 7, img.begin() + 11}), "00 00 05 9F");
  EXPECT_EQ(hex({img.begin() + 32, img.begin() + 39}), "07 1E 00 00 00 4B 01");
  EXPECT_EQ(BuildRequest(0x8A, *PackTimers(r, 1), 0x2F).size(), 51u);
  EXPECT_EQ(BuildRequest(0x8B, *PackTimers(r, 2), 0x32).size(), 54u);
  EXPECT_EQ(BuildRequest(0x8C, *PackTimers(r, 3), 0x24).size(), 40u);
}

TEST(TimerModel, MeterValuesFillTheWindowAndRoundTrip) {
  TimerSetting s;
  s.TimerMode = 3;
  s.DelayYear = 2024, s.DelayMonth = 5, s.DelayDay = 6, s.DelayHour = 7, s.DelayMinute = 30;
  s.DelayDuration = 125;
  s.RepeatStartHour = 8, s.RepeatStartMinute = 15, s.RepeatDuration = 600, s.RepeatCount = 12;
  for (std::size_t k = 0; k < 16; ++k) {
    s.PcStartHour[k] = static_cast<int>(k);
    s.PcStartMinute[k] = static_cast<int>(3 * k);
    s.PcDuration[k] = static_cast<std::int32_t>(30 + k);
    s.PcEnable[k] = k % 2 ? 1 : 0;
  }
  TimerModel m;
  m.rows[1].enable = 1;  // already on: its boxes are enabled all the same
  const auto img = image(s);
  m.apply(*decodeTimers(Payload(img.data(), img.size())));
  EXPECT_EQ(timerPanel(m.mode), TimerPanel::PcPic);
  EXPECT_EQ(m.delayYear, "2024");
  EXPECT_EQ(m.delayDurHour, 2);
  EXPECT_EQ(m.delayDurMin, 5);
  EXPECT_EQ(m.repeatStopHour, "10");
  EXPECT_EQ(m.repeatCount, 11);
  EXPECT_EQ(m.pcRepeat, 11);
  EXPECT_TRUE(m.rows[1].boxesEnabled);
  EXPECT_FALSE(m.rows[2].boxesEnabled);
  EXPECT_EQ(m.rows[15].stopMinute, "45");
  const auto out = timerSet(m, english(), false);
  ASSERT_TRUE(out.record) << out.refusal;
  EXPECT_EQ(image(*out.record), img);

  // The row box: a change enables or disables the four boxes.
  m.setRowEnable(1, 0);
  EXPECT_FALSE(m.rows[1].boxesEnabled);
  EXPECT_EQ(m.rows[1].startHour, "1");
  EXPECT_EQ(timerPanel(1), TimerPanel::ManuallyPic);
  EXPECT_EQ(timerPanel(0), TimerPanel::None);
  EXPECT_EQ(timerModeItems(english()), (std::vector<std::string>{"Manually", "Delay", "Repeat", "PC"}));
  EXPECT_EQ(timerDurationMinuteItems().back(), "59");
  EXPECT_EQ(timerCountItems().size(), 99u);
}
