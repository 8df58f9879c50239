#include "views/win/reporthooks.h"

#include <exception>

#include "ui/msgbox.h"

namespace vkz {

ReportHooks& Reports() {
  static ReportHooks h;
  return h;
}

QString printReportMissingText() {
  return QStringLiteral(
      "The printed report is not available in this version of the program: nothing was printed.");
}

QString pdfReportMissingText() {
  return QStringLiteral(
      "The PDF report is not available in this version of the program: no file was written.");
}

namespace {
template <class F>
ReportOutcome guarded(F&& f) {
  try {
    return f();
  } catch (const std::exception& e) {
    return {ReportOutcome::Failed, QString::fromStdString(e.what())};
  } catch (...) {
    return {ReportOutcome::Failed, QStringLiteral("The report could not be made.")};
  }
}
}  // namespace

ReportOutcome PrintReport(const ReportSource& source) {
  if (!Reports().printReport) return {ReportOutcome::Failed, printReportMissingText()};
  return guarded([&] { return Reports().printReport(source); });
}

ReportOutcome ExportPdfReport(const ReportSource& source, const QString& fileName) {
  if (!Reports().exportPdfReport) return {ReportOutcome::Failed, pdfReportMissingText()};
  return guarded([&] { return Reports().exportPdfReport(source, fileName); });
}

void tellReportOutcome(const ReportOutcome& outcome) {
  if (outcome.status != ReportOutcome::Failed) return;
  MsgBox::show(outcome.message.isEmpty() ? QStringLiteral("The report could not be made.") : outcome.message,
               MsgIcon::Critical);
}

}  // namespace vkz
