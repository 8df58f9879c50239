// Inside the printed report: one print run on its canvas, with the page
// frame the sections share. A printer that fails stops the drawing
// (PrintStop) and the run ends the document.
#pragma once
#include <cstdint>
#include <string>

#include "reports/canvas.h"
#include "reports/printlayout.h"
#include "reports/reportdata.h"

namespace vkz {

struct PrintStop {
  std::string why;
};

class PrintRun {
 public:
  PrintRun(const ReportData& data, ReportUi& ui, ReportCanvas& canvas);

  // All copies of the three sections.
  void print();

  const ReportData& data;
  ReportUi& ui;
  ReportCanvas& canvas;
  double lh = 0;      // line height: the height of "H"
  double y = 0;       // the current line
  TextMeasure width;  // text width in the report font

  double pitch() const { return lh + kPrintGap; }
  void text(double x, double y, const std::string& t) { canvas.text(x, y, t); }
  // Stops the run when the printer has failed.
  void checkPrinter();

 private:
  void sectionHead();
  void table(const GridData& grid, const std::string& title, const std::string& suffix);
  void row(const GridData& grid, int r, const std::vector<double>& widths, bool counted);
  void footer();
  void endPage();
  void progressStep();

  int page_ = 1;
  ProgressCaption progress_;
  std::uint64_t done_ = 0;
};

// Section 3, from the current line of the run on.
void drawPrintedLevelGraph(PrintRun& run);

}  // namespace vkz
