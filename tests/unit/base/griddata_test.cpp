#include "base/griddata.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vkz;

namespace {

// Every row of a grid as text, for comparing whole grids.
std::vector<std::string> rowsOf(const GridData& g) {
  std::vector<std::string> out;
  for (int r = 0; r < g.rows(); ++r) out.emplace_back(g.rowText(r));
  return out;
}

}  // namespace

TEST(GridData, AddItemFillsFromColumnZero) {
  GridData g;
  g.setCols(3);
  g.addItem("a\tb\tc\t");      // trailing TAB allowed
  g.addItem("x");              // missing cells stay empty
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

TEST(GridData, RowsCutOrPaddedToTheColumns) {
  // Texts of every TAB count, with and without a TAB at the end, long
  // enough for the quick TAB count to take them in blocks.
  const std::string longCell(40, 'w');
  struct Case {
    std::string in;
    int cols;
    std::string row;
  } cases[] = {
      {"", 0, ""},
      {"a\tb", 0, ""},
      {"", 1, ""},
      {"a\tb", 1, "a"},
      {"\t", 1, ""},
      {"", 3, "\t\t"},
      {"a\t", 3, "a\t\t"},
      {"a\tb\tc", 3, "a\tb\tc"},
      {"a\tb\tc\t", 3, "a\tb\tc"},
      {"a\tb\tc\t\t", 3, "a\tb\tc"},
      {"a\tb\tc\td", 3, "a\tb\tc"},
      {longCell + "\t" + longCell + "\t" + longCell + "\t", 3, longCell + "\t" + longCell + "\t" + longCell},
      {longCell + "\t" + longCell, 3, longCell + "\t" + longCell + "\t"},
      {std::string(300, '\t'), 6, "\t\t\t\t\t"},
      {std::string(5000, '\t') + "x", 2, "\t"},
  };
  for (const Case& c : cases) {
    GridData g;
    g.setCols(c.cols);
    g.addItem(c.in);
    ASSERT_EQ(g.rowText(0), c.row) << c.in.size() << " bytes, " << c.cols << " columns";
  }
}

TEST(GridData, EditsInsertsAndRemovalsKeepEveryOtherRow) {
  // Many edits leave old texts behind; the grid reclaims them now and then
  // and every row must read the same before and after.
  GridData g;
  g.setCols(3);
  std::vector<std::string> want;
  for (int r = 0; r < 200; ++r) {
    g.addItem(std::to_string(r) + "\tb\tc");
    want.push_back(std::to_string(r) + "\tb\tc");
  }
  const std::string big(500, 'x');
  for (int round = 0; round < 50; ++round) {
    for (int r = round % 7; r < g.rows(); r += 7) {
      std::string v = big + std::to_string(round);
      ASSERT_TRUE(g.setText(r, 1, v));
      std::string& row = want[static_cast<size_t>(r)];
      const size_t tab1 = row.find('\t'), tab2 = row.find('\t', tab1 + 1);
      row.replace(tab1 + 1, tab2 - tab1 - 1, v);
    }
    ASSERT_TRUE(g.removeItem(round));
    want.erase(want.begin() + round);
    g.addItem("ins\t\t" + std::to_string(round), round * 2);
    want.insert(want.begin() + round * 2, "ins\t\t" + std::to_string(round));
  }
  ASSERT_EQ(rowsOf(g), want);
  g.truncate(10);
  want.resize(10);
  EXPECT_EQ(rowsOf(g), want);
  EXPECT_FALSE(g.removeItem(10));
  EXPECT_FALSE(g.removeItem(-1));
}

TEST(GridData, EmptyRowsFromSetRowsAreEditedOneByOne) {
  // New rows start out sharing one empty text; editing one must not change
  // the others, before or after the grid is compacted or its columns change.
  GridData g;
  g.setCols(2);
  g.setRows(10000);
  ASSERT_TRUE(g.setText(5, 0, "five"));
  EXPECT_EQ(g.rowText(4), "\t");
  EXPECT_EQ(g.rowText(5), "five\t");
  for (int i = 0; i < 3000; ++i)
    ASSERT_TRUE(g.setText(7, 1, std::string(100, static_cast<char>('a' + i % 26))));
  g.setCols(3);
  EXPECT_EQ(g.rowText(5), "five\t\t");
  EXPECT_EQ(g.rowText(9999), "\t\t");
  EXPECT_EQ(g.text(7, 1), std::string(100, static_cast<char>('a' + 2999 % 26)));
  ASSERT_TRUE(g.setText(9999, 2, "last"));
  EXPECT_EQ(g.rowText(9998), "\t\t");
  EXPECT_EQ(g.rowText(9999), "\t\tlast");
  g.setCols(1);
  EXPECT_EQ(g.rowText(5), "five");
  g.setRows(3);
  g.setRows(5);
  EXPECT_EQ(rowsOf(g), (std::vector<std::string>{"", "", "", "", ""}));
}

TEST(GridData, TextsTakenFromTheGridItself) {
  // A row or cell of the grid handed back to it while the grid grows.
  GridData g;
  g.setCols(2);
  g.addItem("first\tone");
  for (int i = 0; i < 2000; ++i) g.addItem(g.rowText(i));
  EXPECT_EQ(g.rows(), 2001);
  EXPECT_EQ(g.rowText(2000), "first\tone");
  for (int i = 0; i < 2000; ++i) ASSERT_TRUE(g.setText(i, 1, g.rowText(i + 1)));
  EXPECT_EQ(g.text(0, 0), "first");
  EXPECT_EQ(g.text(0, 1), "first one");  // the TAB became a blank
}

TEST(GridData, RowsLongerThanSixteenMiB) {
  // Rows of 2^24 bytes and more keep their length apart; they read, edit,
  // copy and compact like any other.
  const std::string cell((size_t{1} << 24) + 5, 'L');
  GridData g;
  g.setCols(2);
  g.addItem("short\trow");
  g.addItem(cell + "\tend");
  ASSERT_EQ(g.rowText(1).size(), cell.size() + 4);
  EXPECT_EQ(g.text(1, 1), "end");
  ASSERT_TRUE(g.setText(0, 1, cell));
  EXPECT_EQ(g.rowText(0).size(), 6 + cell.size());
  ASSERT_TRUE(g.setText(1, 0, "x"));  // leaves the long text behind
  EXPECT_EQ(g.rowText(1), "x\tend");
  GridData copy = g;
  EXPECT_EQ(copy.text(0, 1), cell);
  EXPECT_TRUE(g.removeItem(0));
  EXPECT_EQ(rowsOf(g), std::vector<std::string>{"x\tend"});
  EXPECT_EQ(copy.rows(), 2);
}

TEST(GridData, CopiesMovesAndClearAreIndependent) {
  GridData a;
  a.setCols(2);
  a.setFixedRows(1);
  a.addItem("h1\th2");
  a.addItem("v1\tv2");
  GridData b = a;
  ASSERT_TRUE(b.setText(1, 0, "changed"));
  EXPECT_EQ(a.rowText(1), "v1\tv2");
  GridData c = std::move(b);
  EXPECT_EQ(c.rowText(1), "changed\tv2");
  EXPECT_EQ(c.fixedRows(), 1);
  b = a;  // a moved-from grid takes a new value
  EXPECT_EQ(rowsOf(b), rowsOf(a));
  const GridData& same = a;
  a = same;
  EXPECT_EQ(a.rows(), 2);
  const std::uint64_t before = a.revision();
  a.clear();
  EXPECT_EQ(a.rows(), 0);
  EXPECT_NE(a.revision(), before);
  a.addItem("again\t!");
  EXPECT_EQ(a.rowText(0), "again\t!");
  EXPECT_EQ(b.rowText(0), "h1\th2");
}
