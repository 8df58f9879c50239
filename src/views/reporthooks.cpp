#include "views/reporthooks.h"

#include "base/trtext.h"

namespace vkz {

std::string printReportMissingText() {
  return trText("Report",
                "The printed report is not available in this version of the program: nothing was printed.");
}

std::string pdfReportMissingText() {
  return trText("Report",
                "The PDF report is not available in this version of the program: no file was written.");
}

std::string reportBusyText() {
  return trText("Report", "A report is being made. Wait until it is finished, then start this one again.");
}

void PrintReport(const ReportHooks& hooks, const ReportSource& source, ReportDone done) {
  if (!hooks.printReport) return done({ReportOutcome::Failed, printReportMissingText()});
  hooks.printReport(source, std::move(done));
}

void ExportPdfReport(const ReportHooks& hooks, const ReportSource& source, const std::string& fileName,
                     ReportDone done) {
  if (!hooks.exportPdfReport) return done({ReportOutcome::Failed, pdfReportMissingText()});
  hooks.exportPdfReport(source, fileName, std::move(done));
}

}  // namespace vkz
