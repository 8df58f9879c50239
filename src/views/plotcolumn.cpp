#include "views/plotcolumn.h"

#include "views/displaytext.h"

namespace vkz {

namespace {
enum class CellKind { NoLevel, Overload, Level };

CellKind kindOf(std::string_view t, double* value) {
  if (t.find("--") != std::string_view::npos) {
    *value = 25;
    return CellKind::NoLevel;
  }
  const double v = displayNumber(t);
  if (t.find('L') != std::string_view::npos || v >= 145) {
    *value = 145;
    return CellKind::Overload;
  }
  *value = v;
  return CellKind::Level;
}
}  // namespace

PlotColumnScan::PlotColumnScan(std::int64_t lastRow) : lastRow_(lastRow < 0 ? 0 : lastRow) {
  values_.reserve(static_cast<size_t>(lastRow_));
}

void PlotColumnScan::row(std::int64_t r, std::string_view text) {
  double v = 0;
  const CellKind kind = kindOf(text, &v);
  values_.push_back(v);
  if (kind != CellKind::Level) return;
  const bool flagged = text.find('*') != std::string_view::npos;
  if (!inPause_) {
    if (flagged) {
      inPause_ = true;
      pauseRow_ = r;
    }
  } else if (!flagged) {
    spans_.push_back({pauseRow_, r});
    inPause_ = false;
  } else if (r == lastRow_) {
    spans_.push_back({pauseRow_, 0});
    inPause_ = false;
  }
}

PlotColumnScan ScanPlotColumn(const GridData& grid, int col) {
  PlotColumnScan scan(grid.rows() - 1);
  for (int r = 1; r < grid.rows(); ++r) scan.row(r, cellOfRow(grid.rowText(r), col));
  return scan;
}

}  // namespace vkz
