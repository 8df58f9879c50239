// Stored measurements: generated shifts look like real ones, and the header
// the meter computes agrees with its records.
#include "emulator/measurements.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "emulator/meter.h"

namespace vkz::emu {
namespace {

TEST(EmuDateTime, RoundTripAndCalendar) {
  const DateTime t{2024, 2, 28, 23, 59, 30};
  EXPECT_EQ(t.plusSeconds(60), (DateTime{2024, 2, 29, 0, 0, 30}));
  EXPECT_EQ(t.plusSeconds(86400 + 60), (DateTime{2024, 3, 1, 0, 0, 30}));
  EXPECT_EQ(DateTime::fromSeconds(0), (DateTime{1970, 1, 1, 0, 0, 0}));
  EXPECT_TRUE((DateTime{2024, 2, 29, 0, 0, 0}).valid());
  EXPECT_FALSE((DateTime{2023, 2, 29, 0, 0, 0}).valid());
  EXPECT_FALSE((DateTime{2023, 13, 1, 0, 0, 0}).valid());
}

TEST(EmuGenerator, WorkshopShiftHasEveryFeature) {
  const auto recs = generateRecords(7, 480, Profile::Workshop);
  ASSERT_EQ(recs.size(), 480u);
  EXPECT_EQ(recs, generateRecords(7, 480, Profile::Workshop)) << "a seed must give the same memory";
  const auto count = [&](auto pred) { return std::count_if(recs.begin(), recs.end(), pred); };
  EXPECT_GT(count([](const Record& r) { return r.paused(); }), 0);
  EXPECT_GT(count([](const Record& r) { return !r.paused() && r.lavg() == 0; }), 0) << "LAVG below threshold";
  EXPECT_GT(count([](const Record& r) { return r.lcpk >= 1200; }), 0) << "impulses";
  EXPECT_GT(count([](const Record& r) { return !r.paused() && r.leq >= 800 && r.leq <= 1000; }), 300)
      << "steady shop noise";
}

TEST(EmuGenerator, OfficeDayStaysBelowTheFloors) {
  const auto recs = generateRecords(3, 200, Profile::Office);
  for (const Record& r : recs) {
    EXPECT_LT(r.lcpk, 730);
    EXPECT_EQ(r.lavg(), 0);
  }
}

TEST(EmuHeader, SteadyNinetyDecibelShift) {
  // Eight hours at 90.0 dB, logged every minute, with the meter's default
  // dose settings: D1 OSHA (criterion 90, exchange rate 5, threshold 80),
  // D2 DOD (85, 4), D3 ISO (85, 3); PW 8 h each.
  MeasurementInfo info;
  info.start = {2018, 5, 23, 9, 5, 0};
  info.interval = 60;
  info.dose = Settings{}.dose;
  const std::vector<Record> recs(480, Record::make(90.0, 90.0, 110.0, 112.0));
  const Header h = buildHeader(info, recs);

  const Bytes startBytes(h.begin(), h.begin() + 7);
  EXPECT_EQ(toHex(startBytes), "E2 07 05 17 09 05 00");
  for (int ch = 0; ch < 3; ++ch) {  // stop 17:05:00 the same day
    EXPECT_EQ(h[hdr::StopTime + 3 * ch], 17);
    EXPECT_EQ(h[hdr::StopTime + 3 * ch + 1], 5);
    EXPECT_EQ(le16(h, hdr::StopDate + 4 * ch), 2018u);
    EXPECT_EQ(h[hdr::StopDate + 4 * ch + 3], 23);
    EXPECT_EQ(le32(h, hdr::PwMinutes + 4 * ch), 480u);
  }
  EXPECT_EQ(le16(h, hdr::RecordCount), 480u);
  EXPECT_EQ(le32(h, hdr::Interval), 60u);
  EXPECT_EQ(le32(h, hdr::Duration), 28800u);
  EXPECT_EQ(h[hdr::Criterion], 90);
  EXPECT_EQ(h[hdr::ExchangeRate + 1], 4);

  EXPECT_EQ(le32(h, hdr::Dose), 1000u);      // 100.0 %
  EXPECT_EQ(le16(h, hdr::TWA), 900u);        // 90.0 dB
  EXPECT_EQ(le32(h, hdr::Dose + 4), 2378u);  // 2^(5/4) = 237.8 %
  EXPECT_EQ(le32(h, hdr::Dose + 8), 3162u);  // 10^(5/10) = 316.2 %
  EXPECT_EQ(le16(h, hdr::LAEQ), 900u);
  EXPECT_EQ(le16(h, hdr::LEPd), 900u);      // a full 8 h
  EXPECT_EQ(le32(h, hdr::ExceedTime), 0u);  // never at 105 dB
  EXPECT_EQ(le16(h, hdr::PKC), 1100u);
  EXPECT_EQ(le16(h, hdr::PKZ), 1120u);
  EXPECT_EQ(le32(h, hdr::EA), 11520u);  // (20 uPa)^2 * 28800 s * 10^9
}

TEST(EmuHeader, EmptyMeasurement) {
  MeasurementInfo info;
  const Header h = buildHeader(info, {});
  EXPECT_EQ(le16(h, hdr::RecordCount), 0u);
  EXPECT_EQ(le32(h, hdr::Duration), 0u);
  EXPECT_EQ(toHex(Bytes(h.begin() + 7, h.begin() + 10)), "07 1E 00");  // stops as it starts
}

TEST(EmuBlocks, TenRecordsPerBlockLittleEndian) {
  std::vector<Record> recs;
  for (int i = 0; i < 25; ++i) recs.push_back({static_cast<std::uint16_t>(0x8000 | i), 853, 0x0102, 0xFFFF});
  const Bytes b0 = blockPayload(recs, 0);
  ASSERT_EQ(b0.size(), 80u);
  EXPECT_EQ(toHex(Bytes(b0.begin(), b0.begin() + 8)), "00 80 55 03 02 01 FF FF");
  EXPECT_EQ(blockPayload(recs, 2).size(), 40u);
  EXPECT_EQ(blockPayload(recs, 2)[0], 20);
  EXPECT_TRUE(blockPayload(recs, 3).empty());
}

}  // namespace
}  // namespace vkz::emu
