// Level histogram and percentile levels of one level column of a record grid.
//
// Every record falls into one bin of 0.1 dB (bins 0 to 1500) or of 1 dB
// (bins 0 to 150), read from the cell text as the grid shows it:
//   - a cell holding "-" anywhere (a level of 0, "-- dB", flagged or not)
//     counts in the under-range bin, 25.0 dB;
//   - a cell holding an upper-case "L", or a level of 150 dB or more, counts
//     in the top bin, 150.0 dB;
//   - any other cell counts at its level: times 10 rounded half to even
//     (0.1 dB) or its whole part (1 dB). A flagged cell ("*85.3 dB") reads 0
//     and counts in bin 0.
// The percentile level Ln is the lowest bin at which more than (99.5 - n) %
// of the records lie at or below it, for n = 0 to 99.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/griddata.h"
#include "views/progress.h"

namespace vkz {

enum class HistResolution { Tenth, Whole };  // 0.1 dB and 1 dB bins

// The top bin of a resolution: 1500 or 150.
int histTopBin(HistResolution res);
// The under-range bin: 250 or 25.
int histUnderRangeBin(HistResolution res);

// The bin of one level-cell text.
int HistogramBin(std::string_view cellText, HistResolution res);

// The level text of bin j: "85.3" (0.1 dB, with the program's decimal
// separator) or "85" (1 dB).
std::string histBinLevel(int bin, HistResolution res);

enum class HistStatus {
  Ok,
  NotLevelColumn,  // the column is not one of the four level columns; nothing counted
  NoRecords        // the grid has no record rows; no bin is occupied
};

struct HistogramResult {
  HistStatus status = HistStatus::Ok;
  std::string message;  // for the user when status is not Ok
  HistResolution resolution = HistResolution::Tenth;
  int selColumn = 0;

  // Counts per bin, index = bin number (1501 or 151 entries); they add up
  // to HistCount.
  std::vector<std::int64_t> bins;
  std::int64_t HistCount = 0;
  // Lowest occupied bin above bin 0 (bin 0 when only bin 0 is occupied),
  // highest occupied bin; -1 when no bin is occupied.
  int HistFirstBin = -1;
  int HistLastBin = -1;
  // Percentile levels L0 .. L99 as texts ("85.3" or "85"); all empty when
  // there are no records.
  std::array<std::string, 100> LnValue{};

  // Where the graph draws bin j on its X axis: at j, under its own label
  // (the axis labels read X x 0.1 dB for 0.1 dB bins, X dB for 1 dB bins).
  static double binX(int bin) { return bin; }
  // The X axis range of the run, also the view the Reset choice restores:
  // HistFirstBin to HistLastBin + 1.
  double xMin() const { return HistFirstBin; }
  double xMax() const { return HistLastBin + 1; }
  // The X axis label format: "*0.1" for 0.1 dB bins, "0" for 1 dB bins.
  const char* xLabelFormat() const { return resolution == HistResolution::Tenth ? "*0.1" : "0"; }

  // Data row i (0 to 9) of the percentile table, TAB-joined for
  // GridData::addItem: "L(i0)", then L(10i) .. L(10i + 9).
  std::string lnTableRow(int i) const;
};

// Counts the level column `selColumn` (2 LAVG, 3 Leq, 4 LCPK, 5 LZPK) of
// the record grid `records` (row 0 the title row, rows 1 .. Rows - 1 the
// records) and computes the percentile levels. Progress counts records.
//
// The grid must stay alive while `progress` runs; rows removed meanwhile
// are not read.
HistogramResult LevelHistogram(const GridData& records, int selColumn, HistResolution res,
                               const ProgressFn& progress = {});

}  // namespace vkz
