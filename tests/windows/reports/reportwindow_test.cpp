// Both reports as the program makes them, from a window with three grids,
// offscreen: the installed report functions (State().reports), the report
// on its own thread, the printed report through the printer seam into a PDF
// file, the PDF report through the program's writer; the window's caption,
// the snapshot of its grids, the viewer and a second start while a report
// runs.
#include <gtest/gtest.h>

#include <QEvent>
#include <QTest>
#include <QWidget>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "base/appdir.h"
#include "reports/win/installreports.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "ui/captionrun.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "unit/pdf/pdftest.h"
#include "unit/reports/reportsample.h"
#include "views/reporthooks.h"

using namespace vkz;
using pdftest::has;
using pdftest::pageText;
using pdftest::pdfPages;
using pdftest::run;

namespace {

// Notes every caption the window shows.
class CaptionLog : public QObject {
 public:
  explicit CaptionLog(QWidget* w) : w_(w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::WindowTitleChange) captions.push_back(w_->windowTitle().toStdString());
    return false;
  }
  std::vector<std::string> captions;

 private:
  QWidget* w_;
};

// Calls `at` once, as the window's caption first shows a progress.
class OnFirstProgress : public QObject {
 public:
  OnFirstProgress(QWidget* w, std::function<void()> at) : w_(w), at_(std::move(at)) {
    w->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::WindowTitleChange && !called && w_->windowTitle().contains(QLatin1Char('%'))) {
      called = true;
      at_();
    }
    return false;
  }
  bool called = false;

 private:
  QWidget* w_;
  std::function<void()> at_;
};

// A data window: its caption and the three grids of a measurement.
struct ReportWindowTest : ::testing::Test {
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  FlexGrid* header = new FlexGrid(window.get());
  FlexGrid* records = new FlexGrid(window.get());
  FlexGrid* userInfo = new FlexGrid(window.get());
  pdftest::ScratchDir dir;

  void SetUp() override {
    test::resetProgram();
    setAppDir(QCoreApplication::applicationDirPath().toStdString());
    State().polling.MeterModel = "VKZ 418";
    State().texts.TxtCompleted = "Completed";
    installReports();
    fill(40);
    window->setWindowTitle(QStringLiteral("Data List"));
  }
  void TearDown() override { test::resetProgram(); }
  void fill(int n) {
    const ReportData d = test::sampleReport(n);
    header->gridData() = d.header;
    records->gridData() = d.records;
    userInfo->gridData() = d.userInfo;
    for (FlexGrid* g : {header, records, userInfo}) g->Refresh();
  }
  ReportSource source() { return {window.get(), header, records, userInfo}; }
  void answer(const std::string& file) {
    PrinterSeam::answers().push_back({false, QString::fromStdString(file), 1, QPageLayout::Portrait});
  }
  // Starts a report through the installed function; `outcome` is set once
  // it has ended.
  void print(std::optional<ReportOutcome>& outcome) {
    State().reports.printReport(source(), [&outcome](const ReportOutcome& o) { outcome = o; });
  }
  void pdf(const std::string& file, std::optional<ReportOutcome>& outcome) {
    State().reports.exportPdfReport(source(), file, [&outcome](const ReportOutcome& o) { outcome = o; });
  }
  // Lets events run until the report has ended.
  static ReportOutcome ended(std::optional<ReportOutcome>& outcome) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 60000));
    EXPECT_FALSE(State().reportRunning);
    return outcome.value_or(ReportOutcome{ReportOutcome::Failed, "the report never ended"});
  }
};

}  // namespace

TEST_F(ReportWindowTest, PrintedReportHasItsFootersAndRepeatedHeadings) {
  fill(120);
  const std::string file = dir.file("printed.pdf");
  answer(file);
  CaptionLog log(window.get());
  std::optional<ReportOutcome> outcome;
  print(outcome);
  EXPECT_TRUE(State().reportRunning);
  const ReportOutcome r = ended(outcome);
  ASSERT_EQ(r.status, ReportOutcome::Done) << r.message;
  ASSERT_TRUE(pdftest::qpdfClean(file));
  const int pages = pdfPages(file);
  ASSERT_GE(pages, 5);  // header, at least three record pages, graph
  int recordPages = 0, headings = 0;
  for (int p = 1; p <= pages; ++p) {
    const std::string t = pageText(file, p);
    // "P - 3" (the text extraction may drop the blanks around the dash)
    std::string packed = t;
    std::erase(packed, ' ');
    EXPECT_TRUE(has(packed, "P-" + std::to_string(p) + "\n")) << "page " << p;
    const bool records = has(t, "2024/03/05 0") && !has(t, "Threshold");
    recordPages += records;
    headings += records && has(t, "No.s") && has(t, "Date/Time") && has(t, "LZPK");
  }
  EXPECT_GE(recordPages, 3);
  EXPECT_EQ(headings, recordPages);  // every record page opens with the heading row
  const std::string first = pageText(file, 1);
  for (const char* t : {"- VKZ 418", "- Evaluator : Ana Silva", "- HeaderData", "Exceedance Level"})
    EXPECT_TRUE(has(first, t)) << t;
  EXPECT_TRUE(has(pageText(file, pages), "Lzpk"));
  // Progress in the caption, then the caption as it was.
  ASSERT_GE(log.captions.size(), 2u);
  EXPECT_EQ(log.captions.end()[-2], "100.0% Completed");
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Data List"));
  EXPECT_TRUE(MsgBox::shown().empty());
  EXPECT_TRUE(MsgBox::openedDocuments().isEmpty());
}

TEST_F(ReportWindowTest, CancelInThePrinterDialogPrintsNothing) {
  PrinterSeam::answers().push_back({true, QString(), 1, QPageLayout::Portrait});
  CaptionLog log(window.get());
  std::optional<ReportOutcome> outcome;
  print(outcome);
  ASSERT_TRUE(outcome.has_value());  // told at once
  EXPECT_EQ(outcome->status, ReportOutcome::Cancelled);
  EXPECT_FALSE(State().reportRunning);
  EXPECT_EQ(PrinterSeam::dialogsShown(), 1);
  EXPECT_TRUE(log.captions.empty());
}

TEST_F(ReportWindowTest, APrinterThatCannotPrintGivesAMessageAndTheCaptionBack) {
  answer(dir.file("no/such/folder/printed.pdf"));
  std::optional<ReportOutcome> outcome;
  print(outcome);
  const ReportOutcome r = ended(outcome);
  EXPECT_EQ(r.status, ReportOutcome::Failed);
  EXPECT_TRUE(has(r.message, "could not be written to " + dir.file("no/such/folder/printed.pdf") +
                                 ": No such file or directory"))
      << r.message;
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Data List"));
}

TEST_F(ReportWindowTest, AReportToAFullDiskLeavesNoFileAndTheEarlierOneAsItWas) {
  fill(200);
  struct Report {
    const char* name;
    std::function<void(const std::string& file, std::optional<ReportOutcome>&)> start;
  };
  ReportWindowTest& t = *this;
  const Report reports[] = {
      {"printed report",
       [&t](const std::string& file, std::optional<ReportOutcome>& o) {
         t.answer(file);
         t.print(o);
       }},
      {"PDF report", [&t](const std::string& file, std::optional<ReportOutcome>& o) { t.pdf(file, o); }}};
  for (pdftest::FullDisk::Kind kind : {pdftest::FullDisk::SmallFileSystem, pdftest::FullDisk::SizeLimit}) {
    for (const Report& report : reports) {
      pdftest::FullDisk disk(kind, 16 << 10);
      if (!disk.ready()) continue;  // the system lets this test mount nothing
      SCOPED_TRACE(std::string(report.name) + ", " + disk.cause);
      const std::string file = disk.file("report.pdf");
      std::ofstream(file) << "the earlier report";
      std::optional<ReportOutcome> outcome;
      report.start(file, outcome);
      const ReportOutcome r = ended(outcome);
      EXPECT_EQ(r.status, ReportOutcome::Failed);
      EXPECT_TRUE(has(r.message, std::string("The ") + report.name + " could not be written to " + file +
                                     ": " + disk.cause + "."))
          << r.message;
      EXPECT_EQ(pdftest::readBytes(file), "the earlier report");
      EXPECT_EQ(disk.names(), std::vector<std::string>{"report.pdf"});
      EXPECT_EQ(window->windowTitle(), QStringLiteral("Data List"));
    }
  }
  EXPECT_TRUE(MsgBox::shown().empty());
  EXPECT_TRUE(MsgBox::openedDocuments().isEmpty());
}

TEST_F(ReportWindowTest, TheReportKeepsWhatWasShownWhileTheWindowChangesOrCloses) {
  const std::string file = dir.file("report.pdf");
  std::optional<ReportOutcome> outcome, second;
  pdf(file, outcome);
  // While the report is made: the grids are emptied, the user asks for a
  // printed report, and the window closes.
  records->setRows(1);
  userInfo->setTextMatrix(0, 1, QStringLiteral("Somebody Else"));
  print(second);
  window.reset();
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->status, ReportOutcome::Failed);
  EXPECT_EQ(second->message, reportBusyText());
  EXPECT_EQ(PrinterSeam::dialogsShown(), 0);

  const ReportOutcome r = ended(outcome);
  ASSERT_EQ(r.status, ReportOutcome::Done) << r.message;
  const std::string text = run("pdftotext -enc UTF-8 '" + file + "' - 2>&1");
  for (int rec = 1; rec <= 40; ++rec) EXPECT_TRUE(has(text, test::sampleTime(60 * (rec - 1)))) << rec;
  EXPECT_TRUE(has(text, "Evaluator : Ana Silva"));
  EXPECT_FALSE(has(text, "Somebody Else"));
  EXPECT_EQ(MsgBox::openedDocuments(), QStringList{QString::fromStdString(file)});
}

TEST_F(ReportWindowTest, APdfReportNoViewerCanOpenIsToldNotFailed) {
  const std::string file = dir.file("report.pdf");
  MsgBox::viewerAnswers().push_back(false);
  std::optional<ReportOutcome> outcome;
  pdf(file, outcome);
  EXPECT_EQ(ended(outcome).status, ReportOutcome::Done);
  EXPECT_TRUE(pdftest::qpdfClean(file));
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_TRUE(MsgBox::shown()[0].text.contains(QStringLiteral("no program could open it")));
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Exclamation);
}

TEST_F(ReportWindowTest, ARunOverlappingTheReportLeavesTheWindowsOwnCaption) {
  // A save (or a histogram's count) starts while the caption shows the
  // report's progress, writes its own, and ends before or after the report.
  fill(2000);
  for (const bool reportEndsFirst : {true, false}) {
    SCOPED_TRACE(reportEndsFirst ? "the report ends first" : "the save ends first");
    std::unique_ptr<CaptionRun> save;
    OnFirstProgress start(window.get(), [&] {
      save = std::make_unique<CaptionRun>(window.get());
      save->show(QStringLiteral("50.0% Completed"));
      if (!reportEndsFirst) save.reset();
    });
    std::optional<ReportOutcome> outcome;
    pdf(dir.file("report.pdf"), outcome);
    EXPECT_EQ(ended(outcome).status, ReportOutcome::Done);
    ASSERT_TRUE(start.called);
    if (reportEndsFirst) {
      ASSERT_NE(save, nullptr);
      save.reset();
    }
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Data List"));
  }
}
