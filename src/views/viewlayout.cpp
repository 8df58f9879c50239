#include "views/viewlayout.h"

#include <algorithm>
#include <cmath>

namespace vkz {

TwipsSize atLeast(TwipsSize size, TwipsSize minimum) {
  return {std::max(size.width, minimum.width), std::max(size.height, minimum.height)};
}

// ---- data list window -------------------------------------------------------

namespace {
constexpr int kSummaryLeft = 1680;

void dataListGrids(DataListLayout& l) {
  const TwipsRect& f = l.frame;
  l.records.left = l.splitter.left + l.splitter.width;
  l.records.width = f.width - l.records.left - 80;
  l.summary.left = kSummaryLeft;
  l.summary.width = f.width - (l.records.width + 1840);
}
}  // namespace

DataListLayout dataListLayout(int w, int h, int userInfoHeight, int summaryNeed, int recordsNeed) {
  DataListLayout l;
  l.frame = {0, 360, w - 100, h - 460};
  const TwipsRect& f = l.frame;
  const int info = std::max(kDataListUserInfoHeight, userInfoHeight);
  l.userInfo = {kSummaryLeft, f.height - f.top - info, f.width - f.left - kSummaryLeft, info};
  l.splitter = {f.width - 6430, 90, kDataListSplitWidth, f.height - f.top - (info + 140)};
  l.records.top = 80;
  l.records.height = f.height - f.top - (info + 120);
  l.summary.top = 80;
  l.summary.height = l.records.height;
  dataListGrids(l);
  const int wanted = summaryNeed - l.summary.width, spare = l.records.width - recordsNeed;
  if (wanted > 0 && spare > 0) {
    l.splitter.left += std::min(wanted, spare);
    dataListGrids(l);
  }
  return l;
}

void dataListDrag(DataListLayout& l, int x, int windowWidth) {
  const int p = l.splitter.left + x;
  l.splitter.left = p < 2200 ? 2200 : p > windowWidth - 1000 ? windowWidth - 1000 : p;
  dataListGrids(l);
}

// ---- file list window -------------------------------------------------------

namespace {
constexpr int kFileUserInfoHeight = 1650;
}

FileListLayout fileListLayout(int w, int h) {
  FileListLayout l;
  l.panel = {0, 360, w - 100, h - 460};
  const TwipsRect& p = l.panel;
  l.userInfo = {0, p.height - kFileUserInfoHeight - 100, p.width, kFileUserInfoHeight};
  l.splitter = {p.width / 2, 90, kFileListSplitWidth, p.height - p.top - (kFileUserInfoHeight - 140)};
  l.records.top = 80;
  l.records.left = l.splitter.left + 80;
  l.records.width = p.width - l.records.left - 100;
  l.records.height = p.height - l.records.top - (kFileUserInfoHeight + 100);
  l.header.top = 80;
  l.header.left = 0;
  l.header.width = p.width - (l.records.width + 100);
  l.header.height = p.height - l.header.top - (kFileUserInfoHeight + 100);
  return l;
}

void fileListDrag(FileListLayout& l, int x, int windowWidth) {
  const int p = l.splitter.left + x;
  l.splitter.left = p < 2200 ? 2200 : p > windowWidth - 1000 ? windowWidth - 1000 : p;
  l.records.left = l.splitter.left + 80;
  l.records.width = l.panel.width - l.records.left - 60;
  l.header.width = l.panel.width - (l.records.width + 100);
}

// ---- histogram window -------------------------------------------------------

HistogramLayout histogramLayout(int wf, int hf) {
  HistogramLayout l;
  const int w = wf - 260;
  const int h = hf - 480 - 120;
  l.toolbar = {0, 0, wf, 420};
  l.graph = {0, 480, w, h - 3250};
  l.table = {0, h - 2800, w, 2800};
  l.columnWidth = static_cast<int>(std::lround(wf / 11.0 - 35));
  l.picture = {0, 480, 1455, 615};
  l.combo = {120, 120, 1215, 315};
  return l;
}

// ---- level graph window -----------------------------------------------------

PlotLayout plotLayout(int w, int h) {
  PlotLayout l;
  l.graph = {100, 100, w - 440, h - 3590};
  l.frmGraphic = {100, h - 3390, w - 440, 3240};
  const int t = l.frmGraphic.width / 3;
  constexpr int kFrameTop = 240, kFrameHeight = 2280;
  l.graphRange = {110, kFrameTop, t - 220, kFrameHeight};
  l.trackMode = {t + 110, kFrameTop, t - 220, kFrameHeight};
  l.cursorInfo = {2 * t + 110, kFrameTop, t - 220, kFrameHeight};

  // Graph range: X edits on the left, Y edits on the right, a minimum row
  // and a maximum row, with "Min" and "Max" between them.
  const int f = l.graphRange.width;
  constexpr int kTitleTop = 300, kMinTop = 720, kMaxTop = 1380, kEditHeight = 375;
  l.axisMin[1] = {110, kMinTop, f / 2 - 600, kEditHeight};
  l.axisMax[1] = {110, kMaxTop, f / 2 - 600, kEditHeight};
  l.lblNos = {110, kTitleTop, f / 2 - 600, 300};
  l.lblMin = {l.axisMin[1].right(), kMinTop, 600, kEditHeight};
  l.lblMax = {l.axisMax[1].right(), kMaxTop, 600, kEditHeight};
  l.axisMin[2] = {l.axisMin[1].right() + 600, kMinTop, f / 2 - 200, kEditHeight};
  l.axisMax[2] = {l.axisMax[1].right() + 600, kMaxTop, f / 2 - 200, kEditHeight};
  l.label4 = {l.axisMin[1].right() + 600, kTitleTop, f / 2 - 200, 300};

  const int tw = l.trackMode.width;
  l.combo = {120, kTitleTop, tw - 240, 330};
  l.description = {120, 780, tw - 240, kFrameHeight - 780 - 120};

  const int g = l.cursorInfo.width;
  l.lblNosX = {120, 480, g / 2 - 120, 300};
  l.xPosition = {g / 2, 480, g / 2 - 120, 300};
  l.lblNosY = {120, 1140, g / 2 - 120, 300};
  l.yPosition = {g / 2, 1140, g / 2 - 120, 300};

  constexpr int kButtonTop = kFrameTop + kFrameHeight + 120, kButtonHeight = 495;
  l.cmdReset = {l.cursorInfo.left, kButtonTop, g / 2 - 50, kButtonHeight};
  l.cmdPrint = {l.cmdReset.right() + 50, kButtonTop, g / 2 - 50, kButtonHeight};
  return l;
}

}  // namespace vkz
