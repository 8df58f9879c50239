#include "shell/layout.h"

#include <algorithm>
#include <cmath>

namespace vkz {

namespace {
// Twips are whole numbers; a computed size is rounded, a half to the even
// neighbour, as the old controls stored it.
int whole(double v) {
  return static_cast<int>(std::nearbyint(v));
}
}  // namespace

const char* const kPanelCaption = "Panel V10.09";

std::optional<SizeTw> PanelMinimumSize(int width, int height, SizeTw screen) {
  SizeTw s{width, height};
  bool change = false;
  if (width < std::min(kPanelMinWidth, screen.width)) {
    s.width = std::min(kPanelResetWidth, screen.width);
    change = true;
  }
  if (height < std::min(kPanelMinHeight, screen.height)) {
    s.height = std::min(kPanelMinHeight, screen.height);
    change = true;
  }
  if (!change) return std::nullopt;
  return s;
}

SizeTw PanelFirstSize(int availableWidth, int availableHeight) {
  const SizeTw screen{availableWidth, availableHeight};
  const SizeTw design{std::min(kPanelDesignWidth, availableWidth),
                      std::min(kPanelDesignHeight, availableHeight)};
  return PanelMinimumSize(design.width, design.height, screen).value_or(design);
}

std::array<int, 3> MemoryGridColumns(int memWidth) {
  const float unit = static_cast<float>(memWidth - 385) / 10.0f;
  return {whole(2.0f * unit), whole(6.0f * unit), whole(2.0f * unit)};
}

PanelLayoutOut PanelLayout(const PanelLayoutIn& in) {
  PanelLayoutOut o;
  o.listViewHeight = in.controlPicHeight;
  o.listViewWidth = in.W - 200;
  const int B = in.S + 60;
  o.memSplitLeft = 0;
  o.memSplitHeight = kSplitBar;
  o.memSplitTop = B - in.memHeight - kSplitBar + in.treeTop;
  o.memSplitWidth = in.treeViewBarWidth;
  o.memLeft = 0;
  o.memTop = B - in.memHeight + in.treeTop;
  o.memWidth = in.treeViewBarWidth;
  o.btnMemCloseLeft = o.memWidth - in.btnMemCloseWidth;
  o.btnMemCloseTop = 0;
  o.lblTitleWidth = o.memWidth - in.btnMemCloseWidth;
  o.gridWidth = o.memWidth - 10;
  o.gridHeight = in.memHeight - kMemGridTop;
  o.gridColWidths = MemoryGridColumns(o.memWidth);
  o.totalNumLblLeft = o.memWidth - in.totalNumLblWidth - 100;
  o.remainNumLblLeft = o.memWidth - in.remainNumLblWidth - 100;
  o.treeHeight = in.memVisible ? B - in.memHeight - kSplitBar : B;
  o.treeWidth = in.treeViewBarWidth;
  o.statusPanelWidths = in.statusPanelWidths;
  o.statusPanelWidths[1] =
      in.statusBarWidth - in.statusPanelWidths[0] - in.statusPanelWidths[2] - in.statusPanelWidths[3];
  return o;
}

MemSplitOut MemSplitDrag(int splitTop, int y, int windowHeight, int treeViewBarHeight) {
  MemSplitOut o;
  const int t = splitTop + y;
  if (t < kSplitMin)
    o.splitTop = kSplitMin;
  else if (t > windowHeight - 5000)
    o.splitTop = windowHeight - 5000;
  else
    o.splitTop = t;
  o.treeHeight = o.splitTop;
  o.memTop = o.splitTop + kSplitBar;
  o.memHeight = treeViewBarHeight - o.treeHeight - kSplitBar;
  o.gridHeight = o.memHeight >= kMemGridTop ? o.memHeight - kMemGridTop : o.memHeight;
  return o;
}

int PanelSplitDrag(int splitLeft, int x, int windowWidth) {
  const int l = splitLeft + x;
  if (l < kSplitMin) return kSplitMin;
  if (l > windowWidth - 9000) return windowWidth - 9000;
  return l;
}

MemPanelShowOut MemoryPanelGeometry(bool show, int treeViewBarHeight, int treeTop, int memWidth,
                                    int memHeight, int memSplitHeight, int btnMemCloseWidth) {
  MemPanelShowOut o;
  if (!show) {
    o.treeHeight = treeViewBarHeight + 300;
    o.memSplitTop = treeViewBarHeight - memHeight - memSplitHeight + treeTop;
    o.memTop = o.memSplitTop + kSplitBar;
    o.memHeight = memHeight;
    return o;
  }
  o.gridColWidths = MemoryGridColumns(memWidth);
  o.treeHeight = treeViewBarHeight - memHeight - memSplitHeight;
  o.lblTitleWidth = memWidth - btnMemCloseWidth;
  o.memSplitTop = treeViewBarHeight - memHeight - memSplitHeight + treeTop;
  o.memTop = o.memSplitTop + kSplitBar;
  o.memHeight = treeViewBarHeight - o.treeHeight - kSplitBar;
  o.gridTop = kMemGridTop;
  o.gridHeight = o.memHeight - kMemGridTop;
  return o;
}

std::string ToggledPanelCaption(const std::string& caption) {
  if (caption.find("2018-05-23.01") != std::string::npos) return kPanelCaption;
  return std::string(kPanelCaption) + "   2018-05-23.01";
}

CentredOut CentreInWindow(int width, int height, int panelWidth, int panelHeight, int minW, int minH,
                          int allowX, int allowY) {
  CentredOut o;
  int w = width, h = height;
  if (w < minW) w = minW;
  if (h < minH) h = minH;
  if (w != width || h != height) o.resizeTo = SizeTw{w, h};
  o.panelLeft = (w - panelWidth - allowX) / 2;
  o.panelTop = (h - panelHeight - allowY) / 2;
  return o;
}

int LanguageOptionTop(int firstTop, int optionHeight, int i) {
  // Half a height is not cut to a whole twip before it is added up: an odd
  // height still puts option 2 three heights below option 0.
  return whole(firstTop + i * (optionHeight / 2.0) + i * optionHeight);
}

int LanguagePanelHeight(int n, int optionHeight, int setBtnHeight) {
  if (n < 3) return 2 * setBtnHeight + 300;
  return whole(1.5 * n * optionHeight);
}

int HelpPanelHeight(int options, int optionHeight) {
  return whole(options * optionHeight + (optionHeight / 2.0) * options);
}

}  // namespace vkz
