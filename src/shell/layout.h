// The main window's layout rules, and those of the language and help
// windows, as pure functions in twips (1/1440 inch). The windows measure
// their controls, call these and place the controls from the results.
#pragma once
#include <array>
#include <optional>
#include <string>

namespace vkz {

// ---- main window --------------------------------------------------------

constexpr int kPanelMinWidth = 12600;    // below this the window springs back...
constexpr int kPanelResetWidth = 13665;  // ...to this width
constexpr int kPanelMinHeight = 11250;
constexpr int kSplitBar = 120;     // thickness of both splitter bars
constexpr int kMemGridTop = 1680;  // top of the memory list inside its panel
constexpr int kSplitMin = 1800;    // nearest a splitter comes to the window's edge

// The outer size the window must take when it is too small; nullopt when
// its size stands. On a screen whose free area (`screen`) is smaller than
// the minimum, the screen's free area is the minimum: the window, frame and
// status bar included, never springs back past the screen's edge.
struct SizeTw {
  int width = 0;
  int height = 0;
  bool operator==(const SizeTw&) const = default;
};
std::optional<SizeTw> PanelMinimumSize(int width, int height, SizeTw screen);

// The size the window opens at (frame included): wide enough that the data
// list window, maximised in the client area, shows the label column and the
// three channel columns of its summary beside its record grid; no larger
// than the screen's free area (availableWidth x availableHeight), and never
// smaller than the resize rule keeps.
constexpr int kPanelDesignWidth = 19800;
constexpr int kPanelDesignHeight = 13500;
SizeTw PanelFirstSize(int availableWidth, int availableHeight);

// What the resize rule reads of the window and its controls.
struct PanelLayoutIn {
  int W = 0;                 // outer width of the window
  int S = 0;                 // height of the left-hand column (client height under the strip)
  int controlPicHeight = 0;  // the strip under the toolbar
  int treeViewBarWidth = 0;
  int treeTop = 0;    // top of the command tree in the column
  int memHeight = 0;  // memory panel height
  bool memVisible = false;
  int btnMemCloseWidth = 0;
  int totalNumLblWidth = 0;
  int remainNumLblWidth = 0;
  int statusBarWidth = 0;
  std::array<int, 4> statusPanelWidths{};  // panels 1..4
};

// Where the resize rule puts them.
struct PanelLayoutOut {
  int listViewWidth = 0, listViewHeight = 0;
  int memSplitLeft = 0, memSplitTop = 0, memSplitWidth = 0, memSplitHeight = 0;
  int memLeft = 0, memTop = 0, memWidth = 0;
  int btnMemCloseLeft = 0, btnMemCloseTop = 0;
  int lblTitleWidth = 0;
  int gridWidth = 0, gridHeight = 0;
  std::array<int, 3> gridColWidths{};
  int totalNumLblLeft = 0, remainNumLblLeft = 0;
  int treeHeight = 0, treeWidth = 0;
  std::array<int, 4> statusPanelWidths{};
};
PanelLayoutOut PanelLayout(const PanelLayoutIn& in);

// The memory list's three columns share the panel width less 385 as 2:6:2,
// the unit computed in single precision, each width rounded to a whole twip.
std::array<int, 3> MemoryGridColumns(int memWidth);

// Dragging the bar between the command tree and the memory panel: the new
// bar top (clamped to 1800 .. H - 5000) and what follows from it.
struct MemSplitOut {
  int splitTop = 0;
  int treeHeight = 0;
  int memTop = 0;
  int memHeight = 0;
  int gridHeight = 0;
};
MemSplitOut MemSplitDrag(int splitTop, int y, int windowHeight, int treeViewBarHeight);

// Dragging the bar between the left-hand column and the client area: the
// new column width (clamped to 1800 .. W - 9000).
int PanelSplitDrag(int splitLeft, int x, int windowWidth);

// ShowMemoryPanel's geometry.
struct MemPanelShowOut {
  int treeHeight = 0;
  int memSplitTop = 0;
  // Only when shown:
  int memTop = 0, memHeight = 0;
  int lblTitleWidth = 0;
  int gridTop = 0, gridHeight = 0;
  std::array<int, 3> gridColWidths{};
};
MemPanelShowOut MemoryPanelGeometry(bool show, int treeViewBarHeight, int treeTop, int memWidth,
                                    int memHeight, int memSplitHeight, int btnMemCloseWidth);

// The caption and its toggle on a click in the empty client area.
extern const char* const kPanelCaption;
std::string ToggledPanelCaption(const std::string& caption);

// ---- child windows that keep a minimum size and centre one panel -------

struct CentredOut {
  std::optional<SizeTw> resizeTo;  // the window's new size when too small
  int panelLeft = 0, panelTop = 0;
};
// minW/minH: the window's minimum; allowX/allowY: the fixed allowances for
// the frame subtracted before centring. A panel larger than the window
// gets negative offsets.
CentredOut CentreInWindow(int width, int height, int panelWidth, int panelHeight, int minW, int minH,
                          int allowX, int allowY);

// The language window's option buttons: the top of option i and the
// panel's height for n options.
int LanguageOptionTop(int firstTop, int optionHeight, int i);
int LanguagePanelHeight(int n, int optionHeight, int setBtnHeight);

// The help window's panel: three option heights for its two options.
int HelpPanelHeight(int options, int optionHeight);

}  // namespace vkz
