// Telling the user what came of a report (views/reporthooks.h).
#pragma once
#include "views/reporthooks.h"

namespace vkz {

// Shows a failed outcome in a message box; a cancel and success stay silent.
void tellReportOutcome(const ReportOutcome& outcome);

}  // namespace vkz
