#include "reports/pdfreport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/appdir.h"
#include "fakes.h"
#include "reports/levels.h"
#include "reports/pdflayout.h"
#include "reportsample.h"
#include "unit/pdf/pdftest.h"

using namespace vkz;
using pdftest::has;
using pdftest::pageText;
using pdftest::pdfPages;
using pdftest::qpdfClean;
using pdftest::run;
using test::FakeUi;

namespace {

// The drawing operators of one page as the writer wrote them (its page
// contents come first in the file, in page order).
std::string pageContent(const std::string& path, int page) {
  std::ifstream in(path, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t at = 0;
  for (int p = 0; p < page; ++p) at = pdf.find("stream\r\n", pdf.find("obj", at)) + 8;
  return pdf.substr(at, pdf.find("endstream", at) - at);
}

// A line from (x1, y1) to (x2, y2), y downwards from the top of an A4 page.
std::string pdfLine(double x1, double y1, double x2, double y2) {
  char b[96];
  std::snprintf(b, sizeof b, "%.2f %.2f m\r\n%.2f %.2f l\r\n", x1, 842 - y1, x2, 842 - y2);
  return b;
}

struct PdfReportTest : ::testing::Test {
  pdftest::ScratchDir dir;
  FakeUi ui;
  std::string out = dir.file("report.pdf");
  ReportData sample(int records) {
    ReportData d = test::sampleReport(records);
    d.programFolder = appDir();  // Img/ and Fonts/ as installed beside the program
    return d;
  }
};

}  // namespace

TEST_F(PdfReportTest, SmallMeasurementAsLaidOut) {
  const ReportData d = sample(25);
  const ReportResult r = ExportPdfReport(d, ui, out);
  ASSERT_EQ(r.status, ReportResult::Done) << r.message;
  ASSERT_TRUE(qpdfClean(out));
  const PdfReportLayout l = pdfReportLayout(d.userInfo.rows(), d.header.rows(), d.records.rows());
  ASSERT_EQ(pdfPages(out), l.pages);
  ASSERT_EQ(l.pages, 5);
  EXPECT_EQ(r.document, out);  // whole: for the viewer
  EXPECT_TRUE(r.notes.empty());

  std::vector<std::string> pages(static_cast<size_t>(l.pages) + 1);
  for (int p = 1; p <= l.pages; ++p) {
    pages[static_cast<size_t>(p)] = pageText(out, p);
    EXPECT_TRUE(has(pages[static_cast<size_t>(p)], "P-" + std::to_string(p))) << p;
  }
  for (int p : {1, l.recordFirst, l.graphPage, l.histogramPage}) {
    EXPECT_TRUE(has(pages[static_cast<size_t>(p)], "- VKZ 418")) << p;
    EXPECT_TRUE(has(pages[static_cast<size_t>(p)], "Evaluator : Ana Silva")) << p;
  }
  EXPECT_TRUE(has(pages[1], "HeaderData"));
  EXPECT_TRUE(has(pages[1], "Exceedance Level"));
  EXPECT_TRUE(has(pages[2], "RecordData"));
  for (int r = 1; r <= 25; ++r) {
    const int want = l.recordRowPage[static_cast<size_t>(r)];
    for (int p = l.recordFirst; p < l.graphPage; ++p)
      EXPECT_EQ(has(pages[static_cast<size_t>(p)], test::sampleTime(60 * (r - 1))), p == want)
          << "record " << r << " page " << p;
  }
  // The graph page: header values of D1, the time labels of records 1, 13
  // and 25, and the maxima as measured (152.3 dB lies above the scale).
  const std::string& graph = pages[static_cast<size_t>(l.graphPage)];
  for (const char* t : {"Threshold :", "80 dB", "Duration :", "Interval Time :", "Lavg", "Lzpk", "Time"})
    EXPECT_TRUE(has(graph, t)) << t;
  for (int rec : {1, 13, 25}) EXPECT_TRUE(has(graph, test::sampleTime(60 * (rec - 1)))) << rec;
  const auto maxima = findMaxima(d.records);
  for (const char* t : {"Max Lavg :", "Max Leq :", "Max Lcpk :", "Max Lzpk :"}) EXPECT_TRUE(has(graph, t));
  for (const LevelMaximum& m : maxima) {
    ASSERT_TRUE(m.found);
    EXPECT_TRUE(has(graph, m.time)) << m.time;
    EXPECT_TRUE(has(graph, m.text + " dB")) << m.text;
  }
  EXPECT_EQ(maxima[3].text, "152.3");
  const std::string& histogram = pages[static_cast<size_t>(l.histogramPage)];
  EXPECT_TRUE(has(histogram, "Freq"));
  EXPECT_TRUE(has(histogram, "Exchange Rate :"));
  // Progress with two decimals.
  ASSERT_FALSE(ui.captions.empty());
  EXPECT_EQ(ui.captions.back(), "100.00% Completed");
}

TEST_F(PdfReportTest, TheLevelTicksAndGridOfTheGraphLieOnTheCurvesScale) {
  ASSERT_EQ(ExportPdfReport(sample(3), ui, out).status, ReportResult::Done);
  const std::string graph = pageContent(out, 3);
  // 150, 125, 100, 75 and 50 dB: 3.4 points a decibel from y 645 up.
  for (double y : {305.0, 390.0, 475.0, 560.0, 645.0}) EXPECT_TRUE(has(graph, pdfLine(50, y, 60, y))) << y;
  for (int k = 0; k <= 8; ++k) {
    const double y = 645 - 42.5 * k;  // every 12.5 dB
    EXPECT_TRUE(has(graph, pdfLine(60, y, 540, y))) << y;
  }
  // Not on the quarters and eighths of the plot area's height.
  for (double y : {387.5, 562.5}) EXPECT_FALSE(has(graph, pdfLine(50, y, 60, y))) << y;
  for (double y : {346.25, 431.25, 518.75, 603.75}) EXPECT_FALSE(has(graph, pdfLine(60, y, 540, y))) << y;
}

TEST_F(PdfReportTest, SmallAndFlatMeasurementsFinishEveryPage) {
  struct Case {
    const char* name;
    int records;
    const char* level;  // every level cell, or nullptr for the sample's
    std::vector<std::string> onHistogram;
  } cases[] = {
      {"no record", 0, nullptr, {"Freq", "0"}},  {"one record", 1, nullptr, {"Freq", "1"}},
      {"two records", 2, nullptr, {"Freq"}},     {"three records", 3, nullptr, {"Freq"}},
      {"no level at all", 6, "-- dB", {"Freq"}}, {"one level only", 6, "*72.4 dB", {"Freq", "72", "6"}},
  };
  for (const Case& c : cases) {
    ReportData d = sample(c.records);
    if (c.level)
      for (int r = 1; r <= c.records; ++r)
        for (int q = 2; q < 6; ++q) d.records.setText(r, q, c.level);
    const std::string file = dir.file(std::string(c.name) + ".pdf");
    const ReportResult r = ExportPdfReport(d, ui, file);
    ASSERT_EQ(r.status, ReportResult::Done) << c.name << ": " << r.message;
    ASSERT_TRUE(qpdfClean(file)) << c.name;
    const PdfReportLayout l = pdfReportLayout(d.userInfo.rows(), d.header.rows(), d.records.rows());
    ASSERT_EQ(pdfPages(file), l.pages) << c.name;
    const std::string graph = pageText(file, l.graphPage);
    EXPECT_TRUE(has(graph, "Max Lzpk :")) << c.name;
    EXPECT_TRUE(has(graph, "150")) << c.name;
    const std::string histogram = pageText(file, l.histogramPage);
    for (const std::string& t : c.onHistogram) EXPECT_TRUE(has(histogram, t)) << c.name << ": " << t;
    EXPECT_TRUE(has(histogram, "P-" + std::to_string(l.pages))) << c.name;
  }
}

TEST_F(PdfReportTest, OneRecordHasItsLabelAndItsMaxima) {
  const ReportResult r = ExportPdfReport(sample(1), ui, out);
  ASSERT_EQ(r.status, ReportResult::Done) << r.message;
  const std::string graph = pageText(out, 3);
  EXPECT_TRUE(has(graph, test::sampleTime(0)));
  EXPECT_TRUE(has(graph, test::sampleLevel(1, 0) + " dB"));
  EXPECT_FALSE(has(graph, " 0 dB"));
}

TEST_F(PdfReportTest, AFailureEndsTheDocumentWithoutOpeningIt) {
  // No logo: the first page head fails; the file still closes as a PDF.
  ReportData d = sample(25);
  const std::string folder = dir.file("program");
  std::filesystem::create_directories(folder);
  std::filesystem::create_directory_symlink(appDir() + "/Fonts", folder + "/Fonts");
  d.programFolder = folder;
  const ReportResult r = ExportPdfReport(d, ui, out);
  EXPECT_EQ(r.status, ReportResult::Failed);
  EXPECT_TRUE(has(r.message, "incomplete")) << r.message;
  EXPECT_TRUE(has(r.message, "Image.jpg")) << r.message;
  EXPECT_TRUE(has(r.message, out)) << r.message;
  EXPECT_TRUE(qpdfClean(out));
  EXPECT_EQ(pdfPages(out), 1);
  EXPECT_TRUE(r.document.empty());  // not for the viewer

  // A file that cannot be created, and one whose writes fail.
  for (const std::string& file : {dir.file("no/such/folder/report.pdf"), std::string("/dev/full")}) {
    const ReportResult w = ExportPdfReport(sample(25), ui, file);
    EXPECT_EQ(w.status, ReportResult::Failed) << file;
    EXPECT_TRUE(has(w.message, "could not be written to " + file)) << w.message;
    EXPECT_TRUE(w.document.empty()) << file;
  }
}
