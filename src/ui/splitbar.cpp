#include "ui/splitbar.h"

#include <QMouseEvent>

#include "ui/twips.h"

namespace vkz {
namespace {
// The old mouse events: button 1 left, 2 right, 4 middle; shift 1, ctrl 2, alt 4.
int buttonCode(Qt::MouseButtons b) {
  int c = 0;
  if (b & Qt::LeftButton) c |= 1;
  if (b & Qt::RightButton) c |= 2;
  if (b & Qt::MiddleButton) c |= 4;
  return c;
}
int shiftCode(Qt::KeyboardModifiers m) {
  int c = 0;
  if (m & Qt::ShiftModifier) c |= 1;
  if (m & Qt::ControlModifier) c |= 2;
  if (m & Qt::AltModifier) c |= 4;
  return c;
}
void send(const SplitBar::Handler& h, QMouseEvent* e, Qt::MouseButtons b) {
  if (!h) return;
  const QPoint p = e->position().toPoint();
  h(buttonCode(b), shiftCode(e->modifiers()), pixelsToTwipsX(p.x()), pixelsToTwipsY(p.y()));
}
}  // namespace

SplitBar::SplitBar(Qt::Orientation o, QWidget* parent) : QFrame(parent) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  setPalette(pal);
  setCursor(o == Qt::Horizontal ? Qt::SplitVCursor : Qt::SplitHCursor);
}

void SplitBar::mousePressEvent(QMouseEvent* e) {
  send(onDown, e, e->button());
}
void SplitBar::mouseMoveEvent(QMouseEvent* e) {
  send(onMove, e, e->buttons());
}
void SplitBar::mouseReleaseEvent(QMouseEvent* e) {
  send(onUp, e, e->button());
}

}  // namespace vkz
