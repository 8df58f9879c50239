// The record plotter's reading of a level column: one Y value per logged
// record and the spans in which the meter was paused.
//
// A level cell reads as
//   25   when it holds "--" (a record whose level is 0),
//   145  when it holds an upper-case "L" (an overload), or its leading
//        number is 145 or more,
//   its leading number otherwise; a flagged cell ("*72.4 dB") has none
//   and reads 0, so a paused record lies below the graph's range.
// Only cells of the third kind move the pause state: a "*" begins a pause
// span at its row, the next cell without "*" ends it there (the "Start"
// mark). A span still open at the last row closes without a restart; a
// span that would begin on the last row is not counted.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/griddata.h"

namespace vkz {

// One pause span: the row where it begins and the first unflagged row after
// it (0 when the measurement ends inside the pause).
struct PauseSpan {
  std::int64_t pauseRow = 0;
  std::int64_t restartRow = 0;
};

// Reads a column row by row (rows 1 .. lastRow in order), so a window can
// let the event loop run in between.
class PlotColumnScan {
 public:
  explicit PlotColumnScan(std::int64_t lastRow);
  void row(std::int64_t r, std::string_view text);

  // Entry r - 1 for grid row r.
  const std::vector<double>& values() const { return values_; }
  const std::vector<PauseSpan>& spans() const { return spans_; }

 private:
  std::int64_t lastRow_;
  std::vector<double> values_;
  std::vector<PauseSpan> spans_;
  bool inPause_ = false;
  std::int64_t pauseRow_ = 0;
};

// The whole column `col` of a record grid (row 0 the title row).
PlotColumnScan ScanPlotColumn(const GridData& grid, int col);

}  // namespace vkz
