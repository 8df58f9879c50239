#include "settings/screens.h"

#include <gtest/gtest.h>

#include <set>

#include "settingstest.h"
#include "unit/polling/bytes.h"

using namespace vkz;
using vkz::test::english;

TEST(ScreenQuantities, TableTextsAndCodesBothWays) {
  const auto items = screenQuantityItems(english());
  ASSERT_EQ(items.size(), 107u);
  EXPECT_EQ(items.front(), "SystemTime");
  EXPECT_EQ(items.back(), "OFF");
  const std::pair<int, const char*> named[] = {
      {17, "LAVG"},   {18, "LEPd"},   {29, "PKC"},   {31, "PKA"},   {32, "LAFMax"},
      {49, "LZIMin"}, {50, "LAF10"},  {64, "LAI05"}, {65, "LCF10"}, {94, "LZI05"},
      {95, "LAEQ05"}, {96, "LAEQ10"}, {103, "EXPs"}, {104, "NEN"},  {105, "Exceedance"}};
  for (auto [pos, text] : named) EXPECT_EQ(items[static_cast<std::size_t>(pos)], text) << pos;

  const std::pair<int, int> seams[] = {{0, 0},     {17, 17},   {18, 19},   {31, 32},  {32, 34},
                                       {103, 105}, {104, 130}, {105, 131}, {106, 132}};
  for (auto [pos, code] : seams) EXPECT_EQ(screenQuantityCode(pos), code) << pos;
  EXPECT_EQ(screenQuantityCode(-1), std::nullopt);
  EXPECT_EQ(screenQuantityCode(107), std::nullopt);

  // Every position's code reads back as that position, no code is shared,
  // and the reply decoder maps every byte the same way.
  std::set<int> codes;
  for (int pos = 0; pos < 107; ++pos) {
    const int code = *screenQuantityCode(pos);
    codes.insert(code);
    EXPECT_EQ(screenQuantityPosition(code), pos) << pos;
  }
  EXPECT_EQ(codes.size(), 107u);
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(screenCodePosition(code), screenQuantityPosition(code)) << code;
    EXPECT_EQ(screenQuantityPosition(code).has_value(), codes.count(code) == 1) << code;
  }

  // A translated "OFF" is still the last entry with code 132.
  UiText t = english();
  t.TxtOFF = "AUS";
  EXPECT_EQ(screenQuantityItems(t).back(), "AUS");
  EXPECT_EQ(screenChannelItems(english()), (std::vector<std::string>{"Kalvox 1", "Kalvox 2", "Kalvox 3"}));
}

TEST(ScreenPages, LineRulesKeepEachPageConsistent) {
  constexpr int OFF = 106, SPLAF = 1, LAVG = 17, DOSE = 13, PKA = 31, LAFMAX = 32, LASMAX = 34, LCSMAX = 40,
                LZIMIN = 49, LAF10 = 50;
  struct Case {
    const char* what;
    int upper, lower;  // the page before the pick
    bool pickUpper;    // which line is picked
    int pick;
    int upperAfter, lowerAfter;
  };
  const Case cases[] = {
      {"lower OFF under OFF", OFF, SPLAF, false, OFF, OFF, 0},
      {"upper OFF over OFF", SPLAF, OFF, true, OFF, 0, OFF},
      {"lower Max under OFF", OFF, SPLAF, false, LAFMAX, OFF, LAFMAX},
      {"lower other under OFF", OFF, SPLAF, false, DOSE, OFF, DOSE},
      {"lower any under a Max", LASMAX, OFF, false, LAFMAX, LASMAX, OFF},
      {"lower other under a Max", LASMAX, OFF, false, DOSE, LASMAX, OFF},
      {"lower Max (first) under other", SPLAF, 0, false, LAFMAX, OFF, LAFMAX},
      {"lower Max (last) under other", SPLAF, 0, false, LZIMIN, OFF, LZIMIN},
      {"lower PKA under other", SPLAF, 0, false, PKA, SPLAF, PKA},
      {"lower LAF10 under other", SPLAF, 0, false, LAF10, SPLAF, LAF10},
      {"lower OFF under other", DOSE, 0, false, OFF, DOSE, OFF},
      {"upper Max over other", SPLAF, DOSE, true, LAFMAX, LAFMAX, OFF},
      {"upper LAF10 over other", SPLAF, DOSE, true, LAF10, LAF10, DOSE},
      {"upper other over a Max", OFF, LCSMAX, true, LAVG, OFF, LCSMAX},
  };
  for (const Case& c : cases) {
    ScreenPagesModel m;
    // Reach the page before the pick through the upper line first, as the
    // meter's reply does.
    m.setUpper(4, c.upper);
    m.setLower(4, c.lower);
    ASSERT_EQ(m.page(4).upper, c.upper) << c.what;
    ASSERT_EQ(m.page(4).lower, c.lower) << c.what;
    ASSERT_TRUE(c.pickUpper ? m.setUpper(4, c.pick) : m.setLower(4, c.pick));
    EXPECT_EQ(m.page(4).upper, c.upperAfter) << c.what;
    EXPECT_EQ(m.page(4).lower, c.lowerAfter) << c.what;
    EXPECT_EQ(m.page(3).upper, 0) << c.what;  // other pages untouched
  }
  ScreenPagesModel m;
  EXPECT_FALSE(m.setUpper(0, 107));
  EXPECT_FALSE(m.setLower(12, 0));
  EXPECT_FALSE(m.setChannel(0, 3));
}

TEST(ScreenPages, MeterPagesAppliedCodeByCodeWithTheirChannels) {
  vkz::test::Bytes p(36);
  for (std::size_t k = 0; k < 12; ++k)
    p.set(3 * k, 2).set(3 * k + 1, 13).set(3 * k + 2, 15);  // Dose, TWA on D3
  p.set(3 * 1, 1).set(3 * 1 + 1, 18).set(3 * 1 + 2, 120);   // no quantity on either line of page 1
  p.set(3 * 2, 3).set(3 * 2 + 1, 34);                       // page 2: channel 3 is no channel; LAFMax
  p.set(3 * 11 + 1, 132).set(3 * 11 + 2, 132);              // both OFF: the lower line gives way
  ScreenPagesModel m;
  m.setUpper(1, 5);
  m.setLower(1, 7);
  m.apply(*decodeScreens(p));
  EXPECT_EQ(m.page(0).channel, 2);
  EXPECT_EQ(m.page(0).upper, 13);
  EXPECT_EQ(m.page(0).lower, 15);
  EXPECT_EQ(m.page(1).channel, 1);
  EXPECT_EQ(m.page(1).upper, 5);  // kept
  EXPECT_EQ(m.page(1).lower, 7);
  EXPECT_EQ(m.page(2).channel, 0);  // kept
  EXPECT_EQ(m.page(2).upper, 32);
  EXPECT_EQ(m.page(2).lower, kScreenOff);  // the maximum stands alone
  EXPECT_EQ(m.page(3).upper, 13);          // the pages after the bad codes are set
  EXPECT_EQ(m.page(11).upper, kScreenOff);
  EXPECT_EQ(m.page(11).lower, 0);
}

TEST(ScreenPages, RecordOfTheSetButton) {
  ScreenPagesModel fresh;
  EXPECT_EQ(*PackScreens(fresh.record()), std::vector<std::uint8_t>(36, 0));

  ScreenPagesModel m;
  m.setChannel(11, 2);  // "Kalvox 3" on page 14
  m.setUpper(11, 104);  // NEN
  m.setLower(11, 18);   // LEPd
  m.setUpper(0, 17);
  m.setLower(0, 106);
  const auto block = *PackScreens(m.record());
  EXPECT_EQ(block[33], 2);
  EXPECT_EQ(block[34], 130);
  EXPECT_EQ(block[35], 19);
  EXPECT_EQ(block[1], 17);
  EXPECT_EQ(block[2], 132);
  const Frame f = BuildRequest(0x85, block, 0x25);
  EXPECT_EQ(f.size(), 41u);
}
