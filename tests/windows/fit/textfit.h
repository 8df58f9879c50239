// Whether the texts of a window fit their controls as the window draws them:
// captions of windows and frames, labels, buttons, check boxes and option
// buttons, every item of a drop-down list (any of them may stand in its
// box), the text a text box holds, and every grid cell in view (fixed rows
// included). A text that is wider than the room its control gives it is
// drawn cut off.
#pragma once
#include <QRect>
#include <QString>
#include <vector>

class QLabel;
class QWidget;

namespace vkz {

class FlexGrid;

namespace test {

// A control's object name after its parents', up to its window.
QString controlPath(const QWidget* w);

// Where a label draws its text, in its parent's coordinates.
QRect labelTextRect(const QLabel* l);

struct TextOverflow {
  QString control;  // the control's object name after its parents'
  QString text;
  int needed = 0;  // pixels the text takes
  int room = 0;    // pixels its control gives it
};

// The texts of `window` and of the controls inside it that are shown:
// how many were measured, and those that do not fit. Controls that are
// hidden, or lie wholly outside what their parents show, are left out.
struct TextFitReport {
  int measured = 0;
  std::vector<TextOverflow> overflows;
};
TextFitReport checkTexts(const QWidget* window);

// How many of a grid's columns, and of its rows, lie wholly inside its view.
int columnsInView(const FlexGrid& grid);
int rowsInView(const FlexGrid& grid);

}  // namespace test
}  // namespace vkz
