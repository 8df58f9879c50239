// What the quantity panels of the two data windows hand to the level graph
// and the level histogram, and what the latest histogram run leaves for
// its window: one program-wide record (ProgramState), whichever data window
// made the choice or the run.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace vkz {

struct ChartState {
  // Record-grid column of the chosen quantity: 2 LAVG, 3 Leq, 4 LCPK,
  // 5 LZPK; 0 until the first choice of the run.
  std::int32_t SelColumn = 0;
  // Records handed to the level graph (record-grid rows - 1); the graph's
  // "Reset Scale" shows records 1 .. PlotPoints.
  std::int64_t PlotPoints = 0;
  // Height (dB) at which the caption of the next graph mark is placed.
  double MarkHeight = 0;
  // The latest histogram run: occupied bins (in the run's resolution), the
  // Y axis maximum right after plotting, the record count and the
  // percentile levels L0 .. L99 as texts.
  int HistFirstBin = 0;
  int HistLastBin = 0;
  double HistYMax = 0;
  std::int64_t HistCount = 0;
  std::array<std::string, 100> LnValue{};

  void reset() { *this = ChartState{}; }
};

}  // namespace vkz
