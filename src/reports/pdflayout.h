// Where the PDF report puts things, as pure functions: the line advance and
// page breaks of its tables (centimetres), the columns of the two tables,
// the scales of the level graph page and of the level histogram page
// (points, y downwards from the top edge of an A4 portrait page).
#pragma once
#include <string>
#include <vector>

namespace vkz {

// --- tables (centimetres) ------------------------------------------------

constexpr double kPdfFirstLine = 1.25;  // first text line of every page
constexpr double kPdfLineStep = 0.72;
constexpr double kPdfBottom = 27;       // an advance from a line at or below it breaks the page
constexpr double kPdfRuleDrop = 0.175;  // a line's rule lies this far below its text line
constexpr double kPdfRuleLeft = 1, kPdfRuleLength = 19.25;

// The line advance: from a line at or below the bottom limit the next line
// is the first one of a new page; otherwise it is one step lower. Returns
// true when the advance broke the page.
bool advancePdfLine(double& y, double bottom = kPdfBottom);

// Text x and left line x of column c of the header table (four columns of
// 5 cm) and of the record table (number, date and time, four levels).
double pdfHeaderTextX(int c);
double pdfHeaderLineX(int c);
double pdfHeaderRightX(int cols);
double pdfRecordTextX(int c);
double pdfRecordLineX(int c);
double pdfRecordRightX(int cols);

// The pages of a report: first page and page count of the header and
// record tables, the graph and histogram pages, and the page each record
// grid row (0 = titles) lands on.
struct PdfReportLayout {
  int headerFirst = 1, headerPages = 0;
  int recordFirst = 0, recordPages = 0;
  int graphPage = 0, histogramPage = 0;
  int pages = 0;
  std::vector<int> recordRowPage;
};
PdfReportLayout pdfReportLayout(int userRows, int headerRows, int recordRows);

// --- level graph page (points) ---------------------------------------------

// A drawn level (50 to 150 dB) on the level scale: 150 dB at y 305, 50 dB
// at y 645, 3.4 points per dB.
double pdfLevelY(double level);
// Record k (1 to n) on the time scale: the first at x 60, the last at 540.
double pdfRecordX(int k, int n);

// A date-and-time label of the time axis: the record it names, its text x,
// the x of its tick, and whether a vertical grid line goes with it.
struct PdfTimeLabel {
  int record;
  double textX;
  double tickX;
  bool gridLine;
};
// The first record, the middle one (record n \ 2 + 1) and the last, each
// labelled once.
std::vector<PdfTimeLabel> pdfTimeLabels(int n);

// --- level histogram page (points) ------------------------------------------

// A text of the histogram's axes at (x, y).
struct PdfAxisText {
  std::string text;
  double x, y;
};
// The histogram's scales for the largest count M and the levels lowest to
// highest (R = highest - lowest).
struct HistogramScale {
  double largest = 0;
  int lowest = 0, highest = 0;
  // Height above the line y 650 of a count; 0 when nothing was counted.
  double countHeight(double n) const;
  // x offset from 60 of the label of level lowest + d.
  double levelX(double d) const;
  // x offset from 60 of slot s (four slots per level).
  double slotX(double s) const;
};
// Count labels, the y of the count ticks and of the dotted grid lines.
std::vector<PdfAxisText> histogramCountLabels(const HistogramScale& s);
std::vector<double> histogramCountTicks(const HistogramScale& s);
std::vector<double> histogramGridLines(const HistogramScale& s);
// Level labels under the axis (none when nothing was counted).
std::vector<PdfAxisText> histogramLevelLabels(const HistogramScale& s);

// One level's bar: from x1 to x2, its top at y `top`; the four quantity
// lines stand at lineX, from their tops down to y 650.
struct HistogramBar {
  int level;
  double x1, x2, top;
  double lineX[4];
  double lineTop[4];
};
HistogramBar histogramBar(const HistogramScale& s, int level, const unsigned counts[4]);

}  // namespace vkz
