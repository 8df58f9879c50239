#include "reports/pdfreport.h"

#include "base/trtext.h"
#include "reports/levels.h"
#include "reports/pdflayout.h"
#include "reports/pdfpages.h"
#include "reports/reporttexts.h"

namespace vkz {
namespace {

// The writer's reason for its last failure, without the name of the call
// ("PDFEndDoc: cannot write ..." -> "cannot write ...").
std::string writerReason(const qtzPDF& pdf) {
  const std::string& e = pdf.PDFLastError();
  if (e.rfind("PDF", 0) == 0) {
    const size_t colon = e.find(": ");
    if (colon != std::string::npos && e.find(' ') > colon) return e.substr(colon + 2);
  }
  return e.empty() ? trText("Report", "the PDF writer failed") : e;
}

}  // namespace

bool NextPdfLine(double& y, double bottom, qtzPDF& pdf, bool noRule) {
  if (!advancePdfLine(y, bottom)) return true;
  bool ok = pdf.PDFEndPage() && pdf.PDFNewPage();
  if (ok && !noRule) ok = pdf.PDFDrawLineHor(kPdfRuleLeft, y + kPdfRuleDrop - kPdfLineStep, kPdfRuleLength);
  if (ok)
    ok = pdf.PDFTextOut("P-" + std::to_string(pdf.PDFPageNumber()), pdf.PDFGetPageWidth() / 66, bottom + 1);
  return ok;
}

// ------------------------------------------------------------ one run

PdfReportRun::PdfReportRun(const ReportData& d, ReportUi& u)
    : data(d), ui(u), logoPath_(d.programFolder + "/Img/Image.jpg"), progress_(0, 2, d.completedText) {}

void PdfReportRun::check(bool ok) {
  if (!ok) throw PdfStop{writerReason(pdf)};
}
void PdfReportRun::text(const std::string& s, double x, double yy) {
  check(pdf.PDFTextOut(s, x, yy));
}
void PdfReportRun::hline(double x, double yy, double w) {
  check(pdf.PDFDrawLineHor(x, yy, w));
}
void PdfReportRun::vline(double x, double yy, double h) {
  check(pdf.PDFDrawLineVer(x, yy, h));
}
void PdfReportRun::line(double x1, double y1, double x2, double y2) {
  check(pdf.PDFDrawLine(x1, y1, x2, y2));
}
void PdfReportRun::rect(double x, double yy, double w, double h) {
  check(pdf.PDFDrawRectangle(x, yy, w, h, ""));
}
void PdfReportRun::lineColour(long long c) {
  check(pdf.PDFSetLineColor(c));
}
void PdfReportRun::drawColour(long long c) {
  check(pdf.PDFSetDrawColor(c));
}
void PdfReportRun::textColour(long long c) {
  check(pdf.PDFSetTextColor(c));
}

void PdfReportRun::nextLine(bool noRule) {
  check(NextPdfLine(y, kPdfBottom, pdf, noRule));
}

void PdfReportRun::pageHead() {
  check(pdf.PDFImage(logoPath_, 1, 1, 0, 0, ""));
  text("P-" + std::to_string(pdf.PDFPageNumber()), pdf.PDFGetPageWidth() / 66, kPdfBottom + 1);
}

void PdfReportRun::titleBlock() {
  for (int i = 0; i < 4; ++i) nextLine();
  text("- " + data.meterModel, 0.25, y);
  const GridData& info = data.userInfo;
  for (int r = 0; r < info.rows(); ++r) {
    const std::string_view row = info.rowText(r);
    std::string t = "- " + std::string(cellOf(row, 0)) + " : ";
    for (int c = 1; c < info.cols(); ++c) t += cellOf(row, c);
    nextLine();
    text(t, 0.25, y);
  }
}

void PdfReportRun::newSection() {
  check(pdf.PDFEndPage());
  check(pdf.PDFNewPage());
  y = kPdfFirstLine;
  pageHead();
  titleBlock();
}

void PdfReportRun::startProgress(std::uint64_t total) {
  progress_.reset(total);
  done_ = 0;
}

void PdfReportRun::progressStep() {
  ++done_;
  if (progress_.update(done_)) ui.showProgress(progress_.text());
}

// ------------------------------------------------------------ tables

namespace {

// A ruled table: title line, then every row of `grid` (row 0 its headings)
// on its own line with its bottom rule, the cells' left lines and the
// table's right edges; the rows go on over as many pages as they need.
struct TableColumns {
  double (*textX)(int);
  double (*lineX)(int);
  std::vector<double> rightEdges;
};

void drawTable(PdfReportRun& run, const GridData& grid, const char* title, bool noRuleAtTitle,
               const TableColumns& cols) {
  run.nextLine();
  run.text("", 0.35, run.y);  // an empty line before the title
  run.nextLine(noRuleAtTitle);
  run.text(title, 0.25, run.y);
  run.hline(kPdfRuleLeft, run.y + kPdfRuleDrop, kPdfRuleLength);
  run.nextLine();
  const double top = kPdfRuleDrop - kPdfLineStep;
  for (int r = 0; r < grid.rows(); ++r) {
    const std::string_view row = grid.rowText(r);
    run.hline(kPdfRuleLeft, run.y + kPdfRuleDrop, kPdfRuleLength);
    for (int c = 0; c < grid.cols(); ++c) {
      run.text(std::string(cellOf(row, c)), cols.textX(c), run.y);
      run.vline(cols.lineX(c), run.y + top, kPdfLineStep);
      run.progressStep();
    }
    for (double x : cols.rightEdges) run.vline(x, run.y + top, kPdfLineStep);
    if (r + 1 < grid.rows()) run.nextLine();
  }
}

void drawSections(PdfReportRun& run) {
  const ReportData& d = run.data;
  run.startProgress(
      static_cast<std::uint64_t>(d.header.cols()) * static_cast<std::uint64_t>(d.header.rows()) +
      static_cast<std::uint64_t>(d.records.cols()) * static_cast<std::uint64_t>(d.records.rows()));
  run.pageHead();
  run.titleBlock();
  drawTable(run, d.header, " - HeaderData", false,
            {pdfHeaderTextX, pdfHeaderLineX, {pdfHeaderRightX(d.header.cols())}});
  run.newSection();
  drawTable(run, d.records, " - RecordData", true,
            {pdfRecordTextX,
             pdfRecordLineX,
             {pdfRecordRightX(d.records.cols()), pdfHeaderRightX(d.header.cols())}});
  run.newSection();
  drawLevelGraphPage(run);
  const LevelCounts counts = countLevels(d.records);
  run.newSection();
  drawLevelHistogramPage(run, counts);
}

// The writer's own messages, one text.
std::string joined(const std::vector<std::string>& messages) {
  std::string s;
  for (const std::string& m : messages) {
    if (!s.empty()) s += "\n";
    s += m;
  }
  return s;
}

ReportResult failed(std::string message) {
  return ReportResult::failure(std::move(message));
}

}  // namespace

// ------------------------------------------------------------ the report

ReportResult ExportPdfReport(const ReportData& data, ReportUi& ui, const std::string& fileName) {
  PdfReportRun run(data, ui);
  qtzPDF& pdf = run.pdf;
  pdf.setMessageHook([&run](const PdfMessage& m) {
    std::string t = m.text;
    for (size_t p; (p = t.find("\r\n")) != std::string::npos;) t.replace(p, 2, "\n");
    run.messages.push_back(t);
  });
  const auto notWritten = [&fileName](const std::string& why) {
    return failed(reportFileNotWrittenText(trText("Report", "PDF report"), fileName, why));
  };
  pdf.PDFTitle(data.meterModel + "_PDF");
  if (!pdf.PDFFileName(fileName)) return notWritten(pdf.PDFWriteError());
  // Returning here drops the file begun beside the target.
  if (!pdf.PDFLoadAfm(data.programFolder + "/Fonts")) return notWritten(writerReason(pdf));
  pdf.PDFSetFont(0, 12, 0);
  pdf.PDFSetLayoutMode(3);
  pdf.PDFFormatPage(std::int32_t{0});
  pdf.PDFOrientation(1);
  pdf.PDFSetTextColor(0LL);
  // The file is shown in the viewer by the caller, once it is known to be
  // whole.
  pdf.PDFView(false);
  pdf.PDFSetLineColor(0LL);
  pdf.PDFSetFill(true);
  pdf.PDFSetLineStyle(0);
  pdf.PDFSetLineWidth(0.025);
  pdf.PDFSetDrawMode(1);
  pdf.PDFUseOutlines(true);
  if (!pdf.PDFBeginDoc()) return notWritten(writerReason(pdf));

  std::string stopped;
  try {
    drawSections(run);
  } catch (const PdfStop& s) {
    stopped = s.why;
  }
  const bool ended = pdf.PDFEndDoc();

  if (!ended) return notWritten(pdf.PDFWriteError());
  if (!stopped.empty())
    return failed(fillText(trText("Report",
                                  "The PDF report is incomplete: %1.\nThe file %2 holds only the pages "
                                  "written before that and was not opened."),
                           {stopped, fileName}));
  return {ReportResult::Done, {}, joined(run.messages), fileName};
}

}  // namespace vkz
