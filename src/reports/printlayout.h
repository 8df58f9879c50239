// Where the printed report puts things, as pure functions in twips on the
// printable area: the page frame of its tables and the frame, scales and
// time labels of its level graph. Text sizes come from the printer's font,
// so the functions that need them take a measuring function.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/griddata.h"

namespace vkz {

using TextMeasure = std::function<double(const std::string&)>;

constexpr int kPrintFontSize = 11;
constexpr double kPrintRuleX = 500;   // left rule of every table
constexpr double kPrintTextX = 550;   // left of every text line
constexpr double kPrintFirstY = 500;  // first line of every page
constexpr double kPrintGap = 100;     // between two lines, between a column's text and the next column

// A whole twip: halves to the even neighbour.
double wholeTwips(double v);

// A table row moves to a new page when its line y plus four line heights
// passes the printable height.
bool printRowBreaks(double y, double lineHeight, double pageHeight);

// Column widths of a table: each the widest cell text of its column with
// `suffix` appended (measured, never printed), heading row included.
std::vector<double> printColumnWidths(const GridData& grid, const std::string& suffix,
                                      const TextMeasure& width);

// x of a cell text centred in its column's span of width + 50, the span
// starting at the column's text x.
double printCellX(double columnX, double columnWidth, double textWidth);

// The page footer "P - n", centred across the printable width, two line
// heights above its bottom.
std::string printFooterText(int page);
double printFooterX(double pageWidth, double textWidth);

// The level graph: a plot area from (left, top) to (right, bottom) below
// the header values that start at y0, with the level scale from 50 dB at
// the bottom to 150 dB at the top and the records spread from the left
// edge (the first) to the right edge (the last).
struct PrintGraphFrame {
  double pitch = 0;  // line pitch: line height + 100
  double top = 0, left = 0, right = 0, bottom = 0;
  double width = 0, height = 0;
  double legendLeft = 0;
  double zWidth = 0;     // width of "ZZZZ"
  double dateWidth = 0;  // width of a date and time
  double slotWidth = 0;  // room one time label needs

  double recordX(int record, int records) const;
  double levelY(double drawnLevel) const;
};
PrintGraphFrame printGraphFrame(double y0, double lineHeight, double pageWidth, double pageHeight,
                                const TextMeasure& width);

// The records whose date and time label the time axis: the first, then
// evenly spaced ones as many as fit, and always the last.
std::vector<int> printTimeLabels(int records, double plotWidth, double slotWidth);

}  // namespace vkz
