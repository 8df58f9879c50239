#include "reports/pdflayout.h"

#include <algorithm>
#include <cmath>

#include "reports/levels.h"

namespace vkz {

bool advancePdfLine(double& y, double bottom) {
  if (y >= bottom) {
    y = kPdfFirstLine;
    return true;
  }
  y += kPdfLineStep;
  return false;
}

double pdfHeaderTextX(int c) {
  return c == 0 ? 0.1 : 5.0 * c - 0.35;
}
double pdfHeaderLineX(int c) {
  return c == 0 ? 1 : 5.0 * c + 0.25;
}
double pdfHeaderRightX(int cols) {
  return 5.0 * cols + 0.25;
}
double pdfRecordTextX(int c) {
  return c == 0 ? 1 : c == 1 ? 2.35 : 3.45 * c;
}
double pdfRecordLineX(int c) {
  return c == 0 ? 1 : c == 1 ? 3.25 : 3.55 * c + 0.25;
}
double pdfRecordRightX(int cols) {
  return 3.5 * cols + 0.25;
}

PdfReportLayout pdfReportLayout(int userRows, int headerRows, int recordRows) {
  PdfReportLayout l;
  int page = 1;
  double y = kPdfFirstLine;
  auto advance = [&] {
    if (advancePdfLine(y)) ++page;
  };
  // Each section starts on a new page with its title block: four line
  // advances to the model line, one per user-information line.
  auto newSection = [&](bool first) {
    if (!first) ++page;
    y = kPdfFirstLine;
    for (int i = 0; i < 4 + std::max(userRows, 0); ++i) advance();
  };
  // A table: spacer line, title line, then its rows, one advance between
  // two rows; the page of each row is noted in `rowPage` when given.
  auto table = [&](int rows, std::vector<int>* rowPage) {
    advance();
    advance();
    advance();
    for (int r = 0; r < rows; ++r) {
      if (rowPage) rowPage->push_back(page);
      if (r + 1 < rows) advance();
    }
  };
  newSection(true);
  table(headerRows, nullptr);
  l.headerPages = page - l.headerFirst + 1;
  newSection(false);
  l.recordFirst = page;
  table(recordRows, &l.recordRowPage);
  l.recordPages = page - l.recordFirst + 1;
  newSection(false);
  l.graphPage = page;
  newSection(false);
  l.histogramPage = page;
  l.pages = page;
  return l;
}

double pdfLevelY(double level) {
  return 300 + (340 - ScaleToLength(level - kScaleLow, kScaleHigh - kScaleLow, 340)) + 5;
}

double pdfRecordX(int k, int n) {
  return n <= 1 ? 60 : 60 + ScaleToLength(k - 1, n - 1, 480);
}

std::vector<PdfTimeLabel> pdfTimeLabels(int n) {
  std::vector<PdfTimeLabel> v;
  if (n < 1) return v;
  v.push_back({1, 20, 58, false});
  const int middle = n / 2 + 1;
  if (middle > 1 && middle < n) {
    const double x = pdfRecordX(middle, n);
    v.push_back({middle, x - 50, x, true});
  }
  if (n >= 2) v.push_back({n, 460, 538, true});
  return v;
}

double HistogramScale::countHeight(double n) const {
  return largest > 0 ? ScaleToLength(n, largest, 346) : 0;
}
double HistogramScale::levelX(double d) const {
  return ScaleToLength(d, highest - lowest, 480);
}
double HistogramScale::slotX(double s) const {
  return ScaleToLength(s, 4.0 * (highest - lowest) + 4, 480);
}

namespace {
// A count label's text: the whole number.
std::string whole(double n) {
  return std::to_string(static_cast<long long>(n));
}
}  // namespace

std::vector<PdfAxisText> histogramCountLabels(const HistogramScale& s) {
  std::vector<PdfAxisText> v;
  const double M = std::trunc(s.largest);
  if (M > 0) {
    // Eighths of the largest count, long and short labels alternating.
    for (int k = 8; k >= 1; --k) {
      const double n = std::trunc(M * k / 8);
      v.push_back({whole(n), k % 2 == 0 ? 25.0 : 35.0, 654 - s.countHeight(n)});
    }
  }
  v.push_back({"0", 30, 654});
  return v;
}

std::vector<double> histogramCountTicks(const HistogramScale& s) {
  std::vector<double> v;
  const double M = std::trunc(s.largest);
  if (M > 0) {
    const double half = std::trunc(M / 2);
    v.push_back(305);
    v.push_back(650 - s.countHeight(std::trunc((half + M) / 2)));
    v.push_back(650 - s.countHeight(half));
    v.push_back(650 - s.countHeight(std::trunc(M / 4)));
  }
  v.push_back(652);
  return v;
}

std::vector<double> histogramGridLines(const HistogramScale& s) {
  std::vector<double> v;
  const double M = std::trunc(s.largest);
  if (M <= 0) return v;
  for (int k = 8; k >= 1; --k) v.push_back(650 - s.countHeight(std::trunc(M * k / 8)));
  return v;
}

std::vector<PdfAxisText> histogramLevelLabels(const HistogramScale& s) {
  std::vector<PdfAxisText> v;
  if (s.highest < s.lowest) return v;
  const int R = s.highest - s.lowest;
  v.push_back({std::to_string(s.lowest), s.levelX(0) + 60 - 4, 666});
  if (R == 0) return v;
  // Eight ninths of the range down to one ninth, each at its own level.
  for (int k = 1; k <= 8; ++k) {
    const int d = (9 - k) * R / 9;
    v.push_back({std::to_string(s.lowest + d), s.levelX(d) + 60 - 4, 666});
  }
  v.push_back({std::to_string(s.highest), s.levelX(R) + 60 - 10, 666});
  return v;
}

HistogramBar histogramBar(const HistogramScale& s, int level, const unsigned counts[4]) {
  HistogramBar b{};
  b.level = level;
  const double slot = 4.0 * (level - s.lowest);
  unsigned h = 0;
  for (int c = 0; c < 4; ++c) h = std::max(h, counts[c]);
  b.x1 = s.slotX(slot) + 60;
  b.x2 = s.slotX(slot + 4) + 60;
  b.top = 650 - s.countHeight(h);
  for (int c = 0; c < 4; ++c) {
    b.lineX[c] = s.slotX(slot + c) + 60;
    b.lineTop[c] = 650 - s.countHeight(counts[c]);
  }
  return b;
}

}  // namespace vkz
