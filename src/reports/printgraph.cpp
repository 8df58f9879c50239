// Section 3 of the printed report: the level graph. Six header values of
// dose channel D1 in two columns, the legend at the top right, then the
// plot area with the level scale (50 to 150 dB), the time axis with the
// dates and times of evenly spaced records, and one curve per level
// quantity.
#include <algorithm>

#include "base/numfmt.h"
#include "reports/levels.h"
#include "reports/printpages.h"

namespace vkz {
namespace {

constexpr std::uint32_t kQuantityRgb[kLevelQuantities] = {0xFF0000, 0x00FFFF, 0x0000FF, 0x00FF00};
const ReportPen kGridPen{0x646464, 1, PenStyle::Dashed};
const ReportPen kAxisPen{0x000000, 15, PenStyle::Solid};

// Threshold, criterion and duration in the first column, exchange rate,
// exceedance level and interval time in the second: label above value,
// each centred in the column.
void drawHeaderValues(PrintRun& run) {
  static const int rows[6] = {3, 4, 10, 5, 6, 7};
  std::string texts[12];
  for (int i = 0; i < 6; ++i) {
    texts[2 * i] = run.data.header.text(rows[i], 0);
    texts[2 * i + 1] = run.data.header.text(rows[i], 1);
  }
  // A text wider than the column makes it its own width and that of "0000".
  double column = 0;
  for (const std::string& t : texts)
    if (run.width(t) > column) column = run.width(t + "0000");
  for (int k = 0; k < 2; ++k) {
    double y = run.y;
    for (int i = 0; i < 6; ++i) {
      const std::string& t = texts[6 * k + i];
      run.text(kPrintTextX + k * column + (column - run.width(t)) / 2, y, t);
      y += run.pitch();
    }
  }
}

// The 50, 75, 100, 125 and 150 dB lines with their labels and ticks, and
// the dashed lines half way between them.
void drawLevelGrid(PrintRun& run, const PrintGraphFrame& f) {
  const double zero = run.width("0"), labelRoom = run.width("999.9");
  const double half = run.canvas.textHeight("0") / 2;
  for (int k = 0; k <= 4; ++k) {
    const double y = f.bottom - ScaleToLength(k, 4, 1) * f.height;
    run.canvas.line(f.left, y, f.right, y, kGridPen);
    if (k >= 1) {
      const double yh = f.bottom - ScaleToLength(2 * k - 1, 8, 1) * f.height;
      run.canvas.line(f.left, yh, f.right, yh, kGridPen);
    }
    const std::string t = formatPattern(kScaleLow + ScaleToLength(k, 4, 1) * 100, "0.0");
    run.text(kPrintTextX + (labelRoom - run.width(t)) / 2, y - half, t);
    run.canvas.line(f.left - zero, y, f.left, y, kAxisPen);
  }
}

void drawTimeLabel(PrintRun& run, const PrintGraphFrame& f, int record, int records) {
  const double x = f.recordX(record, records);
  const double h0 = run.canvas.textHeight("0");
  run.canvas.line(x, f.top, x, f.bottom, kGridPen);
  run.canvas.line(x, f.bottom, x, f.bottom + h0 / 2, kAxisPen);
  run.text(x - f.dateWidth / 2, f.bottom + h0, run.data.records.text(record, kTimeColumn));
}

// Curves pair by pair, the quantities of a pair in column order, with the
// time labels of the records the pairs reach.
void drawCurves(PrintRun& run, const PrintGraphFrame& f) {
  const GridData& g = run.data.records;
  const int n = g.rows() - 1;
  const int quantities = levelColumns(g);
  const std::vector<int> labels = printTimeLabels(n, f.width, f.slotWidth);
  auto label = labels.begin();
  auto labelUpTo = [&](int record) {
    for (; label != labels.end() && *label <= record; ++label) drawTimeLabel(run, f, *label, n);
  };
  labelUpTo(1);
  for (int i = 2; i <= n; ++i) {
    labelUpTo(i);
    const std::string_view before = g.rowText(i - 1);
    const std::string_view after = g.rowText(i);
    const double x1 = f.recordX(i - 1, n), x2 = f.recordX(i, n);
    for (int q = 0; q < quantities; ++q) {
      const double y1 = f.levelY(drawnLevel(levelOf(cellOf(before, kFirstLevelColumn + q))));
      const double y2 = f.levelY(drawnLevel(levelOf(cellOf(after, kFirstLevelColumn + q))));
      run.canvas.line(x1, y1, x2, y2, ReportPen{kQuantityRgb[q], 2, PenStyle::Solid});
    }
    if (i % 256 == 0) run.checkPrinter();
  }
}

// Two rows of two entries above the plot area's right end: name and a
// sample line in the quantity's colour.
void drawLegend(PrintRun& run, const PrintGraphFrame& f) {
  static const char* const names[kLevelQuantities] = {"Lavg", "Leq", "Lcpk", "Lzpk"};
  const double S = f.pitch, V = S / 1.5, Z = f.zWidth, zero = run.width("0"), G = f.legendLeft;
  for (int q = 0; q < kLevelQuantities; ++q) {
    const double textY = q < 2 ? f.top - 2 * S : f.top - S;
    const double lineY = q < 2 ? f.top - S - V : f.top - V;
    const ReportPen pen{kQuantityRgb[q], 20, PenStyle::Solid};
    if (q % 2 == 0) {
      run.text(G, textY, names[q]);
      run.canvas.line(G + zero + Z, lineY, G + zero + 2 * Z, lineY, pen);
    } else {
      run.text(G + 2 * Z + run.width("00"), textY, names[q]);
      const double x = G + 3 * (zero + Z);
      run.canvas.line(x, lineY, x + Z, lineY, pen);
    }
  }
}

}  // namespace

void drawPrintedLevelGraph(PrintRun& run) {
  const PrintGraphFrame f =
      printGraphFrame(run.y, run.lh, run.canvas.pageWidth(), run.canvas.pageHeight(), run.width);
  drawHeaderValues(run);
  run.canvas.rectangle(f.left, f.top, f.right, f.bottom, ReportPen{0xE6E6E6, 1, PenStyle::Solid});
  drawLevelGrid(run, f);
  run.canvas.line(f.left, f.top, f.left, f.bottom, kAxisPen);
  run.canvas.line(f.left, f.bottom, f.right, f.bottom, kAxisPen);
  drawCurves(run, f);
  drawLegend(run, f);
  run.checkPrinter();
}

}  // namespace vkz
