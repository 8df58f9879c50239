#include "reports/levels.h"

#include <gtest/gtest.h>

#include "reportsample.h"

using namespace vkz;

TEST(ScaleToLength, RoundsToFourDecimalsAndKeepsAZeroRangeAtTheStart) {
  struct Case {
    double value, range, length, want;
  } cases[] = {
      {1, 3, 480, 160},          {1, 3, 1, 0.3333},      {2, 3, 1, 0.6667}, {35, 100, 340, 119},
      {0.00015, 1, 1, 0.0002},   {-1, 3, 1, -0.3333},    {5, 0, 480, 0},    {0, 0, 1, 0},
      {100.4, 100, 340, 341.36}, {12.5, 100, 340, 42.5},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(ScaleToLength(c.value, c.range, c.length), c.want)
        << c.value << " / " << c.range << " * " << c.length;
}

TEST(Levels, ReadAsDisplayedWithTheMarkTheUnitAndEitherDecimalMark) {
  struct Case {
    const char* cell;
    std::optional<double> level;
    const char* text;
  } cases[] = {
      {"85.3 dB", 85.3, "85.3"},     {"*85.3 dB", 85.3, "85.3"},     {"85,3 dB", 85.3, "85,3"},
      {"150,4 dB", 150.4, "150,4"},  {"42.0 dB", 42.0, "42.0"},      {"152.3", 152.3, "152.3"},
      {"-- dB", std::nullopt, "--"}, {"*-- dB", std::nullopt, "--"}, {"", std::nullopt, ""},
      {" dB", std::nullopt, ""},     {"abc", std::nullopt, "abc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(levelOf(c.cell), c.level) << c.cell;
    EXPECT_EQ(levelText(c.cell), c.text) << c.cell;
  }
  // Drawn on the 50 to 150 dB scale: missing and low values on the bottom
  // line, high ones on the top line.
  EXPECT_EQ(drawnLevel(std::nullopt), 50);
  EXPECT_EQ(drawnLevel(42.0), 50);
  EXPECT_EQ(drawnLevel(85.3), 85.3);
  EXPECT_EQ(drawnLevel(150.4), 150);
}

namespace {
GridData recordGrid(std::initializer_list<const char*> levelRows) {
  GridData g;
  g.setCols(6);
  g.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  int n = 0;
  for (const char* levels : levelRows) {
    ++n;
    g.addItem(std::to_string(n) + "\t" + test::sampleTime(60 * (n - 1)) + "\t" + levels);
  }
  return g;
}
}  // namespace

TEST(Levels, CountsEveryRecordOnceAndLeavesMissingLevelsOut) {
  const GridData g = recordGrid({
      "85.7 dB\t85,7 dB\t-- dB\t160.0 dB",
      "*85.2 dB\t35.0 dB\t-- dB\t90.0 dB",
      "86.0 dB\t85.0 dB\t-- dB\t150.0 dB",
  });
  const LevelCounts c = countLevels(g);
  EXPECT_EQ(c.count[85][0], 2u);  // 85.7 and 85.2 (in a pause) truncate to 85
  EXPECT_EQ(c.count[86][0], 1u);
  EXPECT_EQ(c.count[85][1], 2u);  // a comma reads as a decimal mark
  EXPECT_EQ(c.count[50][1], 1u);  // below the scale: the 50 dB bar
  EXPECT_EQ(c.count[150][3], 2u);
  for (int v = 0; v <= 150; ++v) EXPECT_EQ(c.count[static_cast<size_t>(v)][2], 0u) << v;
  EXPECT_EQ(c.lowest, 50);
  EXPECT_EQ(c.highest, 150);
  EXPECT_EQ(c.largest(), 2u);

  // One record is counted; no record, or only missing levels, counts nothing.
  EXPECT_EQ(countLevels(recordGrid({"70.0 dB\t71.0 dB\t72.0 dB\t73.0 dB"})).largest(), 1u);
  EXPECT_TRUE(countLevels(recordGrid({})).empty());
  const LevelCounts none = countLevels(recordGrid({"-- dB\t-- dB\t-- dB\t-- dB", "--\t--\t--\t--"}));
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.largest(), 0u);
}

TEST(Levels, MaximaComeFromTheMeasuredLevelsWithTheLaterRecordOnATie) {
  const GridData g = recordGrid({
      "85.7 dB\t-- dB\t-- dB\t160.0 dB",
      "*91.2 dB\t-- dB\t-- dB\t90.0 dB",
      "91.2 dB\t-- dB\t40.0 dB\t150.0 dB",
      "88.0 dB\t-- dB\t-- dB\t152,5 dB",
  });
  const auto m = findMaxima(g);
  EXPECT_TRUE(m[0].found);
  EXPECT_EQ(m[0].text, "91.2");
  EXPECT_EQ(m[0].time, test::sampleTime(120));  // record 3, not the paused record 2
  EXPECT_FALSE(m[1].found);                     // only missing levels: no maximum
  EXPECT_EQ(m[2].text, "40.0");                 // below the scale, still the highest
  EXPECT_EQ(m[3].text, "160.0");                // above the scale, not 150
  EXPECT_EQ(m[3].time, test::sampleTime(0));
}
