// The report functions the data list and file list windows call
// (State().reports, views/reporthooks.h), installed at start-up.
#pragma once

namespace vkz {

// Each installed function takes the snapshot of the calling window's three
// grids with the program's meter model, data-file model, folder and
// "Completed" text, makes the report with the window's side of it
// (WindowReportUi: progress in its caption, the printer dialog, the viewer)
// and hands back what came of it for the window to tell.
void installReports();

}  // namespace vkz
