// Small pieces the measurement windows share: placing controls in twips,
// grid column widths as runs of "0", the toolbar pictures, the hourglass
// pointer, the guard that keeps long runs from starting twice, and the
// quantity and resolution panels of the two data windows.
#pragma once
#include <QFrame>
#include <QString>
#include <array>

#include "views/win/viewlayout.h"

class QGroupBox;
class QIcon;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vkz {

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

// A file-dialog filter of the old form "Name (*.ext)|*.ext|...|" in Qt's
// form "Name (*.ext);;...". "*.*" becomes "*", so files without an
// extension are listed too.
QString qtFileFilter(const QString& oldFilter);

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

  // Unselects all four options.
  void clearOptions();
  // The record-grid column of the selected option (2 .. 5); `lastChoice`
  // when no option is selected (0 when that is no level column either).
  int chosenColumn(int lastChoice = 0) const;
  // The captions of the user-interface text table.
  void applyTexts();
};

// The message shown when OK is pressed before any quantity was chosen.
QString chooseQuantityText();

}  // namespace vkz
