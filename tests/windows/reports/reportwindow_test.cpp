// Both reports started from a window with three grids, offscreen: the
// printed report through the printer seam into a PDF file, the PDF report
// through the program's writer; the window's caption, the snapshot of its
// grids and a second start while a report runs.
#include "reports/win/reportwindow.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QFileInfo>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>

#include "base/appdir.h"
#include "reports/pdfreport.h"
#include "reports/printreport.h"
#include "support/common/program_reset.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "unit/pdf/pdftest.h"
#include "unit/reports/reportsample.h"

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

// A data window: its caption and the three grids of a measurement.
struct ReportWindowTest : ::testing::Test {
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  FlexGrid* header = new FlexGrid(window.get());
  FlexGrid* records = new FlexGrid(window.get());
  FlexGrid* userInfo = new FlexGrid(window.get());
  pdftest::ScratchDir dir;

  void SetUp() override {
    test::resetProgram();
    MsgBox::setTestMode(true);
    MsgBox::resetTestRecords();
    PrinterSeam::setTestMode(true);
    PrinterSeam::resetTestRecords();
    fill(40);
    window->setWindowTitle(QStringLiteral("Data List"));
  }
  void TearDown() override {
    PrinterSeam::resetTestRecords();
    PrinterSeam::setTestMode(false);
    MsgBox::resetTestRecords();
    MsgBox::setTestMode(false);
  }
  void fill(int n) {
    const ReportData d = test::sampleReport(n);
    header->gridData() = d.header;
    records->gridData() = d.records;
    userInfo->gridData() = d.userInfo;
    for (FlexGrid* g : {header, records, userInfo}) g->Refresh();
  }
  ReportData snapshot() {
    return takeReportSnapshot(window.get(), *header, *records, *userInfo,
                              {"VKZ 418", "", appDir(), "Completed"});
  }
  void answer(const std::string& file) {
    PrinterSeam::answers().push_back({false, QString::fromStdString(file), 1, QPageLayout::Portrait});
  }
};

}  // namespace

TEST_F(ReportWindowTest, PrintedReportHasItsFootersAndRepeatedHeadings) {
  fill(120);
  const std::string file = dir.file("printed.pdf");
  answer(file);
  CaptionLog log(window.get());
  const ReportData d = snapshot();
  WindowReportUi ui(window.get(), d);
  const ReportResult r = PrintReport(d, ui);
  ASSERT_EQ(r.status, ReportResult::Done) << r.message;
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
  ASSERT_GE(log.captions.size(), 3u);
  EXPECT_EQ(log.captions.end()[-2], "100.0% Completed");
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Data List"));
  EXPECT_TRUE(MsgBox::shown().empty());
}

TEST_F(ReportWindowTest, CancelInThePrinterDialogPrintsNothing) {
  PrinterSeam::answers().push_back({true, QString(), 1, QPageLayout::Portrait});
  CaptionLog log(window.get());
  const ReportData d = snapshot();
  WindowReportUi ui(window.get(), d);
  EXPECT_EQ(PrintReport(d, ui).status, ReportResult::Cancelled);
  EXPECT_EQ(PrinterSeam::dialogsShown(), 1);
  EXPECT_TRUE(log.captions.empty());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Data List"));
}

TEST_F(ReportWindowTest, APrinterThatCannotPrintGivesAMessageAndTheCaptionBack) {
  answer(dir.file("no/such/folder/printed.pdf"));
  const ReportData d = snapshot();
  WindowReportUi ui(window.get(), d);
  const ReportResult r = PrintReport(d, ui);
  EXPECT_EQ(r.status, ReportResult::Failed);
  EXPECT_TRUE(has(r.message, "could not be written to " + dir.file("no/such/folder/printed.pdf") +
                                 ": No such file or directory"))
      << r.message;
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Data List"));
}

TEST_F(ReportWindowTest, AReportToAFullDiskLeavesNoFileAndTheEarlierOneAsItWas) {
  fill(200);
  struct Report {
    const char* name;
    std::function<ReportResult(const ReportData&, ReportUi&, const std::string& file)> make;
  };
  ReportWindowTest& t = *this;
  const Report reports[] = {{"printed report",
                             [&t](const ReportData& d, ReportUi& ui, const std::string& file) {
                               t.answer(file);
                               return PrintReport(d, ui);
                             }},
                            {"PDF report", [](const ReportData& d, ReportUi& ui, const std::string& file) {
                               return ExportPdfReport(d, ui, file);
                             }}};
  for (pdftest::FullDisk::Kind kind : {pdftest::FullDisk::SmallFileSystem, pdftest::FullDisk::SizeLimit}) {
    for (const Report& report : reports) {
      pdftest::FullDisk disk(kind, 16 << 10);
      if (!disk.ready()) continue;  // the system lets this test mount nothing
      SCOPED_TRACE(std::string(report.name) + ", " + disk.cause);
      const std::string file = disk.file("report.pdf");
      std::ofstream(file) << "the earlier report";
      const ReportData d = snapshot();
      WindowReportUi ui(window.get(), d);
      const ReportResult r = report.make(d, ui, file);
      EXPECT_EQ(r.status, ReportResult::Failed);
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
  const ReportData d = snapshot();
  WindowReportUi ui(window.get(), d);
  ui.setYieldInterval(0);
  ReportResult second{ReportResult::Done, {}};
  // While the report lets events run: the grids are emptied, the user
  // asks for a printed report, and the window closes.
  QTimer::singleShot(0, [&] {
    records->setRows(1);
    userInfo->setTextMatrix(0, 1, QStringLiteral("Somebody Else"));
    const ReportData now = snapshot();
    WindowReportUi otherUi(window.get(), now);
    second = PrintReport(now, otherUi);
    window.reset();
  });
  const ReportResult r = ExportPdfReport(d, ui, file);
  ASSERT_EQ(r.status, ReportResult::Done) << r.message;
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(second.status, ReportResult::Failed);
  EXPECT_EQ(second.message, ReportRun::busyMessage());
  EXPECT_EQ(PrinterSeam::dialogsShown(), 0);
  const std::string text = run("pdftotext -enc UTF-8 '" + file + "' - 2>&1");
  for (int rec = 1; rec <= 40; ++rec) EXPECT_TRUE(has(text, test::sampleTime(60 * (rec - 1)))) << rec;
  EXPECT_TRUE(has(text, "Evaluator : Ana Silva"));
  EXPECT_FALSE(has(text, "Somebody Else"));
  EXPECT_EQ(MsgBox::openedDocuments(), QStringList{QString::fromStdString(file)});
}
