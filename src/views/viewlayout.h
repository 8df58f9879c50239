// The layout rules of the measurement windows, in twips, as pure functions:
// the windows apply them, the tests check them. A rectangle's width or
// height may come out negative for a window smaller than its rules expect;
// the window then leaves that control's size as it was (fits()).
#pragma once

namespace vkz {

struct TwipsRect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool fits() const { return width >= 0 && height >= 0; }
};

struct TwipsSize {
  int width = 0, height = 0;
};

// A window's size raised to its minimum.
TwipsSize atLeast(TwipsSize size, TwipsSize minimum);

// ---- data list window -------------------------------------------------------
// Positions inside the frame mem418frm, which lies at (0, 360) of the window.
// The smallest window whose layout keeps the grids apart: the summary grid
// 1500 wide left of the splitter (the splitter stands 6430 from the frame's
// right edge), the record grid above the user information. A client area
// smaller than that shows scroll bars instead of grids laid over each other.
inline constexpr TwipsSize kDataListMinimum{9650, 4900};
inline constexpr int kDataListSplitWidth = 140;
struct DataListLayout {
  TwipsRect frame;     // mem418frm, in the window
  TwipsRect userInfo;  // MSFGridUserInfo, along the frame's bottom
  TwipsRect splitter;  // PicSplit
  TwipsRect records;   // VKZ418PointGrid, right of the splitter
  TwipsRect summary;   // VKZ418Grid, left of it
};
// Form_Resize for a window of outer size W x H (already at its minimum):
// the splitter goes back where the record grid is 6210 wide. The user
// information is 1400 high, or `userInfoHeight` where its five lines and
// its scroll bar need more with the program's font; the grids above give
// the room up. Where the summary is narrower than `summaryNeed` (its labels
// and the first channel whole, in the program's font), the splitter stands
// further right, as far as the record grid keeps `recordsNeed`: a narrow
// window shows the first channel without scrolling.
inline constexpr int kDataListUserInfoHeight = 1400;
DataListLayout dataListLayout(int width, int height, int userInfoHeight = kDataListUserInfoHeight,
                              int summaryNeed = 0, int recordsNeed = 0);
// A splitter drag by `x` twips (relative to the bar) in a window `windowWidth`
// wide: the splitter stays between 2200 and windowWidth - 1000; the two grids
// follow it. Heights and tops are not touched.
void dataListDrag(DataListLayout& l, int x, int windowWidth);

// ---- file list window -------------------------------------------------------
// Positions inside the panel SSPVKZ418, which lies at (0, 360) of the window.
inline constexpr TwipsSize kFileListMinimum{6345, 5970};
inline constexpr int kFileListSplitWidth = 100;
struct FileListLayout {
  TwipsRect panel;     // SSPVKZ418
  TwipsRect userInfo;  // MSFUserInfo
  TwipsRect splitter;  // PicSplit
  TwipsRect records;   // GridRecord
  TwipsRect header;    // GridHeader (left edge 0)
};
FileListLayout fileListLayout(int width, int height);
// After a drag the record grid keeps 60 twips to the panel's right edge.
void fileListDrag(FileListLayout& l, int x, int windowWidth);

// ---- histogram window -------------------------------------------------------
inline constexpr TwipsSize kHistogramMinimum{9660, 7785};
struct HistogramLayout {
  TwipsRect toolbar;  // Toolbar1, 420 high
  TwipsRect graph;    // CWG
  TwipsRect table;    // GridLn
  int columnWidth;    // each of the table's 11 columns
  TwipsRect picture;  // Picture1, the track-mode panel over the graph's corner
  TwipsRect combo;    // Combo1 inside Picture1
};
HistogramLayout histogramLayout(int width, int height);

// ---- level graph window -----------------------------------------------------
inline constexpr TwipsSize kPlotMinimum{11360, 8960};
struct PlotLayout {
  TwipsRect graph;                              // CWGraph1
  TwipsRect frmGraphic;                         // FrmGraphic; the rest lie inside it
  TwipsRect graphRange, trackMode, cursorInfo;  // SSFGraphRange, SSFTrackMode, SSFCursorInformation
  // Inside SSFGraphRange; index 1 X, 2 Y.
  TwipsRect axisMin[3], axisMax[3];
  TwipsRect lblNos, label4, lblMin, lblMax;
  // Inside SSFTrackMode.
  TwipsRect combo, description;
  // Inside SSFCursorInformation.
  TwipsRect lblNosX, xPosition, lblNosY, yPosition;
  // In FrmGraphic, under SSFCursorInformation.
  TwipsRect cmdReset, cmdPrint;
};
PlotLayout plotLayout(int width, int height);

}  // namespace vkz
