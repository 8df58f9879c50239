#include "polling/header.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "shell/uitext.h"
#include "views/headeritems.h"

using namespace vkz;
using vkz::test::Bytes;

namespace {

// A header of a measurement on D1..D3: start 2018/05/23 09:05:00, 480
// records of 60 s, criterion 85 and exchange rate 5 on every channel.
Bytes headerFixture() {
  Bytes p(536);
  p.le16(0, 2018).set(2, 5).set(3, 23).set(4, 9).set(5, 5).set(6, 0);
  for (std::size_t ch = 0; ch < 3; ++ch) {
    p.set(7 + 3 * ch, 17).set(8 + 3 * ch, static_cast<int>(10 + ch)).set(9 + 3 * ch, 30);       // stop time
    p.le16(16 + 4 * ch, 2018).set(18 + 4 * ch, 5).set(19 + 4 * ch, static_cast<int>(23 + ch));  // stop date
    p.set(43 + ch, 80).set(46 + ch, 85).set(49 + ch, 5).set(52 + ch, 115);
    p.le32(56 + 4 * ch, 480);
  }
  for (std::size_t page = 0; page < 14; ++page) p.set(28 + page, static_cast<int>(page % 3));
  p.le32(68, 360000).le32(72, 60).le16(532, 480);
  return p;
}

std::string hv(const RecordHeader& h, int slot) {
  return h.HeaderValue[static_cast<std::size_t>(slot)];
}

}  // namespace

TEST(RecordHeader, TimesAndPageChannels) {
  RecordHeader h;
  auto r = DecodeRecordHeader(headerFixture(), h);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->recordCount, 480);
  EXPECT_EQ(r->intervalSeconds, 60);
  EXPECT_EQ(h.HeaderStart, "2018/05/23 09:05:00");
  EXPECT_EQ(h.HeaderStop[0], "2018/05/23 17:10:30");
  // D2 takes its date from bytes 20..23 and its time from bytes 10..12.
  EXPECT_EQ(h.HeaderStop[1], "2018/05/24 17:11:30");
  EXPECT_EQ(h.HeaderStop[2], "2018/05/25 17:12:30");
  EXPECT_EQ(h.HeaderPageChannel[4], 1);
  EXPECT_EQ(h.HeaderPageChannel[13], 1);
}

TEST(RecordHeader, SlotTexts) {
  struct Case {
    std::size_t offset;
    int size;  // 1, 2 or 4 bytes, little-endian
    std::uint32_t raw;
    int slot;
    const char* text;
  };
  const Case cases[] = {
      {43, 1, 80, 0, "80"},                                              // threshold, decimal
      {54, 1, 120, 11, "120"},                                           // exceedance level D3
      {56, 4, 480, 12, "08:00:00"},                                      // PW duration, minutes
      {60, 4, 605, 13, "10:05:00"},   {68, 4, 360000, 15, "100:00:00"},  // measuring duration
      {72, 4, 60, 16, "60"},                                             // logging interval
      {76, 4, 754, 197, "00:12:34"},                                     // exceedance time
      {96, 4, 59, 202, "00:00:59"},                                      // exceedance stop time D3
      {100, 4, 1000, 17, "100.0"},                                       // Dose, 0.1 %
      {116, 4, 5, 21, "0.5"},                                            // PDose D2
      {124, 4, 7200, 59, "2.000"},                                       // EA, Pa²s to Pa²h
      {156, 4, 1, 67, "0.000"},                                          // EZ D3: 1/3600 Pa²h
      {148, 4, 9, 65, "0.003"},                                          // EZ D1: 0.0025 rounds half up
      {160, 4, 1234, 89, "123.4"},                                       // EXPs
      {172, 4, 3725, 171, "1:02:05"},                                    // time of LAFMax
      {240, 4, 45, 188, "0:00:45"},                                      // time of LZIMin
      {244, 2, 853, 23, "85.3"},                                         // TWA
      {274, 2, 300, 41, "30.0"},                                         // LAEQ: no floor
      {278, 2, 0, 43, "0.0"},         {322, 2, 729, 74, "---.-"},        // PKA below 73.0
      {322, 2, 730, 74, "73.0"},      {310, 2, 1400, 68, "140.0"},       // PKC
      {358, 2, 699, 92, "---.-"},                                        // LAFMax below 70.0
      {358, 2, 705, 92, "70.5"},      {392, 2, 700, 109, "70.0"},        // LZIMin
      {394, 2, 812, 146, "81.2"},                                        // LAF05
      {410, 2, 650, 154, "---.-"},                                       // LZI05
      {412, 2, 901, 167, "90.1"},                                        // LAEQ05
      {432, 2, 100, 163, "---.-"},                                       // LAEQ10
      {492, 2, 777, 166, "77.7"},                                        // LAEQ95
      {506, 2, 950, 155, "95.0"},                                        // LAIEQ
      {512, 2, 650, 169, "65.0"},                                        // LAFTM5: no floor
      {520, 2, 655, 79, "65.5"},                                         // HML D3
      {522, 2, 11, 32, "1.1"},                                           // Ti
      {528, 2, 30, 168, "3.0"},                                          // Ki
      {340, 2, 65535, 86, "6553.5"},                                     // EXPh
  };
  for (const Case& c : cases) {
    Bytes p = headerFixture();
    if (c.size == 1) p.set(c.offset, static_cast<int>(c.raw));
    if (c.size == 2) p.le16(c.offset, c.raw);
    if (c.size == 4) p.le32(c.offset, c.raw);
    RecordHeader h;
    ASSERT_TRUE(DecodeRecordHeader(p, h));
    EXPECT_EQ(hv(h, c.slot), c.text) << "offset " << c.offset << " slot " << c.slot;
  }
}

TEST(RecordHeader, FieldsThatDoNotFitKeepTheirSlot) {
  Bytes p = headerFixture();
  p.le32(100, 0x80000000u);  // Dose D1
  p.le32(60, 35791395);      // PW D2: minutes x 60 reach 2^31
  p.le32(172, 0xFFFFFFFFu);  // time of LAFMax
  RecordHeader h;
  h.HeaderValue[17] = h.HeaderValue[13] = h.HeaderValue[171] = h.HeaderValue[191] = "prev";
  h.HeaderValue[158] = h.HeaderValue[162] = h.HeaderValue[190] = "kept";
  ASSERT_TRUE(DecodeRecordHeader(p, h));
  EXPECT_EQ(hv(h, 17), "prev");
  EXPECT_EQ(hv(h, 191), "prev");  // no Dose, no NEN
  EXPECT_EQ(hv(h, 13), "prev");
  EXPECT_EQ(hv(h, 171), "prev");
  EXPECT_EQ(hv(h, 12), "08:00:00");
  EXPECT_EQ(hv(h, 158), "kept");
  EXPECT_EQ(hv(h, 162), "kept");
  EXPECT_EQ(hv(h, 190), "kept");

  // A short payload is refused and leaves the header as it was.
  RecordHeader before = h;
  EXPECT_FALSE(DecodeRecordHeader(p.cut(535), h));
  EXPECT_EQ(h.HeaderValue, before.HeaderValue);
  EXPECT_EQ(h.HeaderStart, before.HeaderStart);
}

TEST(RecordHeader, NenAndPnen) {
  struct Case {
    int criterion, rate;
    std::uint32_t dose, pdose, interval, records;
    const char* nen;
    const char* pnen;
  };
  const Case cases[] = {
      {85, 5, 1000, 500, 60, 480, "85.0", "80.0"},
      {85, 3, 2000, 1000, 60, 480, "88.0", "85.0"},
      {90, 4, 1000, 2000, 1, 3, "90.0", "94.0"},
      {80, 6, 500, 1000, 60, 100, "74.0", "80.0"},
      {85, 7, 1000, 1000, 60, 480, "0", "0"},  // no such exchange rate
      {85, 5, 0, 0, 60, 480, "0", "0"},        // no dose
      {85, 5, 1000, 1000, 0, 480, "0", "0"},   // no logged time
      {85, 5, 1000, 1000, 60, 0, "0", "0"},
  };
  for (const Case& c : cases) {
    Bytes p = headerFixture();
    p.set(47, c.criterion).set(50, c.rate).le32(104, c.dose).le32(116, c.pdose).le32(72, c.interval);
    p.le16(532, c.records);
    RecordHeader h;
    ResetRecordHeader(h);
    ASSERT_TRUE(DecodeRecordHeader(p, h));
    EXPECT_EQ(hv(h, 192), c.nen) << c.rate << " " << c.dose;
    EXPECT_EQ(hv(h, 195), c.pnen) << c.rate << " " << c.pdose;
  }
}

TEST(RecordHeader, ZeroRecordsIsReportedNotHidden) {
  Bytes p = headerFixture();
  p.le16(532, 0);
  RecordHeader h;
  auto r = DecodeRecordHeader(p, h);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->recordCount, 0);
  EXPECT_EQ(hv(h, 189), "0");
  p.le16(532, 65535);
  EXPECT_EQ(DecodeRecordHeader(p, h)->recordCount, 65535);
}

TEST(RecordHeader, ResetKeepsTheNamedSlots) {
  RecordHeader h;
  for (auto& s : h.HeaderValue) s = "x";
  h.HeaderStart = h.HeaderStop[1] = "y";
  h.HeaderPageChannel.fill(2);
  ResetRecordHeader(h);
  EXPECT_EQ(h.HeaderStart, "0");
  EXPECT_EQ(h.HeaderStop[1], "0");
  EXPECT_EQ(h.HeaderPageChannel[13], 0);
  for (int i = 0; i < kHeaderValueCount; ++i) {
    bool kept = (i >= 158 && i <= 167) || i == 189 || i == 190 || i >= 200;
    EXPECT_EQ(hv(h, i), kept ? "x" : "0") << i;
  }
}

TEST(RecordHeader, SummaryFixedRows) {
  UiText ui;
  SetUiTextDefaults(ui);
  RecordHeader h;
  ASSERT_TRUE(DecodeRecordHeader(headerFixture().le32(72, 90), h));
  auto rows = SummaryFixedRows(h, SummaryLabelsOf(ui));
  EXPECT_EQ(rows[0], (SummaryRow{"", "D1", "D2", "D3"}));
  EXPECT_EQ(rows[1], (SummaryRow{"Start Date/Time", h.HeaderStart, h.HeaderStart, h.HeaderStart}));
  EXPECT_EQ(rows[2], (SummaryRow{"Stop Date/Time", h.HeaderStop[0], h.HeaderStop[1], h.HeaderStop[2]}));
  EXPECT_EQ(rows[3], (SummaryRow{"Threshold", "80 dB", "80 dB", "80 dB"}));
  EXPECT_EQ(rows[5][0], "Exchange Rate");
  EXPECT_EQ(rows[6], (SummaryRow{"Exceedance Level", "115 dB", "115 dB", "115 dB"}));
  EXPECT_EQ(rows[7], (SummaryRow{"Interval Time", "1 Min", "1 Min", "1 Min"}));  // 90 s
  EXPECT_EQ(rows[8], (SummaryRow{"Total Point", "480", "480", "480"}));
  EXPECT_EQ(rows[9], (SummaryRow{"PW Duration", "08:00:00", "08:00:00", "08:00:00"}));
  EXPECT_EQ(rows[10], (SummaryRow{"Duration", "100:00:00", "100:00:00", "100:00:00"}));

  // Before any header: empty texts give " dB" cells and "0 Min".
  rows = SummaryFixedRows(RecordHeader{}, SummaryLabelsOf(ui));
  EXPECT_EQ(rows[3][1], " dB");
  EXPECT_EQ(rows[7][2], "0 Min");
  EXPECT_EQ(rows[10][3], "");
}
