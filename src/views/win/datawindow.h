// The base of the two data windows, the data list (a downloaded measurement)
// and the file list (an opened data file): both show a summary grid and a
// record grid with a splitter between them, and both hand a level column of
// the record grid to the level graph or the level histogram through the
// quantity panel SSpSelectItem and the resolution panel SSpResolution. The
// handlers of those panels and of the splitter are the same for both and
// live here; each window says which grid holds its records and how its grids
// follow the splitter.
#pragma once
#include <QWidget>
#include <array>
#include <cstdint>

#include "ui/formwindow.h"
#include "views/win/viewwidgets.h"

class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QToolBar;

namespace vkz {

class FlexGrid;
class SplitBar;
enum class HistResolution;

class DataWindow : public FormWindow<QWidget> {
 public:
  // Shows the window as a child of the main window.
  void Show();

  // OK on the quantity panel: the chosen level column drawn as a graph, or
  // the resolution panel shown for the histogram.
  void BtnSelectOK_Click();
  // Exit hides the quantity panel.
  void BtnExit_Click();
  // The histogram of the chosen column at 0.1 dB or 1 dB.
  void Btn01dB_Click();
  void Btn1dB_Click();

  // The splitter (x in twips relative to the bar): a press starts a drag,
  // a move while dragging moves the bar and the grids, a release ends it.
  void PicSplit_MouseDown(int button, int shift, int x, int y);
  void PicSplit_MouseMove(int button, int shift, int x, int y);
  void PicSplit_MouseUp(int button, int shift, int x, int y);

  QToolBar* Toolbar1 = nullptr;
  SplitBar* PicSplit = nullptr;
  QuantityPanels Panels;
  QFrame*& SSpSelectItem = Panels.SSpSelectItem;
  std::array<QRadioButton*, 4>& Option1 = Panels.Option1;
  QPushButton*& BtnSelectOK = Panels.BtnSelectOK;
  QPushButton*& BtnExit = Panels.BtnExit;
  QFrame*& SSpResolution = Panels.SSpResolution;
  QGroupBox*& SSfResolution = Panels.SSfResolution;
  QPushButton*& Btn1dB = Panels.Btn1dB;
  QPushButton*& Btn01dB = Panels.Btn01dB;
  std::int16_t& LnMode = Panels.LnMode;

  // -1 from a press on the splitter to the release.
  std::int16_t SplitDragging = 0;

 protected:
  explicit DataWindow(std::int16_t* openFlag);

  // The grid of logged records, whose level columns the panels hand on.
  virtual FlexGrid& recordGrid() = 0;
  // A drag of the splitter by `x` twips: the bar and the grids beside it.
  virtual void dragSplitter(int x) = 0;

  // Makes the splitter in `parent` and the two panels (see
  // QuantityPanels::build), their buttons calling the handlers above.
  void buildSplitter(QWidget* parent);
  void buildPanels(QWidget* parent, int selectLeft, int resolutionLeft, int top);

 private:
  void histogram(HistResolution res);
};

}  // namespace vkz
