// Small pieces the measurement windows share: placing controls in twips,
// grid column widths as runs of "0", the toolbar pictures, the hourglass
// pointer, the guard that keeps long runs from starting twice, and what the
// two data windows (data list and file list) have in common: toolbar,
// grids, splitter, the quantity and resolution panels, the printed report.
#pragma once
#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "ui/mainwindowhost.h"
#include "views/viewlayout.h"

class QFrame;
class QGroupBox;
class QPushButton;
class QIcon;
class QRadioButton;
class QToolBar;
class QWidget;

namespace vkz {

class FlexGrid;
struct ReportSource;

// Places a control at a rectangle in twips (relative to its parent). A
// rectangle with a negative width or height moves the control but keeps its
// size.
void placeTwips(QWidget* w, const TwipsRect& r);
TwipsRect twipsGeometry(const QWidget* w);
// The window size in twips, and setting it.
TwipsSize twipsSize(const QWidget* w);
void resizeTwips(QWidget* w, TwipsSize s);
void setMinimumTwips(QWidget* w, TwipsSize s);

// The width in twips of `zeros` "0" characters in the widget's font.
int zerosWidth(const QWidget* w, int zeros);

// The pictures of the data windows' toolbar buttons, by key: "save",
// "Print", "PDF", "Plot", "Ln", "Limit".
QIcon ViewToolbarIcon(const QString& key);

// The hourglass pointer for the life of the object.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// A long run of the measurement windows (writing a file, counting a
// histogram, converting a column for the graph) lets the event loop turn;
// while it does, no second run may start. The guard is program-wide.
class LongRun {
 public:
  LongRun();
  ~LongRun();
  LongRun(const LongRun&) = delete;
  LongRun& operator=(const LongRun&) = delete;
  // False when another run was already going: this one must not start.
  bool started() const { return started_; }
  static bool active();

 private:
  bool started_ = false;
};

// ---- the two data windows -----------------------------------------------------

// The toolbar Toolbar1 of a data window: one action a key, named by it and
// showing its picture; a click hands the key to `click`.
QToolBar* makeDataToolbar(QWidget* window, std::initializer_list<const char*> keys, Qt::ToolButtonStyle style,
                          const std::function<void(const QString&)>& click);

// A grid of a data window: `cols` x `rows`, the first `fixedRows` rows and
// the first column fixed.
FlexGrid* makeDataGrid(QWidget* parent, const char* name, int cols, int rows, int fixedRows);

// The grids' columns: the summary's four centred, 21 zeros wide; the
// records' six centred, 9 zeros wide but the date and time (`timeZeros`);
// the user information's labels centred (`labelZeros`) and its values
// left-aligned, 24390 twips wide. The summary's and the user information's
// columns grow to a text that is wider still (a long header value, a label
// of another language).
void setSummaryColumns(FlexGrid* g);
void setRecordColumns(FlexGrid* g, int timeZeros);
void setUserInfoColumns(FlexGrid* g, int labelZeros);
// The record grid's title row from the user-interface text table.
void setRecordTitles(FlexGrid* g);

// The main window (its client area, place and caption), or nullptr when
// there is none.
MainWindowHost* mainWindowHost();

// Shows a data window as a child of the main window (on its own without one).
void showDataWindow(QWidget* w);

// The "Print" button: the printed report of a data list or a data file of a
// known model, polling paused and the hourglass shown until it has ended; a
// failure is told. Refused while a report is being made.
void printDataWindowReport(const ReportSource& source);

// The quantity panel SSpSelectItem (four options and OK / Exit) and the
// resolution panel SSpResolution (0.1 dB / 1 dB) of a data window. Both are
// hidden when built.
class QuantityPanels {
 public:
  // Builds both panels in `parent`: the quantity panel at (selectLeft, top),
  // the resolution panel beside it at (resolutionLeft, top), in twips.
  void build(QWidget* parent, int selectLeft, int resolutionLeft, int top);

  QFrame* SSpSelectItem = nullptr;
  std::array<QRadioButton*, 4> Option1{};
  QPushButton* BtnSelectOK = nullptr;
  QPushButton* BtnExit = nullptr;
  QFrame* SSpResolution = nullptr;
  QGroupBox* SSfResolution = nullptr;
  QPushButton* Btn1dB = nullptr;
  QPushButton* Btn01dB = nullptr;

  // Where the chosen quantity goes: 0 the level graph, 1 the level histogram.
  std::int16_t LnMode = 0;

  // Unselects all four options.
  void clearOptions();
  // The record-grid column of the selected option (2 .. 5); `lastChoice`
  // when no option is selected (0 when that is no level column either).
  int chosenColumn(int lastChoice = 0) const;
  // The captions of the user-interface text table.
  void applyTexts();

  // The toolbar's "Plot" (graph) or "Ln" (histogram): the options cleared
  // and the quantity panel shown.
  void ask(std::int16_t lnMode);
  // OK on the quantity panel: the chosen column of `records` drawn as a
  // level graph, or the resolution panel shown for the histogram. Without
  // any choice yet the user is asked to choose.
  void confirm(FlexGrid& records);
};

// The message shown when OK is pressed before any quantity was chosen.
QString chooseQuantityText();

}  // namespace vkz
