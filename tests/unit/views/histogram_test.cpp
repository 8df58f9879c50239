#include "views/histogram.h"

#include <gtest/gtest.h>

using namespace vkz;

namespace {

constexpr auto kTenth = HistResolution::Tenth;
constexpr auto kWhole = HistResolution::Whole;

// A record grid with the given LAVG cells (column 2); the other level
// columns hold 50.0 dB.
GridData recordGrid(const std::vector<std::string>& lavg) {
  GridData g;
  g.setCols(6);
  g.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  int n = 0;
  for (const std::string& cell : lavg)
    g.addItem(std::to_string(++n) + "\t2018/05/23 14:01:00\t" + cell + "\t50.0 dB\t50.0 dB\t50.0 dB\t");
  return g;
}

GridData repeated(std::initializer_list<std::pair<int, const char*>> runs) {
  std::vector<std::string> cells;
  for (auto [count, cell] : runs) cells.insert(cells.end(), static_cast<size_t>(count), cell);
  return recordGrid(cells);
}

}  // namespace

TEST(Histogram, BinOfACell) {
  const struct {
    const char* cell;
    int tenth, whole;
  } cases[] = {
      {"85.3 dB", 853, 85},
      {"85.25 dB", 852, 85},
      {"-- dB", 250, 25},
      {"*-- dB", 250, 25},
      {"*92.4 dB", 0, 0},
      {"150.0 dB", 1500, 150},
      {"151.2 dB", 1500, 150},
      {"149.9 dB", 1499, 149},
      {"149.96 dB", 1500, 149},
      {"Low", 1500, 150},
      {"", 0, 0},
      {"85,3 dB", 853, 85},
      {"0.0 dB", 0, 0},
      {"1e999 dB", 1500, 150},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HistogramBin(c.cell, kTenth), c.tenth) << c.cell;
    EXPECT_EQ(HistogramBin(c.cell, kWhole), c.whole) << c.cell;
  }
}

TEST(Histogram, CountsBinsAndRange) {
  GridData g = recordGrid({"85.3 dB", "*92.4 dB", "-- dB", "151.2 dB", "85.3 dB"});
  HistogramResult r = LevelHistogram(g, 2, kTenth);
  ASSERT_EQ(r.status, HistStatus::Ok);
  ASSERT_EQ(r.bins.size(), 1501u);
  EXPECT_EQ(r.HistCount, 5);
  EXPECT_EQ(r.bins[853], 2);
  EXPECT_EQ(r.bins[0], 1);  // the flagged level: bin 0, never the first bin
  EXPECT_EQ(r.bins[250], 1);
  EXPECT_EQ(r.bins[1500], 1);
  EXPECT_EQ(r.HistFirstBin, 250);
  EXPECT_EQ(r.HistLastBin, 1500);
  EXPECT_EQ(r.xMin(), 250);
  EXPECT_EQ(r.xMax(), 1501);
  EXPECT_STREQ(r.xLabelFormat(), "*0.1");
  // Bin j is drawn under its own label j x 0.1 dB.
  EXPECT_EQ(HistogramResult::binX(853), 853);
  EXPECT_EQ(LevelHistogram(g, 3, kWhole).bins[50], 5);  // another column
}

TEST(Histogram, PercentileEdgeCases) {
  struct Case {
    const char* name;
    GridData grid;
    HistResolution res;
    const char* l99;
    const char* l50;
    const char* l0;
  };
  const Case cases[] = {
      // T for L99 is exactly 1.0: one record at 80 dB does not exceed it.
      {"one of 200 at 80 dB", repeated({{1, "80.0 dB"}, {199, "90.0 dB"}}), kTenth, "90.0", "90.0", "90.0"},
      {"two of 200 at 80 dB", repeated({{2, "80.0 dB"}, {198, "90.0 dB"}}), kTenth, "80.0", "90.0", "90.0"},
      {"200 at one level", repeated({{200, "85.3 dB"}}), kTenth, "85.3", "85.3", "85.3"},
      {"one record, 0.1 dB", repeated({{1, "85.3 dB"}}), kTenth, "85.3", "85.3", "85.3"},
      {"one record, 1 dB", repeated({{1, "85.3 dB"}}), kWhole, "85", "85", "85"},
      {"half and half, 1 dB", repeated({{50, "70.4 dB"}, {50, "90.9 dB"}}), kWhole, "70", "70", "90"},
      {"only flagged levels", repeated({{3, "*85.3 dB"}}), kTenth, "0.0", "0.0", "0.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HistogramResult r = LevelHistogram(c.grid, 2, c.res);
    ASSERT_EQ(r.status, HistStatus::Ok);
    EXPECT_EQ(r.LnValue[99], c.l99);
    EXPECT_EQ(r.LnValue[50], c.l50);
    EXPECT_EQ(r.LnValue[0], c.l0);
    std::int64_t sum = 0;
    for (auto b : r.bins) sum += b;
    EXPECT_EQ(sum, r.HistCount);
  }
  HistogramResult one = LevelHistogram(repeated({{1, "85.3 dB"}}), 2, kTenth);
  EXPECT_EQ(one.xMin(), 853);
  EXPECT_EQ(one.xMax(), 854);
  HistogramResult flagged = LevelHistogram(repeated({{3, "*85.3 dB"}}), 2, kWhole);
  EXPECT_EQ(flagged.HistFirstBin, 0);
  EXPECT_EQ(flagged.HistLastBin, 0);
}

TEST(Histogram, PercentileTable) {
  // 100 records at 60.0, 60.1 .. 69.9 dB.
  std::vector<std::string> cells;
  for (int i = 0; i < 100; ++i)
    cells.push_back(std::to_string(60 + i / 10) + "." + std::to_string(i % 10) + " dB");
  HistogramResult r = LevelHistogram(recordGrid(cells), 2, kTenth);
  // Ln is the lowest level with more than (99.5 - n) of the 100 records at
  // or below it: L13 -> 86.5 records -> the 87th level, 68.6 dB.
  EXPECT_EQ(r.LnValue[13], "68.6");
  EXPECT_EQ(r.LnValue[99], "60.0");
  EXPECT_EQ(r.LnValue[0], "69.9");
  EXPECT_EQ(r.lnTableRow(1), "L(10)\t68.9\t68.8\t68.7\t68.6\t68.5\t68.4\t68.3\t68.2\t68.1\t68.0");
  EXPECT_EQ(r.lnTableRow(0).substr(0, 11), "L(00)\t69.9\t");
  HistogramResult w = LevelHistogram(recordGrid(cells), 2, kWhole);
  EXPECT_EQ(w.lnTableRow(9), "L(90)\t60\t60\t60\t60\t60\t60\t60\t60\t60\t60");
  EXPECT_STREQ(w.xLabelFormat(), "0");
}

TEST(Histogram, RefusesWhatItCannotCount) {
  GridData g = recordGrid({"85.3 dB"});
  for (int col : {0, 1, 6, -1}) {
    HistogramResult r = LevelHistogram(g, col, kTenth);
    EXPECT_EQ(r.status, HistStatus::NotLevelColumn) << col;
    EXPECT_FALSE(r.message.empty());
    EXPECT_TRUE(r.bins.empty());
  }
  HistogramResult none = LevelHistogram(recordGrid({}), 2, kWhole);
  EXPECT_EQ(none.status, HistStatus::NoRecords);
  EXPECT_EQ(none.HistFirstBin, -1);
  EXPECT_EQ(none.HistLastBin, -1);
  EXPECT_EQ(none.LnValue[50], "");
}

TEST(Histogram, ProgressEndsAtTheLastRecord) {
  std::string caption;
  LevelHistogram(repeated({{7, "85.3 dB"}}), 2, kTenth, [&](std::uint64_t d, std::uint64_t t) {
    caption = progressCaption(d, t, "Completed", false);
  });
  EXPECT_EQ(caption, "100.0%Completed");
}
