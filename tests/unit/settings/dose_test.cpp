#include "settings/dose.h"

#include <gtest/gtest.h>

#include <functional>

#include "settingstest.h"
#include "unit/polling/bytes.h"

using namespace vkz;
using vkz::test::english;
using vkz::test::hex;

namespace {

using L = DoseList;

// A channel's values as the lists show them: weighting, threshold,
// criterion, exchange rate, exceedance (dB) and the PW duration "hh:mm".
std::string shown(const DoseChannel& c) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d %d %d %d %d %02d:%02d", c.timeWeighting, 70 + c.threshold,
                70 + c.criterion, 3 + c.exchangeRate, 70 + 5 * c.exceedance, c.hour, 5 * c.minute);
  return buf;
}

}  // namespace

TEST(DoseModel, LoadsWithD1OnOshaAndD2D3Hidden) {
  DoseModel m;
  EXPECT_EQ(shown(m.channel(0)), "0 80 90 5 105 08:00");
  EXPECT_TRUE(m.channel(0).locked);
  EXPECT_EQ(m.channel(0).enable, 0);  // until the meter's values arrive
  for (int ch : {1, 2}) {
    EXPECT_FALSE(m.channel(ch).shown);
    EXPECT_EQ(m.channel(ch).enable, 0);
  }
  const auto std = doseListItems(L::Standard, english());
  ASSERT_EQ(std.size(), 19u);
  EXPECT_EQ(std[0], "OSHA - 80");
  EXPECT_EQ(std[9], "NHO - 11");
  EXPECT_EQ(std[18], "USER9");
  EXPECT_EQ(doseListItems(L::Exceedance, english()).back(), "140");
  EXPECT_EQ(doseListItems(L::Hour, english()).back(), "24");
  EXPECT_EQ(doseListItems(L::Minute, english())[1], "05");
  for (L l : {L::Enable, L::Standard, L::TimeWeighting, L::Threshold, L::Criterion, L::ExchangeRate,
              L::Exceedance, L::Hour, L::Minute})
    EXPECT_EQ(doseListItems(l, english()).size(), static_cast<std::size_t>(doseListCount(l)));
}

TEST(DoseModel, FixedStandardsSetAndLockTheirValuesUserStandardsFreeThem) {
  const std::pair<int, const char*> table[] = {
      {0, "0 80 90 5 105 08:00"}, {1, "0 90 90 5 105 08:00"}, {2, "0 80 90 5 105 08:00"},
      {3, "0 90 90 5 105 08:00"}, {4, "0 80 85 4 105 08:00"}, {5, "0 80 85 3 105 08:00"},
      {6, "1 70 85 3 105 08:00"}, {7, "1 70 90 3 105 08:00"}, {8, "0 80 85 5 115 08:00"},
      {9, "0 80 85 3 115 08:00"},
  };
  for (auto [index, values] : table) {
    DoseModel m;
    ASSERT_TRUE(m.set(1, L::Enable, 1));
    m.set(1, L::Standard, 12);  // a user standard first, so the pick is a change
    m.set(1, L::Threshold, 3);
    m.set(1, L::Standard, index);
    EXPECT_EQ(shown(m.channel(1)), values) << index;
    EXPECT_TRUE(m.channel(1).locked) << index;
  }
  // A user standard frees the lists and keeps their values.
  DoseModel m;
  m.set(1, L::Enable, 1);
  m.set(1, L::Standard, 4);  // DOD
  m.set(1, L::Standard, 12);
  EXPECT_FALSE(m.channel(1).locked);
  EXPECT_EQ(shown(m.channel(1)), "0 80 85 4 105 08:00");
  EXPECT_FALSE(m.set(1, L::Standard, 19));
  EXPECT_FALSE(m.set(1, L::Threshold, 21));
  EXPECT_EQ(m.channel(1).standard, 12);
}

TEST(DoseModel, EnableHidesAndShowingAppliesTheStandardAgain) {
  DoseModel m;
  m.set(2, L::Enable, 1);
  EXPECT_TRUE(m.channel(2).shown);
  EXPECT_EQ(shown(m.channel(2)), "0 80 90 5 105 08:00");  // OSHA - 80 applied on showing
  m.set(2, L::Standard, 13);
  m.set(2, L::Threshold, 2);
  m.set(2, L::Enable, 0);
  EXPECT_FALSE(m.channel(2).shown);
  EXPECT_EQ(m.channel(2).threshold, 2);  // hidden lists keep their positions
  m.set(2, L::Standard, 6);              // while hidden: applied, kept locked
  m.set(2, L::Threshold, 5);
  m.set(2, L::Enable, 1);
  EXPECT_EQ(shown(m.channel(2)), "1 70 85 3 105 08:00");
  // D1's enable list has no rule: D1 is always shown.
  m.set(0, L::Enable, 1);
  m.set(0, L::Enable, 0);
  EXPECT_TRUE(m.channel(0).shown);
}

TEST(DoseModel, HourTwentyFourKeepsTheMinutesAtZero) {
  DoseModel m;
  m.set(0, L::Standard, 10);
  m.set(0, L::Minute, 6);  // 30
  m.set(0, L::Hour, 24);
  EXPECT_EQ(m.channel(0).minute, 0);
  m.set(0, L::Minute, 9);  // 45
  EXPECT_EQ(m.channel(0).minute, 0);
  m.set(0, L::Hour, 23);
  m.set(0, L::Minute, 11);
  EXPECT_EQ(shown(m.channel(0)).substr(shown(m.channel(0)).size() - 5), "23:55");
}

TEST(DoseSet, ChecksInOrderWithTheirMessages) {
  const UiText& t = english();
  struct Case {
    const char* what;
    std::function<void(DoseModel&)> setup;
    bool erasing;
    std::string message;  // empty: accepted
  };
  const auto user = [](DoseModel& m, int ch, int standard) {
    m.set(ch, L::Enable, 1);
    m.set(ch, L::Standard, standard);
  };
  const Case cases[] = {
      {"fresh window (D2 off with D1's standard)", [](DoseModel&) {}, false, ""},
      {"erase pending", [](DoseModel&) {}, true, "Memory Erasing ..."},
      {"D2 on with D1's standard", [&](DoseModel& m) { user(m, 1, 0); }, false,
       "Set Error : D1 Standard = D2Standard !!!"},
      {"D1 USER2, D2 off USER2, D3 on USER2",
       [&](DoseModel& m) {
         m.set(0, L::Standard, 11);
         m.set(1, L::Standard, 11);
         user(m, 2, 11);
       },
       false, "Set Error : D1 Standard = D3Standard !!!"},
      {"D2 and D3 on with one standard",
       [&](DoseModel& m) {
         user(m, 1, 4);
         user(m, 2, 4);
       },
       false, "Set Error : D2 Standard = D3 Standard"},
      {"criterion equal to threshold",
       [](DoseModel& m) { m.set(0, L::Standard, 10), m.set(0, L::Criterion, 10); }, false, ""},
      {"D1 criterion one below threshold",
       [](DoseModel& m) { m.set(0, L::Standard, 10), m.set(0, L::Criterion, 9); }, false,
       "Error Meter 1 Criterion < Threshold !!!"},
      {"D3 off, criterion 85 under threshold 90",
       [](DoseModel& m) {
         m.set(2, L::Standard, 14);
         m.set(2, L::Threshold, 20);
         m.set(2, L::Criterion, 15);
       },
       false, "Error Meter 3 Criterion < Threshold !!!"},
      {"D1 PW 00:05",
       [](DoseModel& m) { m.set(0, L::Standard, 10), m.set(0, L::Hour, 0), m.set(0, L::Minute, 1); }, false,
       "Set Error : D1 PWDuration <10 Min"},
      {"D1 PW 00:10",
       [](DoseModel& m) { m.set(0, L::Standard, 10), m.set(0, L::Hour, 0), m.set(0, L::Minute, 2); }, false,
       ""},
      {"several broken rules: the first only",
       [&](DoseModel& m) {
         m.set(0, L::Standard, 10);
         m.set(0, L::Criterion, 0);
         m.set(0, L::Hour, 0);
         user(m, 1, 10);
       },
       false, "Set Error : D1 Standard = D2Standard !!!"},
  };
  for (const Case& c : cases) {
    DoseModel m;
    // A loaded window has D2 and D3 at 00:00: give them 08:00, as the
    // meter's reply does, so each case shows its own rule.
    for (int ch : {1, 2}) m.set(ch, L::Hour, 8);
    c.setup(m);
    const auto out = doseSet(m, t, c.erasing);
    EXPECT_EQ(out.refusal, c.message) << c.what;
    EXPECT_EQ(out.record.has_value(), c.message.empty()) << c.what;
  }
  // Disabled channels are checked for their PW duration all the same.
  DoseModel m;
  m.set(2, L::Hour, 8);
  EXPECT_EQ(doseSet(m, t, false).refusal, "Set Error : D2 PWDuration <10 Min");
  m.set(1, L::Hour, 0);
  m.set(1, L::Minute, 2);
  EXPECT_EQ(doseSet(m, t, false).refusal, "");
}

TEST(DoseSet, PacksTheWireRecordOfTheWindow) {
  // D1 "OSHA - 80", D2 on with "DOD", D3 off with "ISO - 85", every PW 08:00.
  DoseModel m;
  m.set(1, L::Enable, 1);
  m.set(1, L::Standard, 4);
  m.set(2, L::Standard, 6);
  m.set(2, L::Hour, 8);
  const auto out = doseSet(m, english(), false);
  ASSERT_TRUE(out.record) << out.refusal;
  EXPECT_EQ(hex(BuildRequest(0x84, *PackDoseSetting(*out.record), 0x1B)),
            "02 00 1B 84 00 00 50 5A 05 69 01 E0 01 04 00 50 55 04 69 01 E0 00 06 01 46 55 03 69 01 E0 0B");

  // 24:00 is 1440 minutes; a user standard's own values are sent.
  m.set(0, L::Standard, 18);
  m.set(0, L::Hour, 24);
  m.set(0, L::Exceedance, 14);
  m.set(0, L::TimeWeighting, 2);
  const auto r = doseSet(m, english(), false).record;
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Meter1PW, 1440);
  EXPECT_EQ(hex(*PackDoseSetting(*r)).substr(0, 23), "12 02 50 5A 05 8C 05 A0");
}

TEST(DoseSet, AListWithoutAnItemRefusesWithoutARecord) {
  // An exceedance byte of 65 leaves its list without a selection; D1's
  // standard is a user one, so the table does not fill it again.
  vkz::test::Bytes p(26);
  p.set(0, 12).set(2, 80).set(3, 90).set(4, 5).set(5, 65).be16(6, 480);
  p.set(8, 1).set(9, 4).set(11, 80).set(12, 85).set(13, 4).set(14, 105).be16(15, 480);
  p.set(17, 0).set(18, 6).set(19, 1).set(20, 70).set(21, 85).set(22, 3).set(23, 105).be16(24, 480);
  DoseModel m;
  m.apply(*decodeDoseChannels(p));
  EXPECT_EQ(m.channel(0).exceedance, -1);
  const auto out = doseSet(m, english(), false);
  EXPECT_EQ(out.refusal, "Set Error !!!");
  EXPECT_FALSE(out.record);
}

TEST(DoseModel, MeterValuesOverwriteTheStandardAndRoundTrip) {
  // D1 "OSHA - 90" as the meter keeps it, D2 on with USER3 and its own
  // values, D3 off with "ISO - 85" but a threshold of 75 and 24:00.
  vkz::test::Bytes p(26);
  p.set(0, 1).set(1, 0).set(2, 80).set(3, 90).set(4, 5).set(5, 105).be16(6, 480);
  p.set(8, 1).set(9, 12).set(10, 2).set(11, 78).set(12, 88).set(13, 6).set(14, 140).be16(15, 605);
  p.set(17, 0).set(18, 6).set(19, 1).set(20, 75).set(21, 85).set(22, 3).set(23, 105).be16(24, 1440);
  DoseModel m;
  m.apply(*decodeDoseChannels(p));
  EXPECT_EQ(m.channel(0).enable, 1);
  EXPECT_EQ(m.channel(0).standard, 1);
  EXPECT_EQ(shown(m.channel(0)), "0 80 90 5 105 08:00");  // the meter's threshold, not the table's 90
  EXPECT_TRUE(m.channel(0).locked);
  EXPECT_EQ(shown(m.channel(1)), "2 78 88 6 140 10:05");
  EXPECT_FALSE(m.channel(1).locked);
  EXPECT_FALSE(m.channel(2).shown);
  EXPECT_EQ(shown(m.channel(2)), "1 75 85 3 105 24:00");
  const auto out = doseSet(m, english(), false);
  ASSERT_TRUE(out.record) << out.refusal;
  EXPECT_EQ(*PackDoseSetting(*out.record), p.b);
}
