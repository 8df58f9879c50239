// The PDF report of a measurement, drawn with the program's PDF writer on
// A4 portrait pages, in four sections that each start on a new page with
// the logo, the page number and the title block (model and user
// information):
//   1. the header summary table (" - HeaderData"),
//   2. the record table (" - RecordData"), continued over as many pages as
//      it needs, each continued page with a top rule and its page number,
//   3. the level graph of Lavg, Leq, Lcpk and Lzpk against time, with six
//      header values of dose channel D1 and the maximum of each quantity,
//   4. the level distribution: for every whole-decibel level counted, a
//      grey bar as high as its largest count and one coloured line per
//      quantity.
// The caption of the calling window shows the progress while the tables
// and the graph are drawn.
#pragma once
#include <string>

#include "reports/reportdata.h"

namespace vkz {

class qtzPDF;

// Writes the PDF report of `data` to `fileName`. When it is whole, the
// result names the file for the viewer and carries what the writer said
// meanwhile. On a failure the document is still ended (the file holds the
// pages written so far and is not to be opened) and the result says what
// happened.
ReportResult ExportPdfReport(const ReportData& data, ReportUi& ui, const std::string& fileName);

// The line advance of the report's tables (centimetres): from a line at or
// below `bottom` it ends the page and starts a new one at the first line,
// with a top rule for a continued table unless `noRule`, and its page
// number; otherwise one line step down. False when the writer failed.
bool NextPdfLine(double& y, double bottom, qtzPDF& pdf, bool noRule);

}  // namespace vkz
