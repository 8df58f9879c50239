#include <gtest/gtest.h>

#include "ui/griddata.h"

using namespace vkz;

TEST(GridData, AddItemFillsFromColumnZero) {
  GridData g;
  g.setCols(3);
  g.addItem("a\tb\tc\t");     // trailing TAB allowed
  g.addItem("x");             // missing cells stay empty
  g.addItem("1\t2\t3\t4\t5");  // surplus cells dropped
  ASSERT_EQ(g.rows(), 3);
  EXPECT_EQ(g.text(0, 2), "c");
  EXPECT_EQ(g.text(1, 0), "x");
  EXPECT_EQ(g.text(1, 2), "");
  EXPECT_EQ(g.rowText(2), "1\t2\t3");
}

TEST(GridData, CellsAndBounds) {
  GridData g;
  g.setCols(2);
  g.setRows(2);
  EXPECT_TRUE(g.setText(1, 1, "v\tw"));
  EXPECT_EQ(g.text(1, 1), "v w");
  EXPECT_FALSE(g.setText(2, 0, "out"));
  EXPECT_EQ(g.text(-1, 0), "");
  g.setCols(3);
  EXPECT_EQ(g.text(1, 1), "v w");
  EXPECT_EQ(g.text(1, 2), "");
  g.setCols(1);
  EXPECT_EQ(g.rowText(1), "");
  g.addItem("new", 0);
  EXPECT_EQ(g.text(0, 0), "new");
  g.truncate(1);
  EXPECT_EQ(g.rows(), 1);
}
