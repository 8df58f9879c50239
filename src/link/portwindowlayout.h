// Layout rule of the port selection window, in twips: the window keeps at
// least 5280 x 3540 (its outer size) and centres the 5205 x 3015 panel that
// holds every control.
#pragma once

namespace vkz {

struct ComPortLayout {
  int width;  // outer size of the window after the rule
  int height;
  int panelLeft;  // place of the panel inside the window
  int panelTop;
};

constexpr int kComPortMinWidth = 5280;
constexpr int kComPortMinHeight = 3540;
constexpr int kComPortPanelWidth = 5205;
constexpr int kComPortPanelHeight = 3015;
// What the window frame (borders and title bar) takes of the outer size.
constexpr int kComPortFrameWidth = 125;
constexpr int kComPortFrameHeight = 500;

constexpr ComPortLayout ComPortSetFrmLayout(int outerWidth, int outerHeight) {
  const int w = outerWidth < kComPortMinWidth ? kComPortMinWidth : outerWidth;
  const int h = outerHeight < kComPortMinHeight ? kComPortMinHeight : outerHeight;
  return {w, h, (w - kComPortPanelWidth - kComPortFrameWidth) / 2,
          (h - kComPortPanelHeight - kComPortFrameHeight) / 2};
}

}  // namespace vkz
