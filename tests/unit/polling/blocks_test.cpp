#include "polling/blocks.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "polling/header.h"

using namespace vkz;
using vkz::test::Bytes;

namespace {

BlockContext context(std::int64_t records) {
  RecordHeader h;
  h.HeaderStart = "2018/05/23 14:00:00";
  h.HeaderStop[0] = "2018/05/23 14:25:13";
  h.HeaderValue[kSlotInterval] = "60";
  h.HeaderValue[kSlotRecordCount] = std::to_string(records);
  return blockContextFrom(h);
}

// n records whose LAVG word is 700 + record number.
Bytes block(std::size_t n, int firstRecord) {
  Bytes p(8 * n);
  for (std::size_t j = 0; j < n; ++j)
    p.le16(8 * j, static_cast<std::uint32_t>(700 + firstRecord + static_cast<int>(j))).le16(8 * j + 2, 800);
  return p;
}

}  // namespace

TEST(DataBlocks, TwentyFiveRecordsInThreeBlocks) {
  const BlockContext ctx = context(25);
  MeasurementData m;
  m.sizePointValues(25);
  std::int64_t bytes = 0;
  std::vector<std::string> progress;
  const std::size_t sizes[] = {10, 10, 5};
  for (std::int64_t b = 0; b < 3; ++b) {
    Bytes p = block(sizes[b], static_cast<int>(10 * b + 1));
    auto d = DecodeDataBlock(b, p, ctx, "dB");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->last, b == 2);
    ASSERT_EQ(d->records.size(), sizes[b]);
    EXPECT_EQ(d->records.front().index, 10 * b);
    EXPECT_EQ(StoreRecords(*d, m), sizes[b]);
    bytes += static_cast<std::int64_t>(p.b.size());
    progress.push_back(downloadProgressText("Load", bytes, "25"));
    if (b == 2) {
      EXPECT_EQ(d->records.back().row, "25\t2018/05/23 14:25:13\t72.5 dB\t80.0 dB\t-- dB\t-- dB\t");
      EXPECT_EQ(d->records[3].row.substr(0, 23), "24\t2018/05/23 14:24:00\t");
    }
  }
  EXPECT_EQ(progress, (std::vector<std::string>{"Load ==> 10 / 25", "Load ==> 20 / 25", "Load ==> 25 / 25"}));
  EXPECT_DOUBLE_EQ(m.PointValue1[0], 70.1);
  EXPECT_DOUBLE_EQ(m.PointValue1[24], 72.5);
  EXPECT_DOUBLE_EQ(m.PointValue2[24], 80.0);
}

TEST(DataBlocks, LastBlockFollowsTheRecordCount) {
  struct Case {
    std::int64_t records, blockNo;
    bool last;
    std::size_t decoded;
  };
  const Case cases[] = {
      {20, 0, false, 10}, {20, 1, true, 10},  {10, 0, true, 10},
      {1, 0, true, 1},    {25, 1, false, 10}, {25, 3, true, 0},  // a block past the end holds nothing
  };
  for (const Case& c : cases) {
    auto d = DecodeDataBlock(c.blockNo, block(10, 1), context(c.records), "dB");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->last, c.last) << c.records << "/" << c.blockNo;
    EXPECT_EQ(d->records.size(), c.decoded) << c.records << "/" << c.blockNo;
    if (c.last && c.decoded > 0) {
      const std::string want = std::to_string(c.records) + "\t2018/05/23 14:25:13\t";
      EXPECT_EQ(d->records.back().row.substr(0, want.size()), want);
    }
  }
}

TEST(DataBlocks, RecordWords) {
  struct Case {
    int lo0, hi0, lo1, hi1;
    const char* cells;
    bool paused;
  };
  const Case cases[] = {
      {0x55, 0x03, 0x20, 0x03, "85.3 dB\t80.0 dB\t", false},
      {0x55, 0x83, 0x20, 0x03, "*85.3 dB\t*80.0 dB\t", true},  // flag in bit 15 of the first word
      {0x00, 0x80, 0x00, 0x00, "*-- dB\t*-- dB\t", true},
      {0x20, 0x03, 0x00, 0x00, "80.0 dB\t-- dB\t", false},
      {0xB0, 0x04, 0x55, 0x83, "120.0 dB\t3362.1 dB\t", false},  // no flag in the other words
  };
  for (const Case& c : cases) {
    Bytes p{c.lo0, c.hi0, c.lo1, c.hi1, 0x20, 0x03, 0x00, 0x00};
    auto d = DecodeDataBlock(0, p, context(1), "dB");
    ASSERT_TRUE(d);
    const LoggedRecord& r = d->records.at(0);
    EXPECT_EQ(r.paused, c.paused);
    const std::string prefix = std::string(c.paused ? "*" : "");
    EXPECT_EQ(r.row,
              std::string("1\t2018/05/23 14:25:13\t") + c.cells + prefix + "80.0 dB\t" + prefix + "-- dB\t");
  }
  MeasurementData m;
  m.sizePointValues(1);
  StoreRecords(*DecodeDataBlock(0, Bytes{0x55, 0x83, 0x55, 0x83, 0, 0, 1, 0}, context(1), "dB"), m);
  EXPECT_DOUBLE_EQ(m.PointValue1[0], 85.3);
  EXPECT_DOUBLE_EQ(m.PointValue2[0], 3362.1);
  EXPECT_DOUBLE_EQ(m.PointValue4[0], 0.1);
  EXPECT_EQ(m.PointValue5[0], 1);
}

TEST(DataBlocks, RecordTimes) {
  BlockContext ctx = context(30);
  auto d = DecodeDataBlock(0, block(10, 1), ctx, "dB");
  EXPECT_EQ(d->records[0].row.substr(0, 22), "1\t2018/05/23 14:01:00\t");
  EXPECT_EQ(d->records[1].row.substr(0, 22), "2\t2018/05/23 14:02:00\t");
  // Across midnight and a month end, with a long interval.
  RecordHeader h;
  h.HeaderStart = "2016/02/28 23:00:00";
  h.HeaderValue[kSlotInterval] = "3600";
  h.HeaderValue[kSlotRecordCount] = "100";
  d = DecodeDataBlock(0, block(10, 1), blockContextFrom(h), "dB");
  EXPECT_EQ(d->records[0].row.substr(0, 22), "1\t2016/02/29 00:00:00\t");
  EXPECT_EQ(d->records[9].row.substr(0, 23), "10\t2016/02/29 09:00:00\t");
  // A start that is no date (a reset header) gives no times, never wrong ones.
  h.HeaderStart = "0";
  d = DecodeDataBlock(0, block(10, 1), blockContextFrom(h), "dB");
  EXPECT_EQ(d->records[0].row.substr(0, 4), "1\t\t7");
}

TEST(DataBlocks, StoreKeepsInsideTheArraysAndProgressShowsPartRecords) {
  MeasurementData m;
  m.sizePointValues(5);  // fewer than the block says
  auto d = DecodeDataBlock(0, block(10, 1), context(30), "dB");
  EXPECT_EQ(StoreRecords(*d, m), 5u);
  EXPECT_EQ(downloadProgressText("Load", 100, "25"), "Load ==> 12.5 / 25");
  EXPECT_EQ(downloadProgressText("Load", 81, "25"), "Load ==> 10.125 / 25");
  EXPECT_EQ(downloadProgressText("Load", 0, "250"), "Load ==> 0 / 250");
}
