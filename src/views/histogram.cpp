#include "views/histogram.h"

#include <cmath>

#include "base/numfmt.h"
#include "base/trtext.h"
#include "views/displaytext.h"

namespace vkz {

int histTopBin(HistResolution res) {
  return res == HistResolution::Tenth ? 1500 : 150;
}
int histUnderRangeBin(HistResolution res) {
  return res == HistResolution::Tenth ? 250 : 25;
}

int HistogramBin(std::string_view t, HistResolution res) {
  if (t.find('-') != std::string_view::npos) return histUnderRangeBin(res);
  double v = displayNumber(t);
  if (t.find('L') != std::string_view::npos || v >= 150) return histTopBin(res);
  // No "-" in the text, so v is not negative.
  double bin = res == HistResolution::Tenth ? std::nearbyint(v * 10) : std::trunc(v);
  if (!(bin >= 0)) return 0;
  int top = histTopBin(res);
  return bin > top ? top : static_cast<int>(bin);
}

std::string histBinLevel(int bin, HistResolution res) {
  if (res == HistResolution::Whole) return std::to_string(bin);
  std::string s = std::to_string(bin / 10);
  s += decimalSeparator();
  s += static_cast<char>('0' + bin % 10);
  return s;
}

std::string HistogramResult::lnTableRow(int i) const {
  std::string row = "L(";
  row += static_cast<char>('0' + i);
  row += "0)";
  for (int c = 0; c < 10; ++c) {
    row += '\t';
    int n = 10 * i + c;
    if (n >= 0 && n < 100) row += LnValue[static_cast<size_t>(n)];
  }
  return row;
}

HistogramResult LevelHistogram(const GridData& records, int selColumn, HistResolution res,
                               const ProgressFn& progress) {
  HistogramResult r;
  r.resolution = res;
  r.selColumn = selColumn;
  if (selColumn < 2 || selColumn > 5) {
    r.status = HistStatus::NotLevelColumn;
    r.message = trText("Histogram", "Choose the quantity first: LAVG, Leq, LCPK or LZPK.");
    return r;
  }
  const int top = histTopBin(res);
  r.bins.assign(static_cast<size_t>(top) + 1, 0);

  const std::int64_t n = records.rows() > 0 ? records.rows() - 1 : 0;
  ProgressCounter counter(static_cast<std::uint64_t>(n), progress);
  for (int row = 1; row <= n && row < records.rows(); ++row) {
    ++r.bins[static_cast<size_t>(HistogramBin(cellOfRow(records.rowText(row), selColumn), res))];
    ++r.HistCount;
    counter.advance();
  }
  if (r.HistCount == 0) {
    r.status = HistStatus::NoRecords;
    r.message = trText("Histogram", "There are no records to count.");
    return r;
  }

  for (int j = top; j >= 0; --j)
    if (r.bins[static_cast<size_t>(j)] > 0) {
      r.HistLastBin = j;
      break;
    }
  for (int j = 1; j <= top; ++j)
    if (r.bins[static_cast<size_t>(j)] > 0) {
      r.HistFirstBin = j;
      break;
    }
  if (r.HistFirstBin < 0) r.HistFirstBin = 0;  // only bin 0 is occupied

  // Ln for n = 100 - k: the first bin whose running sum exceeds
  // T = (k - 1) * (N / 100) + N / 200. The sum reaches N at the last bin and
  // T is at most 99.5 % of N, so every threshold is crossed.
  const double count = static_cast<double>(r.HistCount);
  for (int k = 1; k <= 100; ++k) {
    const double threshold = (k - 1) * (count / 100) + count / 200;
    std::int64_t sum = 0;
    for (int j = 0; j <= top; ++j) {
      sum += r.bins[static_cast<size_t>(j)];
      if (static_cast<double>(sum) > threshold) {
        r.LnValue[static_cast<size_t>(100 - k)] = histBinLevel(j, res);
        break;
      }
    }
  }
  return r;
}

}  // namespace vkz
