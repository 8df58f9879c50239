// The printed report of a measurement, on the printer the user chooses in
// the printer dialog, in three sections that each start on a new page with
// the logo, the model line and the user information:
//   1. the header summary as a ruled table (" - HeaderData"),
//   2. the records as a ruled table (" - RecordData"), continued over as
//      many pages as needed, each continued page repeating the heading row,
//   3. the level graph of Lavg, Leq, Lcpk and Lzpk against time, with six
//      header values of dose channel D1 above it.
// Every page ends with its number ("P - 3") at the foot. The caption of the
// calling window shows the progress while the tables print.
#pragma once
#include "reports/canvas.h"
#include "reports/reportdata.h"

namespace vkz {

// Prints the report of `data` on `canvas`, the printer the user chose in
// the printer dialog, and ends the document. On a printer failure the
// document is still ended, so the pages drawn so far come out, and the
// result says the report is incomplete and why.
ReportResult PrintReport(const ReportData& data, ReportUi& ui, ReportCanvas& canvas);

}  // namespace vkz
