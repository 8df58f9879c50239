// The resize rule of the language and help windows: the window keeps its
// minimum size and its one panel stands in its middle (CentreInWindow); a
// panel larger than the window (a maximised window in a small client area)
// stands at its top-left corner, its buttons in reach.
#pragma once

class QWidget;

namespace vkz {

// `minW` x `minH`: the window's minimum, in twips; `allowX`, `allowY`: the
// frame's allowances taken off before centring.
void CentrePanelInWindow(QWidget* window, QWidget* panel, int minW, int minH, int allowX, int allowY);

}  // namespace vkz
