#include "reports/win/installreports.h"

#include "base/appdir.h"
#include "base/trtext.h"
#include "reports/pdfreport.h"
#include "reports/printreport.h"
#include "reports/win/reportwindow.h"
#include "state/programstate.h"
#include "views/reporthooks.h"

namespace vkz {
namespace {

ReportOutcome outcomeOf(const ReportResult& r) {
  switch (r.status) {
    case ReportResult::Done:
      return {ReportOutcome::Done, r.message};
    case ReportResult::Cancelled:
      return {ReportOutcome::Cancelled, r.message};
    case ReportResult::Failed:
      break;
  }
  return {ReportOutcome::Failed, r.message};
}

// Runs `make` on the snapshot of the source's grids, with the window's side
// of the report.
template <class Make>
ReportOutcome fromWindow(const ReportSource& source, Make make) {
  if (!source.header || !source.records || !source.userInfo)
    return {ReportOutcome::Failed,
            trText("Report", "The report could not be made: the window shows no measurement.")};
  const ProgramState& s = State();
  const ReportData data =
      takeReportSnapshot(source.window, *source.header, *source.records, *source.userInfo,
                         {s.polling.MeterModel, s.dataFile.FileModel, appDir(), s.texts.TxtCompleted});
  WindowReportUi ui(source.window, data);
  return outcomeOf(make(data, ui));
}

}  // namespace

void installReports() {
  State().reports.printReport = [](const ReportSource& source) {
    return fromWindow(source, [](const ReportData& data, ReportUi& ui) { return PrintReport(data, ui); });
  };
  State().reports.exportPdfReport = [](const ReportSource& source, const std::string& fileName) {
    return fromWindow(
        source, [&](const ReportData& data, ReportUi& ui) { return ExportPdfReport(data, ui, fileName); });
  };
}

}  // namespace vkz
