// Telling the user what came of a report (views/reporthooks.h).
#pragma once
#include "views/reporthooks.h"

namespace vkz {

// Shows a failed outcome in a message box; a cancel and success stay silent.
void tellReportOutcome(const ReportOutcome& outcome);

// True, once the user is told so, while a report is being made: a report
// button checks it before it opens any dialog of its own.
bool refusedWhileAReportRuns();

}  // namespace vkz
