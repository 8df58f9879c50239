#include "reports/pdflayout.h"

#include <gtest/gtest.h>

using namespace vkz;

TEST(PdfLayout, ContinuedPagesHoldThirtySevenLines) {
  double y = kPdfFirstLine;
  int advances = 0;
  while (!advancePdfLine(y)) ++advances;
  EXPECT_EQ(advances, 36);  // lines 1.25, 1.97 ... 27.17
  EXPECT_EQ(y, kPdfFirstLine);
}

TEST(PdfLayout, PagesOfTheSections) {
  struct Case {
    int userRows, headerRows, recordRows;
    int headerPages, recordFirst, recordPages, graph, pages;
  } cases[] = {
      // Title block to 7.73, table rows from 9.89: 25 rows on a section's first page.
      {5, 13, 26, 1, 2, 2, 4, 5},                              // the 25th record starts page 3
      {5, 13, 25, 1, 2, 1, 3, 4}, {5, 13, 62, 1, 2, 2, 4, 5},  // 25 + 37 rows fill two pages
      {5, 13, 63, 1, 2, 3, 5, 6}, {5, 40, 2, 2, 3, 1, 4, 5},   // a header table longer than a page
      {0, 11, 1, 1, 2, 1, 3, 4},  {5, 0, 0, 1, 2, 1, 3, 4},
  };
  for (const Case& c : cases) {
    const PdfReportLayout l = pdfReportLayout(c.userRows, c.headerRows, c.recordRows);
    EXPECT_EQ(l.headerPages, c.headerPages) << c.headerRows << " " << c.recordRows;
    EXPECT_EQ(l.recordFirst, c.recordFirst) << c.headerRows << " " << c.recordRows;
    EXPECT_EQ(l.recordPages, c.recordPages) << c.headerRows << " " << c.recordRows;
    EXPECT_EQ(l.graphPage, c.graph) << c.headerRows << " " << c.recordRows;
    EXPECT_EQ(l.histogramPage, c.graph + 1);
    EXPECT_EQ(l.pages, c.pages);
    EXPECT_EQ(static_cast<int>(l.recordRowPage.size()), c.recordRows);
  }
  const PdfReportLayout l = pdfReportLayout(5, 13, 63);
  EXPECT_EQ(l.recordRowPage[24], 2);
  EXPECT_EQ(l.recordRowPage[25], 3);
  EXPECT_EQ(l.recordRowPage[61], 3);
  EXPECT_EQ(l.recordRowPage[62], 4);
}

TEST(PdfLayout, TableColumns) {
  const double header[][2] = {{0.1, 1}, {4.65, 5.25}, {9.65, 10.25}, {14.65, 15.25}};
  for (int c = 0; c < 4; ++c) {
    EXPECT_DOUBLE_EQ(pdfHeaderTextX(c), header[c][0]);
    EXPECT_DOUBLE_EQ(pdfHeaderLineX(c), header[c][1]);
  }
  EXPECT_DOUBLE_EQ(pdfHeaderRightX(4), 20.25);
  const double record[][2] = {{1, 1}, {2.35, 3.25}, {6.9, 7.35}, {10.35, 10.9}, {13.8, 14.45}, {17.25, 18}};
  for (int c = 0; c < 6; ++c) {
    EXPECT_DOUBLE_EQ(pdfRecordTextX(c), record[c][0]);
    EXPECT_DOUBLE_EQ(pdfRecordLineX(c), record[c][1]);
  }
  EXPECT_DOUBLE_EQ(pdfRecordRightX(6), 21.25);
}

TEST(PdfLayout, GraphScalesPutEveryMarkOnTheLevelScale) {
  const double levels[][2] = {{150, 305}, {125, 390},    {100, 475}, {85, 526},
                              {75, 560},  {62.5, 602.5}, {50, 645}};
  for (const auto& l : levels) EXPECT_DOUBLE_EQ(pdfLevelY(l[0]), l[1]) << l[0];
  EXPECT_DOUBLE_EQ(pdfRecordX(1, 4), 60);
  EXPECT_DOUBLE_EQ(pdfRecordX(3, 4), 380);
  EXPECT_DOUBLE_EQ(pdfRecordX(4, 4), 540);
  EXPECT_DOUBLE_EQ(pdfRecordX(1, 1), 60);
}

TEST(PdfLayout, TimeLabelsFirstMiddleAndLastRecordOnce) {
  struct Case {
    int n;
    std::vector<int> records;
    std::vector<double> textX;
  } cases[] = {
      {0, {}, {}},
      {1, {1}, {20}},
      {2, {1, 2}, {20, 460}},
      {3, {1, 2, 3}, {20, 250, 460}},
      {4, {1, 3, 4}, {20, 330, 460}},
      {1000, {1, 501, 1000}, {20, 60 + 240.2402 - 50, 460}},
  };
  for (const Case& c : cases) {
    const auto labels = pdfTimeLabels(c.n);
    ASSERT_EQ(labels.size(), c.records.size()) << c.n;
    for (size_t i = 0; i < labels.size(); ++i) {
      EXPECT_EQ(labels[i].record, c.records[i]) << c.n;
      EXPECT_DOUBLE_EQ(labels[i].textX, c.textX[i]) << c.n;
      EXPECT_EQ(labels[i].gridLine, i > 0) << c.n;
    }
  }
}

namespace {
std::vector<std::string> texts(const std::vector<PdfAxisText>& v) {
  std::vector<std::string> t;
  for (const auto& a : v) t.push_back(a.text);
  return t;
}
}  // namespace

TEST(PdfLayout, HistogramCountScale) {
  const HistogramScale forty{40, 60, 62};
  const auto labels = histogramCountLabels(forty);
  EXPECT_EQ(texts(labels), (std::vector<std::string>{"40", "35", "30", "25", "20", "15", "10", "5", "0"}));
  const double ys[] = {308, 351.25, 394.5, 437.75, 481, 524.25, 567.5, 610.75, 654};
  const double xs[] = {25, 35, 25, 35, 25, 35, 25, 35, 30};
  for (size_t i = 0; i < labels.size(); ++i) {
    EXPECT_DOUBLE_EQ(labels[i].y, ys[i]);
    EXPECT_DOUBLE_EQ(labels[i].x, xs[i]);
  }
  EXPECT_EQ(histogramCountTicks(forty), (std::vector<double>{305, 390.5, 477, 563.5, 652}));
  EXPECT_EQ(histogramGridLines(forty).size(), 8u);
  EXPECT_DOUBLE_EQ(histogramGridLines(forty).front(), 304);

  EXPECT_EQ(texts(histogramCountLabels({1, 60, 62})),
            (std::vector<std::string>{"1", "0", "0", "0", "0", "0", "0", "0", "0"}));
  // Nothing counted: only the axis's own "0" and its tick, no grid.
  const HistogramScale empty{0, 1500, 0};
  EXPECT_EQ(texts(histogramCountLabels(empty)), (std::vector<std::string>{"0"}));
  EXPECT_EQ(histogramCountTicks(empty), (std::vector<double>{652}));
  EXPECT_TRUE(histogramGridLines(empty).empty());
  EXPECT_TRUE(histogramLevelLabels(empty).empty());
}

TEST(PdfLayout, HistogramLevelsAndBars) {
  const HistogramScale s{40, 60, 62};
  const auto labels = histogramLevelLabels(s);
  EXPECT_EQ(texts(labels),
            (std::vector<std::string>{"60", "61", "61", "61", "61", "60", "60", "60", "60", "62"}));
  EXPECT_DOUBLE_EQ(labels[0].x, 56);
  EXPECT_DOUBLE_EQ(labels[1].x, 296);
  EXPECT_DOUBLE_EQ(labels[9].x, 530);
  const unsigned counts[4] = {10, 40, 0, 20};
  const HistogramBar bar = histogramBar(s, 60, counts);
  EXPECT_DOUBLE_EQ(bar.x1, 60);
  EXPECT_DOUBLE_EQ(bar.x2, 220);
  EXPECT_DOUBLE_EQ(bar.top, 304);
  const double lineX[] = {60, 100, 140, 180};
  const double lineTop[] = {563.5, 304, 650, 477};
  for (int c = 0; c < 4; ++c) {
    EXPECT_DOUBLE_EQ(bar.lineX[c], lineX[c]);
    EXPECT_DOUBLE_EQ(bar.lineTop[c], lineTop[c]);
  }
  // One level only (R = 0): one label, one bar across the whole plot area.
  const HistogramScale one{3, 70, 70};
  EXPECT_EQ(texts(histogramLevelLabels(one)), (std::vector<std::string>{"70"}));
  const unsigned three[4] = {3, 3, 3, 3};
  const HistogramBar whole = histogramBar(one, 70, three);
  EXPECT_DOUBLE_EQ(whole.x1, 60);
  EXPECT_DOUBLE_EQ(whole.x2, 540);
  EXPECT_DOUBLE_EQ(whole.lineX[3], 420);
}
