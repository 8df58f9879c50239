// The level graph window `Plot`: the level-versus-record graph that the
// record plotter draws from one column of a record grid, with the range
// edits, the track modes (plain view, read-out cursor, pan, zoom), the
// cursor read-out, "Reset Scale" and "Print Graph". A top-level window of
// its own, one program-wide instance, loaded by the first plot.
//
// The record plotter PlotGridColumn is the program-wide procedure the
// quantity panels of the data list and file list windows call.
#pragma once
#include <QWidget>
#include <array>
#include <cstdint>

#include "ui/formwindow.h"

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vkz {

class FlexGrid;
class Graph;

class Plot : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  Plot();  // Form_Load
  void Form_Resize() override;

  // Any of the four range edits changed: both axes take their edits' ranges
  // (a pair the graph refuses leaves that axis as it was).
  void AxisMin_ValueChanged();
  void AxisMax_ValueChanged();
  void Combo1_Click();
  void CWGraph1_CursorChange(int index, double x, double y, bool dragging);
  void CmdReset_Click();
  void CmdPrint_Click();

  Graph* CWGraph1 = nullptr;
  QGroupBox* FrmGraphic = nullptr;
  QGroupBox* SSFGraphRange = nullptr;
  // Index 1 the X axis (record numbers), 2 the Y axis (dB); index 0 unused.
  std::array<QDoubleSpinBox*, 3> AxisMin{};
  std::array<QDoubleSpinBox*, 3> AxisMax{};
  QLabel* LblNos = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* LblMin = nullptr;
  QLabel* LblMax = nullptr;
  QGroupBox* SSFTrackMode = nullptr;
  QComboBox* Combo1 = nullptr;
  QPlainTextEdit* txtDescription = nullptr;
  QGroupBox* SSFCursorInformation = nullptr;
  QLabel* LblNosX = nullptr;
  QLabel* XPosition = nullptr;
  QLabel* LblNosY = nullptr;
  QLabel* YPosition = nullptr;
  QPushButton* CmdReset = nullptr;
  QPushButton* CmdPrint = nullptr;

 private:
  void applyEdits();
  bool settingEdits_ = false;
};

// The captions of the window from the user-interface text table.
void ApplyPlotText(Plot& f);

// Draws column `column` (2 LAVG .. 5 LZPK) of a record grid in the level
// graph window, one point per record at X = its row, with a "Pause" mark
// where a paused span begins and a "Start" mark where it ends. Shows the
// window (loading it when needed), sets the edits and axes to records
// 1 .. Rows - 1 and 25 .. 150 dB, and names the X axis after the
// quantity's caption. Polling is paused while it runs and the main
// window's caption counts the rows. A grid without records does nothing.
void PlotGridColumn(FlexGrid& grid, std::int32_t& column, const QString& caption);

// Adds a mark bound to the point of record `record` (1 or more), its
// caption at (record, MarkHeight). False when the graph refuses it.
bool AddGraphMark(std::int32_t record, const QString& text);

}  // namespace vkz
