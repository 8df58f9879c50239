#include "shell/win/centredpanel.h"

#include <QWidget>
#include <algorithm>

#include "shell/layout.h"
#include "ui/twips.h"

namespace vkz {

void CentrePanelInWindow(QWidget* window, QWidget* panel, int minW, int minH, int allowX, int allowY) {
  if (window->isMinimized()) return;
  const CentredOut o = CentreInWindow(twX(window->width()), twY(window->height()), twX(panel->width()),
                                      twY(panel->height()), minW, minH, allowX, allowY);
  if (o.resizeTo) window->resize(pxX(o.resizeTo->width), pxY(o.resizeTo->height));
  panel->move(std::max(0, pxX(o.panelLeft)), std::max(0, pxY(o.panelTop)));
}

}  // namespace vkz
