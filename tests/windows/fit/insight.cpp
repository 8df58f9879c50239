#include "insight.h"

#include <QAbstractButton>
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
// viewport's coordinates: moved inside [0, room) when the area scrolls that
// way (as far as its scroll bar reaches), else left where it is.
int scrollAxis(int at, int size, int room, const QScrollBar* bar, Qt::ScrollBarPolicy policy) {
  if (policy == Qt::ScrollBarAlwaysOff) return at;
  // How far the scroll bar can move the content either way from where it is.
  const int back = bar->value() - bar->minimum(), forth = bar->maximum() - bar->value();
  if (at < 0) return at + std::min(-at, back);
  if (at + size > room) return at - std::min(at + size - room, forth);
  return at;
}

// `r`, a part of a scroll area's content in its viewport's coordinates, as
// the user brings it into view with the area's scroll bars.
QRect scrolledIntoView(const QAbstractScrollArea* area, QRect r) {
  const QSize room = area->viewport()->size();
  r.moveLeft(scrollAxis(r.left(), r.width(), room.width(), area->horizontalScrollBar(),
                        area->horizontalScrollBarPolicy()));
  r.moveTop(scrollAxis(r.top(), r.height(), room.height(), area->verticalScrollBar(),
                       area->verticalScrollBarPolicy()));
  return r;
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
    if (c->isWidgetType() && named(static_cast<const QWidget*>(c)) && static_cast<const QWidget*>(c)->isVisible())
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

// What the user can see of `part` of `w`, scrolling where a scroll area
// lets them: clipped by every parent up to its top-level window, each
// scroll area on the way scrolled to show it; in the top-level window's
// coordinates, which `top` receives.
QRect reachable(const QWidget* w, QRect r, const QWidget** top) {
  for (const QWidget* p = w;; p = p->parentWidget()) {
    r &= p->rect();
    if (r.isEmpty() || p->isWindow() || !p->parentWidget()) {
      *top = p;
      while (!(*top)->isWindow() && (*top)->parentWidget()) *top = (*top)->parentWidget();
      return r;
    }
    r.translate(p->pos());
    if (const QAbstractScrollArea* area = scrollAreaOf(p->parentWidget())) r = scrolledIntoView(area, r);
  }
}

// A control laid wholly outside the panel that holds it: one the window
// keeps out of sight on purpose (header-item boxes the user may not change).
bool keptOutside(const QWidget* w) {
  const QWidget* p = w->parentWidget();
  return p && !p->isWindow() && !qobject_cast<const QMdiSubWindow*>(p->parentWidget()) &&
         !p->rect().intersects(w->geometry());
}

void walk(const QWidget* w, const std::vector<const QWidget*>& over, std::vector<ControlOutOfSight>& out) {
  if (!w->isVisible() || behindAnother(w) || keptOutside(w)) return;
  const QRect part = drawnPart(w);
  if (named(w) && !part.isEmpty()) {
    const QWidget* top = nullptr;
    const QRect r = reachable(w, part, &top);
    const QRect where(w->mapTo(top, part.topLeft()), part.size());
    if (r.size() != part.size()) {
      out.push_back({controlPath(w), where, QStringLiteral("cut off")});
    } else {
      const QRect onScreen(top->mapToGlobal(r.topLeft()), r.size());
      for (const QWidget* o : over)
        if (o && o->isVisible() && o != top && !o->isAncestorOf(w) && o->frameGeometry().intersects(onScreen))
          out.push_back({controlPath(w), where, QStringLiteral("under ") + o->objectName()});
    }
  }
  for (const QObject* child : w->children())
    if (child->isWidgetType() && !static_cast<const QWidget*>(child)->isWindow())
      walk(static_cast<const QWidget*>(child), over, out);
}

}  // namespace

std::vector<ControlOutOfSight> controlsOutOfSight(const QWidget* window, const std::vector<const QWidget*>& over) {
  std::vector<ControlOutOfSight> out;
  walk(window, over, out);
  return out;
}

}  // namespace vkz::test
