#include "settings/onevalue.h"

#include <gtest/gtest.h>

#include "polling/readbacks.h"
#include "settingstest.h"
#include "base/numfmt.h"
#include "unit/polling/bytes.h"

using namespace vkz;
using vkz::test::english;
using vkz::test::hex;

TEST(OneSet, ValuesSentForListPositions) {
  const UiText& t = english();
  using S = OneSetting;
  struct Case {
    S setting;
    int position;
    std::int32_t value;
  };
  const Case cases[] = {
      {S::LcdContrast, 0, 4},     {S::LcdContrast, 9, 40},    {S::LcdAPO, 0, 0},
      {S::LcdAPO, 5, 5},          {S::AutoLockKeypad, 1, 1},  {S::AutoScroll, 0, 0},
      {S::Pause, 1, 1},           {S::Calibration, 0, 930},   {S::Calibration, 29, 959},
      {S::Calibration, 30, 1130}, {S::Calibration, 59, 1159}, {S::Calibration, 60, 0},
      {S::IntervalTime, 0, 60},   {S::IntervalTime, 5, 7200},
  };
  for (const Case& c : cases) {
    const auto out = oneSet(c.setting, c.position, t, false);
    EXPECT_EQ(out.record, c.value) << static_cast<int>(c.setting) << " " << c.position;
  }
  // Nothing selected, or past the list: "Set Error !!!" and nothing sent,
  // the logging interval included.
  for (S s : {S::LcdContrast, S::Calibration, S::IntervalTime, S::Pause}) {
    EXPECT_EQ(oneSet(s, -1, t, false).refusal, "Set Error !!!");
    EXPECT_FALSE(oneSet(s, static_cast<int>(oneSetItems(s, t).size()), t, false).record);
  }
  EXPECT_EQ(oneSet(S::Pause, 0, t, true).refusal, "Memory Erasing ...");

  // The frames the values go out in: 93.0 dB, 115.9 dB, 2 hours.
  const auto be = [](std::int32_t v) {
    return std::vector<std::uint8_t>{static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v & 0xFF)};
  };
  EXPECT_EQ(hex(BuildRequest(0x8F, be(*oneSet(S::Calibration, 0, t, false).record), 3)),
            "02 00 03 8F 03 A2 2D");
  EXPECT_EQ(hex(be(*oneSet(S::Calibration, 59, t, false).record)), "04 87");
  const auto seconds = *oneSet(S::IntervalTime, 5, t, false).record;
  EXPECT_EQ(
      hex(BuildRequest(
          0x91, {static_cast<std::uint8_t>(seconds & 0xFF), static_cast<std::uint8_t>(seconds >> 8), 0, 0}, 5,
          4)),
      "02 00 05 91 20 1C 00 00 A8 00 00 00 00");
}

TEST(OneSet, ItemsCaptionsAndCodes) {
  const UiText& t = english();
  using S = OneSetting;
  EXPECT_EQ(oneSetItems(S::LcdAPO, t),
            (std::vector<std::string>{"OFF", "5 Sec", "10 Sec", "20 Sec", "1 Min", "5 Min"}));
  EXPECT_EQ(oneSetItems(S::IntervalTime, t).back(), "2 Hr");
  EXPECT_EQ(oneSetItems(S::LcdContrast, t).back(), "10");
  EXPECT_EQ(oneSetCaption(S::AutoScroll, t), "Auto Scroll Screens");
  const std::pair<S, int> codes[] = {{S::AutoLockKeypad, 0x88}, {S::AutoScroll, 0x89}, {S::LcdAPO, 0x83},
                                     {S::LcdContrast, 0x81},    {S::Pause, 0x86},      {S::Calibration, 0x8F},
                                     {S::IntervalTime, 0x91}};
  for (auto [s, code] : codes) EXPECT_EQ(oneSetWriteCode(s), code);

  // A translated "OFF" changes the on/off lists, not the calibration's last item.
  UiText de = t;
  de.TxtOFF = "AUS";
  EXPECT_EQ(oneSetItems(S::Pause, de).front(), "AUS");
  EXPECT_EQ(oneSetItems(S::Calibration, de).back(), "OFF");

  WindowFlags f;
  EXPECT_EQ(oneSettingOf(f), std::nullopt);
  f.OneSetIntervalTime = -1;
  f.OneSetAutoScroll = -1;
  EXPECT_EQ(oneSettingOf(f), S::AutoScroll);  // tested in the table's order
}

TEST(OneSet, CalibrationLevelsInTheUsersDecimalMark) {
  const UiText& t = english();
  setDecimalSeparator(',');
  const auto items = oneSetItems(OneSetting::Calibration, t);
  const auto value = oneSet(OneSetting::Calibration, 5, t, false).record;
  // The meter's level finds its item by number under the same mark.
  const auto pos = calibrationListPosition(vkz::test::Bytes{0x04, 0x7E});  // 115.0
  setDecimalSeparator('.');
  ASSERT_EQ(items.size(), 61u);
  EXPECT_EQ(items[0], "93,0");
  EXPECT_EQ(items[59], "115,9");
  EXPECT_EQ(items[60], "OFF");
  EXPECT_EQ(value, 935);
  ASSERT_TRUE(pos);
  EXPECT_EQ(items[static_cast<std::size_t>(*pos)], "115,0");
}
