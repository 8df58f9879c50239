// Sections 3 and 4 of the PDF report: the level graph page and the level
// histogram page. Both draw in points on a plot area from x 60 to 540 and
// y 300 to 650, with header values of dose channel D1 above it and the
// colour legend at its top right.
#include <algorithm>

#include "reports/pdflayout.h"
#include "reports/pdfpages.h"

namespace vkz {
namespace {

constexpr long long kBlack = pdfRgb(0, 0, 0);
constexpr int kSolid = 0, kDotted = 3;

// A header value of dose channel D1: the label (column 0 and " :") above
// the value (column 1).
struct HeaderSpot {
  int row;
  double x, labelY, valueY;
};

void drawHeaderValues(PdfReportRun& run, std::initializer_list<HeaderSpot> spots) {
  for (const HeaderSpot& s : spots) {
    run.text(run.data.header.text(s.row, 0) + " :", s.x, s.labelY);
    run.text(run.data.header.text(s.row, 1), s.x, s.valueY);
  }
}

// Grey plot area, black text, the four header values both pages show.
void drawPlotFrame(PdfReportRun& run) {
  run.pdf.PDFSetUnit(0);
  run.pdf.PDFSetLineStyle(kSolid);
  run.pdf.PDFSetLineWidth(1);
  run.drawColour(pdfRgb(200, 200, 200));
  run.rect(60, 300, 480, 350);
  run.textColour(kBlack);
  drawHeaderValues(run, {{3, 90, 240, 255}, {4, 90, 275, 290}, {5, 200, 240, 255}, {6, 200, 275, 290}});
}

void drawLegend(PdfReportRun& run) {
  static const char* const names[kLevelQuantities] = {"Lavg", "Leq", "Lcpk", "Lzpk"};
  for (int q = 0; q < kLevelQuantities; ++q) {
    const double x = q % 2 == 0 ? 420 : 480;
    const double y = q < 2 ? 270 : 290;
    run.text(names[q], x, y);
    run.pdf.PDFSetLineWidth(2);
    run.lineColour(kQuantityColour[q]);
    run.line(x + 30, y - 4, x + 55, y - 4);
  }
}

// Black axes of width 4 along the left and the bottom of the plot area.
void drawAxes(PdfReportRun& run) {
  run.pdf.PDFSetLineWidth(4);
  run.lineColour(kBlack);
  run.line(60, 652, 540, 652);
  run.line(58, 300, 58, 654);
}

// Level labels and ticks at 150, 125, 100, 75 and 50 dB, and the dotted
// grid at every eighth of the scale.
void drawLevelScale(PdfReportRun& run) {
  for (int level = 150; level >= 50; level -= 25) {
    const double y = pdfLevelY(level);
    run.text(std::to_string(level), 20, y + 5);
    run.line(50, y, 60, y);
  }
  run.pdf.PDFSetLineWidth(1);
  run.pdf.PDFSetLineStyle(kDotted);
  for (int k = 8; k >= 0; --k) {
    const double y = pdfLevelY(kScaleLow + 12.5 * k);
    run.line(60, y, 540, y);
  }
}

void drawTimeLabel(PdfReportRun& run, const PdfTimeLabel& l) {
  run.pdf.PDFSetLineWidth(4);
  run.lineColour(kBlack);
  run.text(run.data.records.text(l.record, kTimeColumn), l.textX, 671);
  run.line(l.tickX, 650, l.tickX, 659);
  if (l.gridLine) {
    run.pdf.PDFSetLineWidth(1);
    run.pdf.PDFSetLineStyle(kDotted);
    run.line(l.tickX, 300, l.tickX, 650);
  }
  run.pdf.PDFSetLineWidth(2);
  run.lineColour(kBlack);
  run.pdf.PDFSetLineStyle(kSolid);
}

// The curves, record pair by record pair, the four quantities of a pair in
// column order; the date-and-time labels where the pair reaches them.
void drawCurves(PdfReportRun& run) {
  const GridData& g = run.data.records;
  const int n = g.rows() - 1;
  const int quantities = levelColumns(g);
  const std::vector<PdfTimeLabel> labels = pdfTimeLabels(n);
  auto label = labels.begin();
  auto labelUpTo = [&](int record) {
    for (; label != labels.end() && label->record <= record; ++label) drawTimeLabel(run, *label);
  };
  run.startProgress(n >= 2 ? static_cast<std::uint64_t>(quantities) * static_cast<std::uint64_t>(n - 1) : 0);
  labelUpTo(1);
  for (int i = 2; i <= n; ++i) {
    labelUpTo(i);
    const std::string_view before = g.rowText(i - 1);
    const std::string_view after = g.rowText(i);
    const double x1 = pdfRecordX(i - 1, n), x2 = pdfRecordX(i, n);
    for (int q = 0; q < quantities; ++q) {
      const double y1 = pdfLevelY(drawnLevel(levelOf(cellOf(before, kFirstLevelColumn + q))));
      const double y2 = pdfLevelY(drawnLevel(levelOf(cellOf(after, kFirstLevelColumn + q))));
      run.lineColour(kQuantityColour[q]);
      run.line(x1, y1, x2, y2);
      run.progressStep();
    }
  }
}

// The maximum of each quantity with the date and time of its record.
void drawMaxima(PdfReportRun& run) {
  static const char* const labels[kLevelQuantities] = {"Max Lavg :", "Max Leq :", "Max Lcpk :", "Max Lzpk :"};
  const auto maxima = findMaxima(run.data.records);
  for (int q = 0; q < kLevelQuantities; ++q) {
    const double y = 680 + 20 * (q + 1);
    const LevelMaximum& m = maxima[static_cast<size_t>(q)];
    run.text(labels[q], 310, y);
    run.text(m.found ? m.time + "   " + m.text + " dB" : std::string("--"), 380, y);
  }
}

}  // namespace

void drawLevelGraphPage(PdfReportRun& run) {
  drawPlotFrame(run);
  drawHeaderValues(run, {{10, 20, 698, 715}, {7, 20, 733, 750}});
  drawLegend(run);
  drawAxes(run);
  run.text("dB", 50, 290);
  run.text("Time", 545, 655);
  drawLevelScale(run);
  run.pdf.PDFSetLineWidth(2);
  run.lineColour(kBlack);
  run.pdf.PDFSetLineStyle(kSolid);
  drawCurves(run);
  run.textColour(kBlack);
  drawMaxima(run);
  run.pdf.PDFSetUnit(2);
}

void drawLevelHistogramPage(PdfReportRun& run, const LevelCounts& counts) {
  drawPlotFrame(run);
  drawLegend(run);
  drawAxes(run);
  run.text("Freq", 45, 290);
  run.text("dB", 545, 655);
  const HistogramScale scale{static_cast<double>(counts.largest()), counts.lowest, counts.highest};
  // Count labels from the top down, a tick after every second one (the
  // largest count, three quarters, a half, a quarter and 0).
  const std::vector<PdfAxisText> countLabels = histogramCountLabels(scale);
  const std::vector<double> countTicks = histogramCountTicks(scale);
  for (size_t i = 0; i < countLabels.size(); ++i) {
    run.text(countLabels[i].text, countLabels[i].x, countLabels[i].y);
    if (i % 2 == 0 && i / 2 < countTicks.size()) run.line(50, countTicks[i / 2], 60, countTicks[i / 2]);
  }
  run.pdf.PDFSetLineWidth(1);
  run.pdf.PDFSetLineStyle(kDotted);
  for (double y : histogramGridLines(scale)) run.line(60, y, 540, y);
  for (const PdfAxisText& t : histogramLevelLabels(scale)) run.text(t.text, t.x, t.y);
  for (int v = counts.lowest; v <= counts.highest; ++v) {
    unsigned n[kLevelQuantities];
    for (int q = 0; q < kLevelQuantities; ++q)
      n[q] = counts.count[static_cast<size_t>(v)][static_cast<size_t>(q)];
    const HistogramBar bar = histogramBar(scale, v, n);
    run.pdf.PDFSetLineWidth(1);
    run.drawColour(v % 2 == 0 ? pdfRgb(80, 80, 80) : pdfRgb(160, 160, 160));
    run.pdf.PDFSetLineStyle(kSolid);
    run.rect(bar.x1, bar.top, bar.x2 - bar.x1, 650 - bar.top);
    for (int q = 0; q < kLevelQuantities; ++q) {
      run.pdf.PDFSetLineWidth(2);
      run.lineColour(kQuantityColour[q]);
      run.line(bar.lineX[q], bar.lineTop[q], bar.lineX[q], 650);
    }
  }
  run.pdf.PDFSetUnit(2);
}

}  // namespace vkz
