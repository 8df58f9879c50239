// The pure rules behind the measurement windows: the layouts in twips, the
// record plotter's reading of a level column and the header-item caption
// lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "shell/uitext.h"
#include "views/headermatch.h"
#include "views/plotcolumn.h"
#include "views/viewlayout.h"

namespace vkz {
namespace {

TEST(ViewLayout, DataListResizeAndSplitter) {
  DataListLayout l = dataListLayout(13245, 6705);
  EXPECT_EQ(l.frame.width, 13145);
  EXPECT_EQ(l.frame.height, 6245);
  // The splitter goes back where the record grid is 6210 wide.
  EXPECT_EQ(l.records.width, 6210);
  EXPECT_EQ(l.records.left, l.splitter.right());
  EXPECT_EQ(l.userInfo.top, 6245 - 360 - 1400);
  EXPECT_EQ(l.userInfo.left, 1680);
  EXPECT_EQ(l.summary.width, l.frame.width - (l.records.width + 1840));

  struct Case {
    int x, left;
  } cases[] = {{-99999, 2200}, {+99999, 13245 - 1000}, {-1000, l.splitter.left - 1000}};
  for (const Case& c : cases) {
    DataListLayout d = l;
    dataListDrag(d, c.x, 13245);
    EXPECT_EQ(d.splitter.left, c.left) << c.x;
    EXPECT_EQ(d.records.left, d.splitter.right());
    EXPECT_EQ(d.records.right(), d.frame.width - 80);
    EXPECT_EQ(d.summary.width, d.frame.width - (d.records.width + 1840));
    EXPECT_EQ(d.records.height, l.records.height);  // heights stay
  }
  // A summary that cannot show its labels and first channel takes room
  // from the record grid, as long as the record grid keeps its columns.
  struct Need {
    int summary, records, summaryWidth;
  } needs[] = {
      {l.summary.width - 10, 6000, l.summary.width},  // shown already: as designed
      {l.summary.width + 150, 6000, l.summary.width + 150},
      {l.summary.width + 900, 6000, l.summary.width + 210},  // the record grid keeps 6000
      {l.summary.width + 150, 6300, l.summary.width},        // no room to give
  };
  for (const Need& n : needs) {
    const DataListLayout d = dataListLayout(13245, 6705, 1400, n.summary, n.records);
    EXPECT_EQ(d.summary.width, n.summaryWidth) << n.summary << " " << n.records;
    EXPECT_EQ(d.records.left, d.splitter.right());
    EXPECT_EQ(d.records.right(), d.frame.width - 80);
  }
  // A window smaller than the rules expect gives negative sizes, which the
  // window does not apply.
  EXPECT_FALSE(dataListLayout(2000, 1000).splitter.fits());
  EXPECT_EQ(atLeast({5000, 6000}, kDataListMinimum).width, 9650);
  // At its minimum the grids stand apart: the summary left of the splitter
  // and 1500 wide, the record grid right of it, both above the user
  // information.
  const DataListLayout least = dataListLayout(kDataListMinimum.width, kDataListMinimum.height);
  EXPECT_EQ(least.summary.width, 1500);
  EXPECT_LE(least.summary.right(), least.splitter.left + 60);  // under the bar's edge, as designed
  EXPECT_GE(least.records.left, least.splitter.right());
  EXPECT_GT(least.records.height, 0);
  EXPECT_LE(least.records.bottom(), least.userInfo.top);
}

TEST(ViewLayout, FileListResizeAndSplitter) {
  FileListLayout l = fileListLayout(12000, 8000);
  // After a resize the header grid reaches exactly to the record grid.
  EXPECT_EQ(l.header.width, l.splitter.left + 80);
  EXPECT_EQ(l.records.left, l.splitter.left + 80);
  EXPECT_EQ(l.records.right(), l.panel.width - 100);
  EXPECT_EQ(l.userInfo.bottom(), l.panel.height - 100);
  for (int x : {-50000, 50000, 300}) {
    FileListLayout d = l;
    fileListDrag(d, x, 12000);
    EXPECT_GE(d.splitter.left, 2200);
    EXPECT_LE(d.splitter.left, 12000 - 1000);
    EXPECT_EQ(d.header.width, d.splitter.left + 40);  // after a drag
    EXPECT_EQ(d.records.right(), d.panel.width - 60);
  }
}

TEST(ViewLayout, HistogramAtItsMinimumAndAnySize) {
  const TwipsSize s = atLeast({5000, 5000}, kHistogramMinimum);
  EXPECT_EQ(s.width, 9660);
  EXPECT_EQ(s.height, 7785);
  HistogramLayout l = histogramLayout(s.width, s.height);
  EXPECT_EQ(l.graph.width, 9400);
  EXPECT_EQ(l.graph.height, 3935);
  EXPECT_EQ(l.graph.top, 480);
  EXPECT_EQ(l.table.top, 4385);
  EXPECT_EQ(l.table.height, 2800);
  EXPECT_EQ(l.columnWidth, 843);
  for (TwipsSize t : {TwipsSize{9660, 7785}, TwipsSize{15000, 11000}, TwipsSize{20001, 9999}}) {
    HistogramLayout h = histogramLayout(t.width, t.height);
    EXPECT_EQ(h.table.bottom(), t.height - 600);
    EXPECT_EQ(h.graph.bottom() - h.table.top, 30);  // the table overlaps the graph by 30
  }
}

TEST(ViewLayout, PlotAtItsMinimum) {
  PlotLayout l = plotLayout(kPlotMinimum.width, kPlotMinimum.height);
  EXPECT_EQ(l.graph.width, 11360 - 440);
  EXPECT_EQ(l.graph.height, 8960 - 3590);
  EXPECT_EQ(l.frmGraphic.top, 8960 - 3390);
  const int t = l.frmGraphic.width / 3;
  EXPECT_EQ(l.trackMode.left, t + 110);
  EXPECT_EQ(l.cursorInfo.left, 2 * t + 110);
  EXPECT_EQ(l.axisMin[2].left, l.axisMin[1].right() + 600);
  EXPECT_EQ(l.lblMin.left, l.axisMin[1].right());
  EXPECT_EQ(l.cmdPrint.left, l.cmdReset.right() + 50);
  EXPECT_LE(l.cmdReset.bottom(), l.frmGraphic.height);
}

TEST(PlotColumn, ValuesAndPauseMarks) {
  struct Case {
    std::vector<std::string> cells;
    std::vector<double> values;
    std::vector<PauseSpan> spans;
  };
  const Case cases[] = {
      {{"70.1 dB", "-- dB", "150.2 dB", "3L", "*88.0 dB", "*80.0 dB", "75.0 dB"},
       {70.1, 25, 145, 145, 0, 0, 75.0},
       {{5, 7}}},
      // A pause that lasts to the last record has no restart.
      {{"70.0 dB", "*71.0 dB", "*72.0 dB"}, {70, 0, 0}, {{2, 0}}},
      // A single flagged record on the last row gives no span.
      {{"70.0 dB", "*71.0 dB"}, {70, 0}, {}},
      // A flagged cell without a level neither begins nor ends a span.
      {{"*-- dB", "70.0 dB", "*71.0 dB", "*-- dB", "72.0 dB"}, {25, 70, 0, 25, 72}, {{3, 5}}},
      // Lower-case "l" is no overload; "OL" is; an empty cell reads 0.
      {{"12l", "OL", ""}, {12, 145, 0}, {}},
  };
  for (const Case& c : cases) {
    PlotColumnScan scan(static_cast<std::int64_t>(c.cells.size()));
    for (size_t i = 0; i < c.cells.size(); ++i) scan.row(static_cast<std::int64_t>(i + 1), c.cells[i]);
    ASSERT_EQ(scan.values().size(), c.values.size());
    for (size_t i = 0; i < c.values.size(); ++i)
      EXPECT_DOUBLE_EQ(scan.values()[i], c.values[i]) << c.cells[i];
    ASSERT_EQ(scan.spans().size(), c.spans.size()) << c.cells[0];
    for (size_t i = 0; i < c.spans.size(); ++i) {
      EXPECT_EQ(scan.spans()[i].pauseRow, c.spans[i].pauseRow);
      EXPECT_EQ(scan.spans()[i].restartRow, c.spans[i].restartRow);
    }
  }
}

TEST(HeaderMatch, CompareOrderCoversEveryItemOnce) {
  std::array<int, kHeaderItemCount> sorted = HeaderItemCompareOrder();
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < kHeaderItemCount; ++i) EXPECT_EQ(sorted[static_cast<size_t>(i)], i);
}

TEST(HeaderMatch, CaptionGivesItsItemOrTheFirstInOrder) {
  UiText ui;
  LoadDefaultStrings(ui);
  for (int item = 0; item < kHeaderItemCount; ++item)
    EXPECT_EQ(HeaderItemForCaption(HeaderItemCaption(item, ui), ui), item);
  EXPECT_EQ(HeaderItemForCaption("dose", ui), -1);  // case counts
  // Two items with one text: both boxes give the row of the one compared first.
  ui.TxtLAEQ05 = ui.TxtKi;  // Ki (102) comes before LAEQ05 (90)
  EXPECT_EQ(HeaderItemForCaption(ui.TxtKi, ui), 102);
  ui.TxtExceedanceStopTime = ui.TxtDose;  // Dose is compared first of all
  EXPECT_EQ(HeaderItemForCaption(ui.TxtDose, ui), 2);
}

}  // namespace
}  // namespace vkz
