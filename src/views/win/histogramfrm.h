// The histogram window `Histogram`: the level distribution of one record
// column with the percentile levels L0 .. L99 in a table below it, a
// track-mode panel (pan, zoom, back to the occupied bins) and printing. A
// top-level window, opened afresh by every histogram run.
//
// RunLevelHistogram is the run behind the "0.1 dB" and "1 dB" buttons of
// the data list and file list windows.
#pragma once
#include <QWidget>

#include "ui/formwindow.h"
#include "views/histogram.h"

class QComboBox;
class QFrame;
class QToolBar;

namespace vkz {

class FlexGrid;
class Graph;

class Histogram : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  Histogram();  // Form_Load
  void Form_Resize() override;
  void Combo1_Click();
  void Toolbar1_ButtonClick(const QString& key);

  QToolBar* Toolbar1 = nullptr;
  Graph* CWG = nullptr;
  FlexGrid* GridLn = nullptr;
  QFrame* Picture1 = nullptr;
  QComboBox* Combo1 = nullptr;
};

// The captions of the window from the user-interface text table.
void ApplyHistogramText(Histogram& f);

// Counts column SelColumn of `records` into 0.1 dB or 1 dB bins, shows the
// histogram in a fresh histogram window and fills its table with L0 .. L99;
// keeps the results in ChartState. `dataWindow` shows the progress in its
// caption (and gets it back at the end); `resolutionPanel` is hidden once
// the counting is done. Polling is paused for the run. A column that is
// not a level column, or a grid without records, is refused with a
// message and no window.
void RunLevelHistogram(QWidget* dataWindow, FlexGrid& records, QWidget* resolutionPanel, HistResolution res);

}  // namespace vkz
