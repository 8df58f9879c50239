#include <gtest/gtest.h>

#include "settings/ledalarm.h"
#include "settings/lunchtime.h"
#include "settingstest.h"
#include "unit/polling/bytes.h"

using namespace vkz;
using vkz::test::english;
using vkz::test::frameHex;
using vkz::test::hex;

TEST(LedAlarmSet, LimitsWithinSeventyToOneFortyFirstFailureOnly) {
  const UiText& t = english();
  struct Case {
    const char* what;
    int quantity;
    bool upper;
    const char* text;
    const char* message;  // empty: accepted
  };
  const Case cases[] = {
      {"lower 70", 0, false, "70", ""},
      {"upper 140", 10, true, "140", ""},
      {"lower 69", 0, false, "69", "LAS Lower Limit Range : 70 ~ 140 !!!"},
      {"upper 141", 1, true, "141", "LAEQ Upper Limit Range : 70 ~ 140 !!!"},
      {"lower 141", 10, false, "141", "PLEX8H Lower Limit Range : 70 ~ 140 !!!"},
      {"upper 69", 4, true, "69", "LAVG Upper Limit Range : 70 ~ 140 !!!"},
      {"empty reads 0", 2, false, "", "LCPK Lower Limit Range : 70 ~ 140 !!!"},
      {"lower above upper is sent as entered", 3, false, "130", ""},
  };
  for (const Case& c : cases) {
    LedAlarmModel m;
    m.enable = 1;
    (c.upper ? m.upper : m.lower)[static_cast<std::size_t>(c.quantity)] = c.text;
    const auto out = ledAlarmSet(m, t, false);
    EXPECT_EQ(out.refusal, c.message) << c.what;
    EXPECT_EQ(out.record.has_value(), *c.message == 0) << c.what;
  }
  LedAlarmModel m;
  m.enable = 0;
  m.upper[1] = "200";
  m.lower[0] = "10";
  EXPECT_EQ(ledAlarmSet(m, t, false).refusal, "LAS Lower Limit Range : 70 ~ 140 !!!");
  EXPECT_EQ(ledAlarmSet(m, t, true).refusal, "Memory Erasing ...");
  EXPECT_EQ(alarmname(10, t), "PLEX8H");
  EXPECT_EQ(alarmname(11, t), "");
  EXPECT_EQ(alarmname(-1, t), "");
}

TEST(LedAlarmSet, SwitchMustBeChosenAndTheBlockIsPackedUpperFirst) {
  LedAlarmModel m;  // loaded: limits 80 / 120, the switch without a position
  EXPECT_EQ(ledAlarmSet(m, english(), false).refusal, "Enabled : nothing selected !!!");
  m.enable = 1;
  const auto r = ledAlarmSet(m, english(), false).record;
  ASSERT_TRUE(r);
  std::string expected = "01";
  for (int q = 0; q < 11; ++q) expected += " 00 78 00 50";
  EXPECT_EQ(hex(*PackLedAlarm(*r)), expected);

  // The meter's values, then the switch; a limit that did not fit keeps the box.
  vkz::test::Bytes p(45);
  for (std::size_t q = 0; q < 11; ++q) p.be16(1 + 4 * q, 140).be16(3 + 4 * q, 75);
  p.be16(1 + 4 * 6, 0x8000);
  LedAlarmModel back;
  back.apply(*decodeLedAlarm(p));
  EXPECT_EQ(back.upper[5], "140");
  EXPECT_EQ(back.lower[5], "75");
  EXPECT_EQ(back.upper[6], "120");
  EXPECT_EQ(back.enable, 0);
  EXPECT_EQ(ledAlarmEnableItems(english()), (std::vector<std::string>{"OFF", "ON"}));
}

TEST(LunchTime, RecordFramesAndReadBack) {
  LunchTimeModel m;
  EXPECT_FALSE(lunchTimeRecord(m));  // nothing chosen: nothing sent
  m = {1, 12, 0, 13, 30};
  const auto r = lunchTimeRecord(m);
  ASSERT_TRUE(r);
  EXPECT_EQ(frameHex(0x90, *PackLunchTime(*r), 1), "02 00 08 90 01 0C 00 00 0D 1E 00 86 00");
  EXPECT_EQ(hex(*PackLunchTime(*lunchTimeRecord({0, 0, 0, 0, 0}))), "00 00 00 00 00 00 00");
  EXPECT_TRUE(lunchTimeRecord({1, 13, 0, 12, 0}));  // stop before start: as entered
  EXPECT_FALSE(lunchTimeRecord({1, 24, 0, 12, 0}));

  LunchTimeModel back{1, 5, 5, 5, 5};
  back.apply(*decodeLunchTime(vkz::test::Bytes{0x02, 0x19, 0x45, 0x07, 0x25, 0x61, 0x09}));
  EXPECT_EQ(back.enable, 0);
  EXPECT_EQ(back.startHour, 0);
  EXPECT_EQ(back.startMinute, 0);
  EXPECT_EQ(back.stopHour, 0);
  EXPECT_EQ(back.stopMinute, 0);
  EXPECT_EQ(lunchHourItems().back(), "23");
  EXPECT_EQ(lunchMinuteItems()[5], "5");
}
