#include "reports/printreport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"
#include "reports/pdfreport.h"
#include "reportsample.h"

using namespace vkz;
using test::FakeUi;
using test::Recording;
using test::RecordingCanvas;

namespace {

// With the recording canvas's metrics (line 240 twips, pitch 340, page
// 11000 x 15000): the section head ends at y 4027 with five user lines, a
// table's first row stands at 4367, a row moves on past y 14040; a section's
// first page holds 29 table rows, a continued page the heading and 39 rows.
struct PrintedReportTest : ::testing::Test {
  std::shared_ptr<Recording> rec = std::make_shared<Recording>();
  FakeUi ui;
  std::function<void(RecordingCanvas&)> setUpCanvas = [](RecordingCanvas&) {};
  // The report on a fresh recording canvas.
  ReportResult print(const ReportData& d) {
    RecordingCanvas canvas(rec);
    setUpCanvas(canvas);
    return PrintReport(d, ui, canvas);
  }
};

}  // namespace

TEST_F(PrintedReportTest, SectionsTablesContinuedPagesAndFooters) {
  const ReportResult r = print(test::sampleReport(100));
  ASSERT_EQ(r.status, ReportResult::Done) << r.message;
  EXPECT_TRUE(rec->ended);
  EXPECT_EQ(rec->fontSize, 11);
  // Header table on page 1; records 1-28 on page 2, 29-67 on page 3, 68-100
  // on page 4; the graph on page 5.
  ASSERT_EQ(rec->pages, 5);
  for (int p = 1; p <= 5; ++p) {
    const std::string footer = "P - " + std::to_string(p);
    const Recording::Text* t = rec->find(footer);
    ASSERT_NE(t, nullptr) << footer;
    EXPECT_EQ(t->page, p);
    EXPECT_EQ(t->x, (11000 - 90 * static_cast<int>(footer.size())) / 2);
    EXPECT_EQ(t->y, 15000 - 480);
  }
  EXPECT_EQ(rec->logoPages, (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(rec->find(" - HeaderData")->page, 1);
  EXPECT_EQ(rec->find(" - RecordData")->page, 2);
  EXPECT_EQ(rec->find(" - VKZ 418")->y, 1647);  // logo: 1614 hundredths of a mm, halved, as twips
  EXPECT_EQ(rec->find(" - RecordData")->y, 4027);
  // The heading row opens the table and every continued page, at y 500.
  std::vector<std::pair<int, double>> headings;
  for (const auto& t : rec->texts)
    if (t.text == "No.s") headings.emplace_back(t.page, t.y);
  EXPECT_EQ(headings, (std::vector<std::pair<int, double>>{{2, 4367}, {3, 500}, {4, 500}}));
  EXPECT_EQ(rec->find("28")->page, 2);
  EXPECT_EQ(rec->find("29")->page, 3);
  EXPECT_EQ(rec->find("29")->y, 840);
  EXPECT_EQ(rec->find("68")->page, 4);
  EXPECT_EQ(rec->find("100")->page, 4);
  // A row is never split: its date stands on the page of its number.
  EXPECT_EQ(rec->find(test::sampleTime(28 * 60))->page, 3);
  // The section head is not repeated on continued pages.
  EXPECT_EQ(rec->count(" - Evaluator : "), 3);
  // Every row's box: the left rule and a right rule per column.
  int boxRules = 0;
  for (const auto& l : rec->lines) boxRules += l.page == 3 && l.x1 == 500 && l.x2 == 500;
  EXPECT_EQ(boxRules, 40);
}

TEST_F(PrintedReportTest, EveryCopyIsDrawnWhenThePrinterCannotCopy) {
  setUpCanvas = [](RecordingCanvas& c) { c.copyCount = 2; };
  ASSERT_EQ(print(test::sampleReport(3)).status, ReportResult::Done);
  EXPECT_EQ(rec->pages, 6);
  EXPECT_EQ(rec->count("P - 1"), 2);
  EXPECT_EQ(rec->count("P - 4"), 0);
  EXPECT_EQ(ui.captions.back(), "100.0% Completed");
}

TEST_F(PrintedReportTest, ProgressFollowsTheTableCells) {
  ASSERT_EQ(print(test::sampleReport(100)).status, ReportResult::Done);
  // 6 x 101 record cells and 4 x 13 header cells; the caption changes with
  // the one-decimal percentage only.
  ASSERT_FALSE(ui.captions.empty());
  EXPECT_EQ(ui.captions.front(), "0.2% Completed");
  EXPECT_EQ(ui.captions.back(), "100.0% Completed");
  EXPECT_LE(ui.captions.size(), 658u);
}

TEST_F(PrintedReportTest, APrinterFailureEndsTheDocumentAndSaysSo) {
  setUpCanvas = [](RecordingCanvas& c) { c.failAtPageEnd = 2; };
  const ReportResult r = print(test::sampleReport(100));
  EXPECT_EQ(r.status, ReportResult::Failed);
  EXPECT_NE(r.message.find("incomplete"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("out of paper"), std::string::npos) << r.message;
  EXPECT_TRUE(rec->ended);
  EXPECT_EQ(rec->pages, 2);  // nothing drawn after the failure

  *rec = Recording{};
  setUpCanvas = [](RecordingCanvas& c) { c.failAtStart = true; };
  const ReportResult none = print(test::sampleReport(100));
  EXPECT_EQ(none.status, ReportResult::Failed);
  EXPECT_NE(none.message.find("could not be printed"), std::string::npos) << none.message;
  EXPECT_TRUE(rec->texts.empty());
}

TEST_F(PrintedReportTest, SmallMeasurementsFinishTheGraphPage) {
  struct Case {
    int records;
    int timeLabels;
    int segments;
  } cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 2, 4}, {3, 3, 8}};
  for (const Case& c : cases) {
    *rec = Recording{};
    const ReportResult r = print(test::sampleReport(c.records));
    ASSERT_EQ(r.status, ReportResult::Done) << c.records << ": " << r.message;
    const int graph = rec->pages;
    EXPECT_NE(rec->find("P - " + std::to_string(graph)), nullptr) << c.records;
    const auto page = rec->textsOn(graph);
    auto shown = [&](const std::string& t) {
      return std::count_if(page.begin(), page.end(), [&](const Recording::Text& x) { return x.text == t; });
    };
    for (const char* name : {"Lavg", "Leq", "Lcpk", "Lzpk", "Threshold", "Interval Time"})
      EXPECT_EQ(shown(name), 1) << c.records << " " << name;
    int axes = 0, segments = 0, labels = 0;
    for (const auto& l : rec->lines) {
      if (l.page != graph) continue;
      axes += l.pen.width == 15 && (l.x1 == l.x2 ? l.y2 - l.y1 > 1000 : l.x2 - l.x1 > 1000);
      segments += l.pen.width == 2;
    }
    for (const auto& t : page) labels += t.text.rfind("2024/03/", 0) == 0;
    EXPECT_EQ(axes, 2) << c.records;
    EXPECT_EQ(segments, c.segments) << c.records;
    EXPECT_EQ(labels, c.timeLabels) << c.records;
  }
}

TEST_F(PrintedReportTest, ModelLineFallsBackToTheDataFileModel) {
  ReportData d = test::sampleReport(2);
  d.meterModel.clear();
  d.fileModel = "KRD 529";
  ASSERT_EQ(print(d).status, ReportResult::Done);
  EXPECT_EQ(rec->count(" - KRD 529"), 3);
}
