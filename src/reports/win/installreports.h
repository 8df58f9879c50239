// The report functions the data list and file list windows call
// (State().reports, views/reporthooks.h), installed at start-up.
#pragma once

namespace vkz {

// Each installed function refuses while another report is being made,
// takes the snapshot of the calling window's three grids with the
// program's meter model, data-file model, folder and "Completed" text (the
// printed report then shows the printer dialog) and makes the report on a
// thread of its own (ReportJob: progress in the window's caption, the
// viewer at the end); what came of it goes to the caller's `done`.
void installReports();

}  // namespace vkz
