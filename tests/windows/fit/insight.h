// Whether the controls of a window lie where the user can see them: each
// named control that is shown lies wholly inside what its parents show, up
// to its top-level window, or inside a scroll area (a scrolling panel, the
// main window's client area) that can scroll the whole control into view;
// and no other window of the program stands over it.
#pragma once
#include <QRect>
#include <QString>
#include <vector>

class QWidget;

namespace vkz::test {

struct ControlOutOfSight {
  QString control;  // the control's object name after its parents'
  QRect where;      // the control, in its top-level window's coordinates
  QString why;      // "cut off", or the window that covers it
};

// The shown, named controls of `window` (the window itself included) that
// the user cannot see whole, or that a window of `over` (top-level windows
// standing over it, such as the setting panel) covers in part; and the
// frames (title bar and buttons) of child windows in the main window's
// client area that such a window covers.
std::vector<ControlOutOfSight> controlsOutOfSight(const QWidget* window,
                                                  const std::vector<const QWidget*>& over = {});

}  // namespace vkz::test
