#include "reports/win/installreports.h"

#include <QPrinter>
#include <exception>
#include <memory>
#include <optional>

#include "base/appdir.h"
#include "base/log.h"
#include "base/trtext.h"
#include "reports/pdfreport.h"
#include "reports/printreport.h"
#include "reports/win/printercanvas.h"
#include "reports/win/reportjob.h"
#include "reports/win/reportwindow.h"
#include "state/programstate.h"
#include "ui/printer.h"
#include "views/reporthooks.h"

namespace vkz {
namespace {

// The snapshot of the source's grids with the program's meter model,
// data-file model, folder and "Completed" text; nothing when the source
// shows no measurement.
std::optional<ReportData> snapshotOf(const ReportSource& source) {
  if (!source.header || !source.records || !source.userInfo) return std::nullopt;
  const ProgramState& s = State();
  return takeReportSnapshot(*source.header, *source.records, *source.userInfo,
                            {s.polling.MeterModel, s.dataFile.FileModel, appDir(), s.texts.TxtCompleted});
}

// Starts a report of the source's grids: refused while another one is being
// made, a failure when the source shows no measurement. `begin` does what
// comes before the report's thread (the printer dialog) and starts the job,
// or tells `done` why not. Whatever fails on the way is told to `done` too.
template <class Begin>
void startReport(const ReportSource& source, ReportDone& done, Begin begin,
                 const SourcePlace& where = SourcePlace::here()) {
  if (State().reportRunning) return done({ReportOutcome::Failed, reportBusyText()});
  try {
    std::optional<ReportData> data = snapshotOf(source);
    if (!data)
      return done({ReportOutcome::Failed,
                   trText("Report", "The report could not be made: the window shows no measurement.")});
    begin(std::move(*data));
  } catch (...) {
    logCaught(LogArea::Ui, where);
    State().reportRunning = false;
    if (done) done({ReportOutcome::Failed, trText("Report", "The report could not be made.")});
  }
}

// The printed report: the printer dialog on the window thread (no second
// report starts while it is open), then the drawing on the report's thread,
// where the printer's canvas is made and ended.
void printReport(const ReportSource& source, ReportDone done) {
  startReport(source, done, [&](ReportData data) {
    State().reportRunning = true;
    std::shared_ptr<QPrinter> printer = PrinterSeam::choosePrinter(source.window);
    if (!printer) {
      State().reportRunning = false;
      return done({ReportOutcome::Cancelled, {}});
    }
    const QString logo = QString::fromStdString(data.programFolder + "/Img/Image.png");
    ReportJob::start(
        source.window,
        [data = std::move(data), printer = std::move(printer), logo](ReportUi& progress) mutable {
          PrinterCanvas canvas(std::move(printer), logo);
          return PrintReport(data, progress, canvas);
        },
        std::move(done));
  });
}

void exportPdfReport(const ReportSource& source, const std::string& fileName, ReportDone done) {
  startReport(source, done, [&](ReportData data) {
    ReportJob::start(
        source.window,
        [data = std::move(data), fileName](ReportUi& progress) {
          return ExportPdfReport(data, progress, fileName);
        },
        std::move(done));
  });
}

}  // namespace

void installReports() {
  State().reports.printReport = printReport;
  State().reports.exportPdfReport = exportPdfReport;
}

}  // namespace vkz
