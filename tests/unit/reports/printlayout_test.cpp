#include "reports/printlayout.h"

#include <gtest/gtest.h>

using namespace vkz;

TEST(PrintLayout, TimeLabels) {
  // Plot width and label slot in twips; the capacity is width \ slot - 1,
  // at most one label per gap between two records.
  struct Case {
    int n;
    double width, slot;
    std::vector<int> want;
  } cases[] = {
      {0, 9000, 1000, {}},
      {1, 9000, 1000, {1}},
      {2, 9000, 1000, {1, 2}},     // step 2: both ends
      {3, 9000, 1000, {1, 2, 3}},  // room for three: capacity 2, step 1
      {3, 2000, 1000, {1, 3}},     // room for two: capacity 1, step 3
      {5, 1500, 1000, {1, 5}},     // room for one slot only: the ends
      {5, 900, 1000, {1, 5}},      // narrower than one slot
      {5, 900, 0, {1, 5}},         // nothing measured
      {10, 4000, 1000, {1, 4, 7, 10}},
      {11, 4000, 1000, {1, 4, 7, 10, 11}},  // the last label always comes
  };
  for (const Case& c : cases)
    EXPECT_EQ(printTimeLabels(c.n, c.width, c.slot), c.want) << c.n << " " << c.width << " " << c.slot;
}

TEST(PrintLayout, TableGeometry) {
  // A cell centred in its span of width + 50, a half twip to the even side.
  EXPECT_EQ(printCellX(550, 1000, 500), 550 + 275);
  EXPECT_EQ(printCellX(550, 1000, 501), 550 + 274);  // 549 \ 2
  EXPECT_EQ(printCellX(550, 1000, 1050), 550);
  EXPECT_EQ(printCellX(550, 1000, 1099), 550 - 24);  // wider than its span: -49 \ 2
  EXPECT_EQ(printFooterText(12), "P - 12");
  EXPECT_EQ(printFooterX(11000, 540), 5230);
  EXPECT_EQ(printFooterX(11001, 540), 5230);  // 10461 \ 2
  // A row moves on when y + 4 lh passes the printable height.
  EXPECT_FALSE(printRowBreaks(14040, 240, 15000));
  EXPECT_TRUE(printRowBreaks(14041, 240, 15000));

  GridData g;
  g.setCols(3);
  g.addItem("No.s\tDate/Time\tLAVG");
  g.addItem("1\t2024/03/05 08:00:00\t85.0 dB");
  const auto w = printColumnWidths(g, "0000", [](const std::string& t) { return 90.5 * t.size(); });
  EXPECT_EQ(w, (std::vector<double>{724, 2082, 996}));  // 8, 23 and 11 characters
}

TEST(PrintLayout, GraphFrame) {
  const TextMeasure w = [](const std::string& t) { return 100.0 * t.size(); };
  const PrintGraphFrame f = printGraphFrame(3000, 240, 11000, 15000, w);
  EXPECT_EQ(f.pitch, 340);
  EXPECT_EQ(f.top, 3000 + 9 * 340);
  EXPECT_EQ(f.left, 550 + 700);
  EXPECT_EQ(f.right, 11000 - 2300 / 2);
  EXPECT_EQ(f.bottom, 15000 - 960);
  EXPECT_EQ(f.legendLeft, f.right - 2000);
  EXPECT_EQ(f.slotWidth, 300 + 1900);
  EXPECT_DOUBLE_EQ(f.levelY(50), f.bottom);
  EXPECT_DOUBLE_EQ(f.levelY(150), f.top);
  EXPECT_DOUBLE_EQ(f.recordX(1, 3), f.left);
  EXPECT_DOUBLE_EQ(f.recordX(3, 3), f.right);
  EXPECT_DOUBLE_EQ(f.recordX(1, 1), f.left);
}
