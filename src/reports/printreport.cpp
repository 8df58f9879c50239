#include "reports/printreport.h"

#include "base/trtext.h"
#include "reports/levels.h"
#include "reports/printpages.h"
#include "reports/reporttexts.h"

namespace vkz {

PrintRun::PrintRun(const ReportData& d, ReportUi& u, ReportCanvas& c)
    : data(d), ui(u), canvas(c), progress_(0, 1, d.completedText) {
  width = [this](const std::string& t) { return canvas.textWidth(t); };
}

void PrintRun::checkPrinter() {
  if (!canvas.ok()) throw PrintStop{canvas.error()};
}

void PrintRun::print() {
  checkPrinter();
  canvas.setFontSize(kPrintFontSize);
  lh = canvas.textHeight("H");
  const int copies = std::max(canvas.copies(), 1);
  const std::uint64_t cells =
      static_cast<std::uint64_t>(data.records.cols()) * static_cast<std::uint64_t>(data.records.rows()) +
      static_cast<std::uint64_t>(data.header.cols()) * static_cast<std::uint64_t>(data.header.rows());
  progress_.reset(cells * static_cast<std::uint64_t>(copies));
  for (int copy = 0; copy < copies; ++copy) {
    page_ = 1;
    for (int section = 1; section <= 3; ++section) {
      sectionHead();
      if (section == 1)
        table(data.header, " - HeaderData", "00");
      else if (section == 2)
        table(data.records, " - RecordData", "0000");
      else
        drawPrintedLevelGraph(*this);
      footer();
      endPage();
    }
  }
}

// Logo, model line, user information and one empty line.
void PrintRun::sectionHead() {
  y = kPrintFirstY;
  canvas.logo(kPrintTextX, y);
  // The logo's height in hundredths of a millimetre, halved, taken as
  // twips: the next line starts a little above the logo's foot plus a line.
  y += canvas.logoHeightHimetric() / 2 + lh + kPrintGap;
  text(kPrintTextX, y, " - " + (data.meterModel.empty() ? data.fileModel : data.meterModel));
  y += pitch();
  const GridData& info = data.userInfo;
  for (int r = 0; r < info.rows(); ++r) {
    const std::string_view rowText = info.rowText(r);
    std::string t = " - " + std::string(cellOf(rowText, 0)) + " : ";
    double x = kPrintTextX;
    text(x, y, t);
    for (int c = 1; c < info.cols(); ++c) {
      x += width(t);
      t = std::string(cellOf(rowText, c));
      text(x, y, t);
    }
    y += pitch();
  }
  y += pitch();
}

// A ruled table under its title; a row that does not fit moves to a new
// page, which starts with the heading row in a full box.
void PrintRun::table(const GridData& grid, const std::string& title, const std::string& suffix) {
  text(kPrintTextX, y, title);
  y += pitch();
  if (grid.cols() == 0) return;
  // Measured in a full pass first.
  const std::vector<double> widths = printColumnWidths(grid, suffix, width);
  for (int r = 0; r < grid.rows(); ++r) {
    if (printRowBreaks(y, lh, canvas.pageHeight())) {
      footer();
      endPage();
      y = kPrintFirstY;
      if (r > 0) row(grid, 0, widths, false);
    }
    row(grid, r, widths, true);
  }
}

void PrintRun::row(const GridData& grid, int r, const std::vector<double>& widths, bool counted) {
  const ReportPen rule;
  const double top = y - 50, bottom = y + lh + 50;
  canvas.line(kPrintRuleX, top, kPrintRuleX, bottom, rule);
  const std::string_view rowText = grid.rowText(r);
  double x = kPrintTextX, right = kPrintRuleX;
  std::string t;
  for (int c = 0; c < grid.cols(); ++c) {
    t.assign(cellOf(rowText, c));
    const double w = widths[static_cast<size_t>(c)];
    text(printCellX(x, w, width(t)), y, t);
    x += w + kPrintGap;
    right = x - 50;
    canvas.line(right, top, right, bottom, rule);
    if (counted) progressStep();
  }
  if (r == 0) canvas.line(kPrintRuleX, top, right, top, rule);
  y += pitch();
  canvas.line(kPrintRuleX, bottom, right, bottom, rule);
  checkPrinter();
}

void PrintRun::footer() {
  const std::string t = printFooterText(page_);
  text(printFooterX(canvas.pageWidth(), width(t)), canvas.pageHeight() - 2 * lh, t);
}

void PrintRun::endPage() {
  canvas.endPage();
  ++page_;
  checkPrinter();
}

void PrintRun::progressStep() {
  ++done_;
  if (progress_.update(done_)) ui.showProgress(progress_.text());
}

ReportResult PrintReport(const ReportData& data, ReportUi& ui, ReportCanvas& canvas) {
  const bool started = canvas.ok();
  PrintRun run(data, ui, canvas);
  std::string stopped;
  try {
    run.print();
  } catch (const PrintStop& s) {
    stopped = s.why.empty() ? trText("Report", "the printer failed") : s.why;
  }
  const bool ended = canvas.endDocument();
  if (!ended && !canvas.outputFile().empty())
    return ReportResult::failure(
        reportFileNotWrittenText(trText("Report", "printed report"), canvas.outputFile(), canvas.error()));
  if (!started)
    return ReportResult::failure(
        fillText(trText("Report", "The report could not be printed: %1."), {stopped}));
  if (!stopped.empty())
    return ReportResult::failure(
        fillText(trText("Report",
                        "The printed report is incomplete: %1.\nOnly the pages drawn "
                        "before that were sent to the printer."),
                 {stopped}));
  if (!ended)
    return ReportResult::failure(
        fillText(trText("Report", "The printed report could not be finished: %1."),
                 {canvas.error().empty() ? trText("Report", "the printer failed") : canvas.error()}));
  return {};
}

}  // namespace vkz
