#include "reports/printlayout.h"

#include <algorithm>
#include <cmath>

#include "reports/levels.h"

namespace vkz {

double wholeTwips(double v) {
  return std::nearbyint(v);
}

bool printRowBreaks(double y, double lineHeight, double pageHeight) {
  return y + 4 * lineHeight > pageHeight;
}

std::vector<double> printColumnWidths(const GridData& grid, const std::string& suffix,
                                      const TextMeasure& width) {
  std::vector<double> w(static_cast<size_t>(std::max(grid.cols(), 0)), 0.0);
  std::string t;
  for (int r = 0; r < grid.rows(); ++r) {
    const std::string_view row = grid.rowText(r);
    for (int c = 0; c < grid.cols(); ++c) {
      t.assign(cellOf(row, c));
      t += suffix;
      const double m = width(t);
      if (m > w[static_cast<size_t>(c)]) w[static_cast<size_t>(c)] = wholeTwips(m);
    }
  }
  return w;
}

double printCellX(double columnX, double columnWidth, double textWidth) {
  return columnX + static_cast<double>(static_cast<long long>(wholeTwips(columnWidth + 50 - textWidth)) / 2);
}

std::string printFooterText(int page) {
  return "P - " + std::to_string(page);
}

double printFooterX(double pageWidth, double textWidth) {
  return static_cast<double>(static_cast<long long>(wholeTwips(pageWidth - textWidth)) / 2);
}

double PrintGraphFrame::recordX(int record, int records) const {
  return left + ScaleToLength(record - 1, records - 1, 1) * width;
}

double PrintGraphFrame::levelY(double level) const {
  return bottom - ScaleToLength(level - kScaleLow, kScaleHigh - kScaleLow, 1) * height;
}

PrintGraphFrame printGraphFrame(double y0, double lh, double pageWidth, double pageHeight,
                                const TextMeasure& width) {
  PrintGraphFrame f;
  f.pitch = lh + kPrintGap;
  // Six lines of header values, an empty line and two legend lines above.
  f.top = y0 + 9 * f.pitch;
  f.left = kPrintTextX + width("99999.9");
  f.right = pageWidth - width("2018/12/30 23:59:590000") / 2;
  f.bottom = pageHeight - 4 * lh;
  f.width = f.right - f.left;
  f.height = f.bottom - f.top;
  f.legendLeft = f.right - 4 * width("ZZZZ0");
  f.zWidth = width("ZZZZ");
  f.dateWidth = width("2018/12/30 23:59:59");
  f.slotWidth = width("000") + f.dateWidth;
  return f;
}

std::vector<int> printTimeLabels(int n, double plotWidth, double slotWidth) {
  std::vector<int> v;
  if (n < 1) return v;
  v.push_back(1);
  if (n == 1) return v;
  // As many label slots as fit in the plot width, less one, and at most
  // one per gap between two records.
  const long long slot = static_cast<long long>(wholeTwips(slotWidth));
  long long capacity = slot > 0 ? static_cast<long long>(wholeTwips(plotWidth)) / slot - 1 : 0;
  capacity = std::min<long long>(capacity, n - 1);
  if (capacity < 1) {  // no room between the two ends
    v.push_back(n);
    return v;
  }
  const long long step = n / capacity;
  long long next = step;
  for (int r = 2; r <= n; ++r) {
    if (r == n || r - 1 == next) {
      v.push_back(r);
      next += step;
    }
  }
  return v;
}

}  // namespace vkz
