#include "insight.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>

#include "textfit.h"

namespace vkz::test {
namespace {

// The scroll area whose viewport `w` is, if any.
const QAbstractScrollArea* scrollAreaOf(const QWidget* w) {
  const auto* area = w ? qobject_cast<const QAbstractScrollArea*>(w->parentWidget()) : nullptr;
  return area && area->viewport() == w ? area : nullptr;
}

// One axis of a part [at, at + size) of a scroll area's content, in its
// viewport's coordinates [0, room): whether the area's scroll bar can bring
// it into view (the whole of it, or each of its parts where it is larger
// than the view), and where it then stands (at its view's edge, as much of
// it as the view shows).
bool scrollAxis(int& at, int& size, int room, const QScrollBar* bar, Qt::ScrollBarPolicy policy) {
  // How far the content can move either way from where it is.
  const bool scrolls = policy != Qt::ScrollBarAlwaysOff;
  const int back = scrolls ? bar->value() - bar->minimum() : 0;
  const int forth = scrolls ? bar->maximum() - bar->value() : 0;
  if (-at > back || at + size - room > forth) return false;
  if (size > room) {
    at = 0;
    size = room;
  } else {
    at = std::clamp(at, 0, room - size);
  }
  return true;
}

// `r`, a part of a scroll area's content in its viewport's coordinates, as
// the user brings it into view with the area's scroll bars; false when they
// cannot.
bool scrolledIntoView(const QAbstractScrollArea* area, QRect& r) {
  const QSize room = area->viewport()->size();
  int x = r.x(), y = r.y(), w = r.width(), h = r.height();
  const bool ok =
      scrollAxis(x, w, room.width(), area->horizontalScrollBar(), area->horizontalScrollBarPolicy()) &&
      scrollAxis(y, h, room.height(), area->verticalScrollBar(), area->verticalScrollBarPolicy());
  r = QRect(x, y, w, h);
  return ok;
}

bool named(const QWidget* w) {
  const QString name = w->objectName();
  return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// A window, a panel or a frame that holds controls: the user reads and
// works its controls, each looked at on its own, not the holder.
bool holdsControls(const QWidget* w) {
  if (w->isWindow() || qobject_cast<const QMdiSubWindow*>(w->parentWidget())) return true;
  for (const QObject* c : w->children())
    if (c->isWidgetType() && named(static_cast<const QWidget*>(c)) &&
        static_cast<const QWidget*>(c)->isVisible())
      return true;
  return false;
}

// The part of control `w` that shows something: a label's text where its
// alignment puts it, a check box's or option button's box and caption, the
// whole control otherwise. Empty for what is no control of its own: a
// holder of controls, a line drawn between them.
QRect drawnPart(const QWidget* w) {
  if (holdsControls(w)) return {};
  if (const auto* l = qobject_cast<const QLabel*>(w)) {
    if (l->text().isEmpty()) return l->rect();
    return labelTextRect(l).translated(-l->pos());
  }
  if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
    return QRect(0, 0, std::min(w->width(), w->sizeHint().width()), w->height());
  if (const auto* f = qobject_cast<const QFrame*>(w)) {
    const QFrame::Shape shape = f->frameShape();
    if (shape == QFrame::NoFrame || shape == QFrame::HLine || shape == QFrame::VLine) return {};
  }
  return w->rect();
}

// A window of the main window's client area that stands behind another:
// the user brings it forward by closing the one in front.
bool behindAnother(const QWidget* w) {
  const auto* sub = qobject_cast<const QMdiSubWindow*>(w);
  return sub && sub->mdiArea() && sub->mdiArea()->activeSubWindow() != sub;
}

// Whether the user can see all of `r` (a part of `w`, in its coordinates),
// scrolling where a scroll area lets them: no parent up to its top-level
// window cuts it off, and each scroll area on the way can bring it into
// view. `top` receives the top-level window and `shown` the part in view
// once scrolled, in its coordinates.
bool reachable(const QWidget* w, QRect r, const QWidget** top, QRect* shown) {
  for (const QWidget* p = w;; p = p->parentWidget()) {
    if ((r & p->rect()) != r) return false;
    if (p->isWindow() || !p->parentWidget()) {
      *top = p;
      *shown = r;
      return true;
    }
    r.translate(p->pos());
    if (const QAbstractScrollArea* area = scrollAreaOf(p->parentWidget()))
      if (!scrolledIntoView(area, r)) return false;
  }
}

// A control laid wholly outside the panel that holds it: one the window
// keeps out of sight on purpose (header-item boxes the user may not change).
bool keptOutside(const QWidget* w) {
  const QWidget* p = w->parentWidget();
  return p && !p->isWindow() && !qobject_cast<const QMdiSubWindow*>(p->parentWidget()) &&
         !p->rect().intersects(w->geometry());
}

// Tells each window of `over` that stands over `shown` (a part of `w` in
// view, in its top-level window's coordinates).
void checkCover(const QWidget* w, const QWidget* top, const QRect& shown, const QRect& where,
                const std::vector<const QWidget*>& over, std::vector<ControlOutOfSight>& out) {
  const QRect onScreen(top->mapToGlobal(shown.topLeft()), shown.size());
  for (const QWidget* o : over)
    if (o && o->isVisible() && o != top && !o->isAncestorOf(w) && o->frameGeometry().intersects(onScreen))
      out.push_back({controlPath(w), where, QStringLiteral("under ") + o->objectName()});
}

// A child window's frame in the main window's client area (its title bar
// with its buttons): as much of it as is in view, out from under `over`.
void checkFrame(const QMdiSubWindow* frame, const std::vector<const QWidget*>& over,
                std::vector<ControlOutOfSight>& out) {
  const QWidget* top = frame->window();
  const QWidget* view = frame->parentWidget();
  const QRect shown = QRect(frame->mapTo(top, QPoint(0, 0)), frame->size()) &
                      QRect(view->mapTo(top, QPoint(0, 0)), view->size());
  checkCover(frame, top, shown, shown, over, out);
}

void walk(const QWidget* w, const std::vector<const QWidget*>& over, std::vector<ControlOutOfSight>& out) {
  if (!w->isVisible() || behindAnother(w) || keptOutside(w)) return;
  if (const auto* frame = qobject_cast<const QMdiSubWindow*>(w)) checkFrame(frame, over, out);
  const QRect part = drawnPart(w);
  if (named(w) && !part.isEmpty()) {
    const QWidget* top = w->window();
    QRect r;
    const QRect where(w->mapTo(top, part.topLeft()), part.size());
    if (!reachable(w, part, &top, &r))
      out.push_back({controlPath(w), where, QStringLiteral("cut off")});
    else
      checkCover(w, top, r, where, over, out);
  }
  for (const QObject* child : w->children())
    if (child->isWidgetType() && !static_cast<const QWidget*>(child)->isWindow())
      walk(static_cast<const QWidget*>(child), over, out);
}

}  // namespace

std::vector<ControlOutOfSight> controlsOutOfSight(const QWidget* window,
                                                  const std::vector<const QWidget*>& over) {
  std::vector<ControlOutOfSight> out;
  if (const auto* frame = qobject_cast<const QMdiSubWindow*>(window->parentWidget()))
    if (frame->isVisible()) checkFrame(frame, over, out);
  walk(window, over, out);
  return out;
}

}  // namespace vkz::test
