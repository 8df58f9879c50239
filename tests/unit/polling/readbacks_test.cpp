#include "polling/readbacks.h"

#include <gtest/gtest.h>

#include "bytes.h"

using namespace vkz;
using vkz::test::Bytes;

TEST(OneValueReadback, ListPositions) {
  struct Case {
    const char* what;
    std::optional<int> (*decode)(Payload);
    int byte;
    int position;
  };
  const Case cases[] = {
      {"contrast 4", contrastListPosition, 4, 0},
      {"contrast 40", contrastListPosition, 40, 9},
      {"contrast 0 clears", contrastListPosition, 0, -1},
      {"contrast 44 falls to the first level", contrastListPosition, 44, 0},
      {"contrast 10: 1.5 to the even 2", contrastListPosition, 10, 2},
      {"contrast 6: 0.5 to the even 0", contrastListPosition, 6, 0},
      {"apo 5 minutes", apoListPosition, 5, 5},
      {"apo 6 falls to OFF", apoListPosition, 6, 0},
      {"on", onOffListPosition, 1, 1},
      {"2 falls to OFF", onOffListPosition, 2, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.decode(Bytes{c.byte}), c.position) << c.what;
}

TEST(OneValueReadback, CalibrationMatchesListItemsElseOff) {
  struct Case {
    int level;
    int position;
    const char* text;
  };
  const Case cases[] = {
      {930, 0, "93.0"},    {935, 5, "93.5"}, {959, 29, "95.9"}, {1130, 30, "113.0"},
      {1150, 50, "115.0"}, {0, 60, "OFF"},   {969, 60, "OFF"},  {0x8000, 60, "OFF"},
  };
  for (const Case& c : cases) {
    auto pos = calibrationListPosition(Bytes(2).be16(0, static_cast<std::uint32_t>(c.level)));
    ASSERT_TRUE(pos) << c.level;
    EXPECT_EQ(*pos, c.position) << c.level;
    EXPECT_EQ(calibrationItemText(*pos), c.text);
  }
}

TEST(OneValueReadback, IntervalLittleEndian) {
  auto r = decodeInterval(Bytes{0x2C, 0x01, 0x00, 0x00});
  EXPECT_EQ(r->seconds, 300);
  EXPECT_EQ(r->position, 1);
  r = decodeInterval(Bytes{0x3C, 0, 0, 0});
  EXPECT_EQ(r->position, 0);
  r = decodeInterval(Bytes{0x20, 0x1C, 0, 0});  // 7200
  EXPECT_EQ(r->position, 5);
  r = decodeInterval(Bytes{120, 0, 0, 0});  // stored, but no list item
  EXPECT_EQ(r->seconds, 120);
  EXPECT_EQ(r->position, std::nullopt);
  r = decodeInterval(Bytes{0x3C, 0, 0, 0x80});  // does not fit 32 signed bits
  EXPECT_EQ(r->seconds, std::nullopt);
  EXPECT_EQ(r->position, std::nullopt);
}

TEST(ClockReadback, LabelAndYearThatDoesNotFit) {
  auto c = decodeClock(Bytes{0x07, 0xE2, 0x05, 0x17, 0x08, 0x05, 0x38});
  ASSERT_TRUE(c);
  EXPECT_EQ(c->year, 2018);
  EXPECT_EQ(c->second, 56);
  EXPECT_EQ(clockLabelText(*c), "2018/05/23 08:05:56");
  c = decodeClock(Bytes{0x80, 0x00, 1, 2, 3, 4, 5});
  EXPECT_EQ(c->year, std::nullopt);
  EXPECT_EQ(c->month, 1);
  EXPECT_EQ(clockLabelText(*c), std::nullopt);
}

TEST(TextReadback, WelcomeTextAndMeterName) {
  Bytes w(36);
  for (auto& b : w.b) b = ' ';
  auto lines = decodeWelcomeText(w);
  ASSERT_TRUE(lines);
  for (const auto& l : *lines) EXPECT_EQ(l, std::string(12, ' '));
  // Code page 1252 characters become UTF-8; zero bytes are left out.
  w.set(12, 'S').set(13, 0xE3).set(14, 'o').set(15, 0).set(16, 'X');
  lines = decodeWelcomeText(w);
  EXPECT_EQ((*lines)[1], "S\xC3\xA3oX       ");
  EXPECT_EQ(decodeMeterName(Bytes{'V', 'K', 'Z', '-', '0', '0', '1', ' ', ' ', ' ', ' ', ' '}),
            "VKZ-001     ");
}

TEST(LunchTimeReadback, OutOfRangeFieldsBecomeZero) {
  auto r = decodeLunchTime(Bytes{0x01, 0x0C, 0x00, 0x00, 0x0D, 0x3C, 0x00});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->enable, 1);
  EXPECT_EQ(r->startHour, 12);
  EXPECT_EQ(r->startMinute, 0);
  EXPECT_EQ(r->stopHour, 13);
  EXPECT_EQ(r->stopMinute, 0);  // 60 is out of range
  EXPECT_EQ(r->record, (std::array<std::uint8_t, 7>{1, 12, 0, 0, 13, 0, 0}));
  r = decodeLunchTime(Bytes{2, 24, 60, 7, 24, 59, 9});
  EXPECT_EQ(r->record, (std::array<std::uint8_t, 7>{0, 0, 0, 7, 0, 59, 9}));
}

TEST(DoseReadback, ChannelPositions) {
  // D1: OSHA - 90, SLOW, threshold 80, criterion 90, exchange rate 5,
  // exceedance 105, PW 480 min. D2 disabled with PW 1440. D3 enabled, PW 605,
  // exceedance 69, threshold 69.
  Bytes p{0x01, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01, 0xE0,        //
          0x00, 0x03, 0x01, 70,   85,   3,    140,  0x05, 0xA0,  //
          0x01, 0x12, 0x02, 69,   91,   7,    69,   0x02, 0x5D};
  auto r = decodeDoseChannels(p);
  ASSERT_TRUE(r);
  const auto& d1 = (*r)[0];
  EXPECT_EQ(d1.enable, 1);
  EXPECT_EQ(d1.standard, 1);
  EXPECT_EQ(d1.timeWeighting, 0);
  EXPECT_EQ(d1.threshold, 10);
  EXPECT_EQ(d1.criterion, 20);
  EXPECT_EQ(d1.exchangeRate, 2);
  EXPECT_EQ(d1.exceedance, 7);
  EXPECT_EQ(d1.pwHour, 8);
  EXPECT_EQ(d1.pwMinute, 0);
  const auto& d2 = (*r)[1];
  EXPECT_EQ(d2.enable, 0);
  EXPECT_EQ(d2.standard, 3);
  EXPECT_EQ(d2.exceedance, 14);
  EXPECT_EQ(d2.pwHour, 24);
  EXPECT_EQ(d2.pwMinute, 0);
  const auto& d3 = (*r)[2];
  EXPECT_EQ(d3.standard, 18);
  EXPECT_EQ(d3.timeWeighting, 2);
  EXPECT_EQ(d3.threshold, -1);               // 69: clears the list
  EXPECT_EQ(d3.criterion, std::nullopt);     // 91: not in the list
  EXPECT_EQ(d3.exchangeRate, std::nullopt);  // 7
  EXPECT_EQ(d3.exceedance, 0);               // (69 - 70) / 5 truncates to 0
  EXPECT_EQ(d3.pwHour, 10);
  EXPECT_EQ(d3.pwMinute, 1);

  p.set(5, 65).set(8, 2).set(9, 19).be16(24, 0x8000);
  r = decodeDoseChannels(p);
  EXPECT_EQ((*r)[0].exceedance, -1);
  EXPECT_EQ((*r)[1].enable, std::nullopt);
  EXPECT_EQ((*r)[1].standard, std::nullopt);
  EXPECT_EQ((*r)[2].pwHour, std::nullopt);
  EXPECT_EQ((*r)[2].pwMinute, std::nullopt);
}

TEST(ScreenReadback, CodesToPositionsAndSkipCodesWithoutAQuantity) {
  const std::pair<int, std::optional<int>> codes[] = {{0, 0},
                                                      {17, 17},
                                                      {18, std::nullopt},
                                                      {19, 18},
                                                      {32, 31},
                                                      {33, std::nullopt},
                                                      {34, 32},
                                                      {105, 103},
                                                      {106, std::nullopt},
                                                      {129, std::nullopt},
                                                      {130, 104},
                                                      {132, 106},
                                                      {133, std::nullopt}};
  for (auto [code, pos] : codes) EXPECT_EQ(screenCodePosition(code), pos) << code;

  Bytes p(36);
  for (std::size_t k = 0; k < 12; ++k) p.set(3 * k, 1).set(3 * k + 1, 19).set(3 * k + 2, 132);
  p.set(3 * 5 + 1, 200).set(3 * 6 + 2, 33).set(3 * 11, 3);
  auto r = decodeScreens(p);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->positions[0], 18);
  EXPECT_EQ(r->positions[1], 106);
  EXPECT_EQ(r->positions[10], std::nullopt);  // page 5's upper line keeps its quantity
  EXPECT_EQ(r->positions[11], 106);           // ... and the lines after it are still set
  EXPECT_EQ(r->positions[13], std::nullopt);
  EXPECT_EQ(r->positions[23], 106);
  EXPECT_EQ(r->channel[0], 1);
  EXPECT_EQ(r->channel[11], 3);
  EXPECT_FALSE(decodeScreens(p.cut(35)));
}

TEST(LedAlarmReadback, LimitsAndEnable) {
  Bytes p(45);
  p.set(0, 1);
  for (std::size_t q = 0; q < 11; ++q) p.be16(1 + 4 * q, 140).be16(3 + 4 * q, 140);
  auto r = decodeLedAlarm(p);
  EXPECT_EQ(r->enablePosition, 1);
  for (std::size_t q = 0; q < 11; ++q) {
    EXPECT_EQ(r->upper[q], "140");
    EXPECT_EQ(r->lower[q], "140");
  }
  p.set(0, 2);  // enable above 1: every limit shown, the list on OFF
  r = decodeLedAlarm(p);
  EXPECT_EQ(r->enablePosition, 0);
  EXPECT_EQ(r->lower[10], "140");
  p.set(0, 1).be16(3 + 4 * 3, 0x8001);  // lower limit of LZPK does not fit
  r = decodeLedAlarm(p);
  EXPECT_EQ(r->enablePosition, 0);
  EXPECT_EQ(r->upper[3], "140");
  EXPECT_EQ(r->lower[2], "140");
  EXPECT_EQ(r->lower[3], std::nullopt);
  EXPECT_EQ(r->upper[4], std::nullopt);
}

namespace {
Bytes timerReply() {
  Bytes p(130);
  p.set(0, 2).be16(1, 2018).set(3, 5).set(4, 23).set(5, 7).set(6, 30);
  p.be32(7, 125);  // delayed run 2 h 05
  p.set(11, 24).set(12, 59).be32(13, 90).set(17, 5);
  for (std::size_t r = 0; r < 16; ++r)
    p.set(18 + 7 * r, 8).set(19 + 7 * r, 60).be32(20 + 7 * r, 61).set(24 + 7 * r, r % 2);
  return p;
}
}  // namespace

TEST(TimerReadback, AllFields) {
  auto r = decodeTimers(timerReply());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->mode, 2);
  EXPECT_EQ(r->delayYear, "2018");
  EXPECT_EQ(r->delayDay, "23");
  EXPECT_EQ(r->delayMinute, "30");
  EXPECT_EQ(r->delayDurHour, 2);
  EXPECT_EQ(r->delayDurMin, 5);
  EXPECT_EQ(r->repeatStartHour, "0");  // 24 is out of range
  EXPECT_EQ(r->repeatStartMinute, "59");
  EXPECT_EQ(r->repeatStopHour, "1");
  EXPECT_EQ(r->repeatStopMinute, "30");
  EXPECT_EQ(r->repeatCount, 4);
  EXPECT_EQ(r->pc[0].startHour, "8");
  EXPECT_EQ(r->pc[0].startMinute, "0");  // 60 is out of range
  EXPECT_EQ(r->pc[15].stopHour, "1");
  EXPECT_EQ(r->pc[15].stopMinute, "1");
  EXPECT_EQ(r->pc[0].enable, 0);
  EXPECT_FALSE(r->pc[0].enableBoxes);
  EXPECT_EQ(r->pc[1].enable, 1);
  EXPECT_TRUE(r->pc[1].enableBoxes);
}

TEST(TimerReadback, StopsAtTheFirstValueWithoutAPlace) {
  Bytes p = timerReply();
  p.set(17, 100);  // repeat count 100: stops before the count lists and the PC rows
  auto r = decodeTimers(p);
  EXPECT_EQ(r->repeatStopMinute, "30");
  EXPECT_EQ(r->repeatCount, std::nullopt);
  EXPECT_EQ(r->pc[0].startHour, std::nullopt);

  p.set(17, 0);  // count 0 clears both lists, the rows still follow
  r = decodeTimers(p);
  EXPECT_EQ(r->repeatCount, -1);
  EXPECT_EQ(r->pc[15].enable, 1);

  p.be32(7, 1440);  // a delayed run of 24 h has no hour item
  r = decodeTimers(p);
  EXPECT_EQ(r->delayMinute, "30");
  EXPECT_EQ(r->delayDurHour, std::nullopt);
  EXPECT_EQ(r->repeatStartHour, std::nullopt);

  p = timerReply();
  p.set(24 + 7 * 3, 3);  // PC row 3 enable 3
  r = decodeTimers(p);
  EXPECT_EQ(r->pc[3].stopMinute, "1");
  EXPECT_EQ(r->pc[3].enable, std::nullopt);
  EXPECT_EQ(r->pc[4].startHour, std::nullopt);

  p.set(0, 4);
  r = decodeTimers(p);
  EXPECT_EQ(r->mode, std::nullopt);
  EXPECT_EQ(r->delayYear, std::nullopt);
}
