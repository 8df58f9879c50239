// The printed measurement report and the PDF report, as the data list and
// file list windows call them. Both reports belong to the reports
// subsystem, which installs its functions here at start-up; until it does,
// a call says so (a failure with its message) instead of doing nothing.
//
// A report reads the three grids of the calling window cell by cell
// (summary, records, user information) and shows its progress in that
// window's caption. It is made on a thread of its own from a copy of the
// grids taken when it starts, so the call returns while it is made; what
// came of it is handed to the caller's `done`, on the window thread, when
// it has ended (at once when it never started). One report at a time: a
// second one asked for meanwhile is refused with reportBusyText().
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

// What came of a report, for the window that asked for it.
using ReportDone = std::function<void(const ReportOutcome&)>;

// The installed report functions (empty until the reports subsystem sets
// them), one of the program-wide records (ProgramState).
struct ReportHooks {
  // Shows the printer dialog and prints the report; a cancel in the dialog
  // is Cancelled.
  std::function<void(const ReportSource&, ReportDone done)> printReport;
  // Writes the PDF report of the grids to `fileName` (UTF-8 path).
  std::function<void(const ReportSource&, const std::string& fileName, ReportDone done)> exportPdfReport;
};

// The windows' calls: start the installed function, which hands what came
// of it to `done`; without an installed function, `done` hears at once
// that this report is not available.
void PrintReport(const ReportHooks& hooks, const ReportSource& source, ReportDone done);
void ExportPdfReport(const ReportHooks& hooks, const ReportSource& source, const std::string& fileName,
                     ReportDone done);

// The messages of a call without an installed function.
std::string printReportMissingText();
std::string pdfReportMissingText();
// The refusal of a report asked for while another one is being made.
std::string reportBusyText();

}  // namespace vkz
