// Inside the PDF report: one report run, its writer and the drawing steps
// shared by its sections. Every writer call is checked; the first one that
// fails stops the drawing (PdfStop) and the run ends the document.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pdf/qtzpdf.h"
#include "reports/levels.h"
#include "reports/reportdata.h"

namespace vkz {

// A writer call failed: why, for the user.
struct PdfStop {
  std::string why;
};

// A colour as the writer takes it: red in the low byte.
constexpr long long pdfRgb(int r, int g, int b) {
  return r + 256LL * g + 65536LL * b;
}
// The colours of Lavg, Leq, Lcpk and Lzpk.
constexpr long long kQuantityColour[kLevelQuantities] = {pdfRgb(255, 0, 0), pdfRgb(0, 255, 255),
                                                         pdfRgb(0, 0, 255), pdfRgb(0, 255, 0)};

class PdfReportRun {
 public:
  PdfReportRun(const ReportData& data, ReportUi& ui);

  const ReportData& data;
  ReportUi& ui;
  qtzPDF pdf;
  double y = 1.25;                    // the current text line (centimetres)
  std::vector<std::string> messages;  // what the writer said

  // Checked writer calls (the current unit).
  void text(const std::string& s, double x, double y);
  void hline(double x, double y, double w);
  void vline(double x, double y, double h);
  void line(double x1, double y1, double x2, double y2);
  void rect(double x, double y, double w, double h);
  void lineColour(long long c);
  void drawColour(long long c);
  void textColour(long long c);
  void check(bool ok);

  // Line advance of the tables (NextPdfLine, checked).
  void nextLine(bool noRule = false);
  // Logo and page number of the first page of a section.
  void pageHead();
  // Model line and user information.
  void titleBlock();
  // Ends the page and opens the next section's first page with its page
  // head and title block.
  void newSection();

  // Progress of the tables and the graph: `total` steps from now on.
  void startProgress(std::uint64_t total);
  // One step done; the caption follows the percentage.
  void progressStep();

 private:
  std::string logoPath_;
  ProgressCaption progress_;
  std::uint64_t done_ = 0;
};

// Sections 3 and 4, on the page the run has open (in centimetres); each
// ends with the unit back in centimetres.
void drawLevelGraphPage(PdfReportRun& run);
void drawLevelHistogramPage(PdfReportRun& run, const LevelCounts& counts);

}  // namespace vkz
