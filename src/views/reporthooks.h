// The printed measurement report and the PDF report, as the data list and
// file list windows call them. Both reports belong to the reports
// subsystem, which installs its functions here at start-up; until it does,
// a call says so (a failure with its message) instead of doing nothing.
//
// A report reads the three grids of the calling window cell by cell
// (summary, records, user information) and shows its progress in that
// window's caption.
#pragma once
#include <functional>
#include <string>

class QWidget;

namespace vkz {

class FlexGrid;

// The window and grids a report is made from.
struct ReportSource {
  QWidget* window = nullptr;
  FlexGrid* header = nullptr;    // VKZ418Grid / GridHeader
  FlexGrid* records = nullptr;   // VKZ418PointGrid / GridRecord
  FlexGrid* userInfo = nullptr;  // MSFGridUserInfo / MSFUserInfo
};

struct ReportOutcome {
  enum Status { Done, Cancelled, Failed };
  Status status = Done;
  std::string message;  // why it failed, for the user (UTF-8)
};

// The installed report functions (empty until the reports subsystem sets
// them), one of the program-wide records (ProgramState).
struct ReportHooks {
  // Shows the printer dialog and prints the report; a cancel in the dialog
  // is Cancelled.
  std::function<ReportOutcome(const ReportSource&)> printReport;
  // Writes the PDF report of the grids to `fileName` (UTF-8 path).
  std::function<ReportOutcome(const ReportSource&, const std::string& fileName)> exportPdfReport;
};

// The windows' calls: run the installed function and give back what came
// of it; without an installed function, a failure saying that this report
// is not available. Never throw.
ReportOutcome PrintReport(const ReportHooks& hooks, const ReportSource& source);
ReportOutcome ExportPdfReport(const ReportHooks& hooks, const ReportSource& source,
                              const std::string& fileName);

// The messages of a call without an installed function.
std::string printReportMissingText();
std::string pdfReportMissingText();

}  // namespace vkz
