#include "views/reporthooks.h"

#include <exception>

#include "base/log.h"
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

namespace {
template <class F>
ReportOutcome guarded(F&& f, const SourcePlace& where = SourcePlace::here()) {
  try {
    return f();
  } catch (const std::exception& e) {
    logCaught(LogArea::Ui, where);
    return {ReportOutcome::Failed, e.what()};
  } catch (...) {
    logCaught(LogArea::Ui, where);
    return {ReportOutcome::Failed, trText("Report", "The report could not be made.")};
  }
}
}  // namespace

ReportOutcome PrintReport(const ReportHooks& hooks, const ReportSource& source) {
  if (!hooks.printReport) return {ReportOutcome::Failed, printReportMissingText()};
  return guarded([&] { return hooks.printReport(source); });
}

ReportOutcome ExportPdfReport(const ReportHooks& hooks, const ReportSource& source,
                              const std::string& fileName) {
  if (!hooks.exportPdfReport) return {ReportOutcome::Failed, pdfReportMissingText()};
  return guarded([&] { return hooks.exportPdfReport(source, fileName); });
}

}  // namespace vkz
