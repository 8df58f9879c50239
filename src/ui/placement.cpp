#include "ui/placement.h"

#include <QApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vkz {

namespace {
// One axis: `pos` as near as it can stay to where it wants to be with the
// window's extent inside [start, start + room); the start edge wins.
int placeAxis(int pos, int extent, int start, int room) {
  return std::max(start, std::min(pos, start + room - extent));
}

ScreenRect fromRect(const QRect& r) {
  return {r.left(), r.top(), r.width(), r.height()};
}

const QScreen* screenOf(const QWidget* w) {
  if (w) {
    if (const QScreen* s = w->screen()) return s;
  }
  return QGuiApplication::primaryScreen();
}
}  // namespace

ScreenPos PlaceInside(int x, int y, int width, int height, const ScreenRect& area) {
  return {placeAxis(x, width, area.left, area.width), placeAxis(y, height, area.top, area.height)};
}

ScreenPos CentreOver(const ScreenRect& over, int width, int height) {
  return {over.left + (over.width - width) / 2, over.top + (over.height - height) / 2};
}

ScreenRect UncoveredPart(const ScreenRect& area, const ScreenRect& cover, int width, int height) {
  const int right = area.left + area.width, bottom = area.top + area.height;
  const int coverRight = cover.left + cover.width, coverBottom = cover.top + cover.height;
  const bool misses = cover.width <= 0 || cover.height <= 0 || cover.left >= right ||
                      coverRight <= area.left || cover.top >= bottom || coverBottom <= area.top;
  if (misses) return area;
  const ScreenRect strips[4] = {
      {area.left, area.top, cover.left - area.left, area.height},  // left of it
      {coverRight, area.top, right - coverRight, area.height},     // right of it
      {area.left, area.top, area.width, cover.top - area.top},     // above it
      {area.left, coverBottom, area.width, bottom - coverBottom},  // below it
  };
  ScreenRect best{area.left, area.top, 0, 0};
  long long bestShown = -1, bestArea = -1;
  for (const ScreenRect& s : strips) {
    if (s.width <= 0 || s.height <= 0) continue;
    const long long shown = 1LL * std::min(width, s.width) * std::min(height, s.height);
    const long long size = 1LL * s.width * s.height;
    if (shown > bestShown || (shown == bestShown && size > bestArea)) {
      best = s;
      bestShown = shown;
      bestArea = size;
    }
  }
  return best;
}

ScreenRect ClientAreaClearOf(const ScreenRect& area, const ScreenRect& cover, int width, int height) {
  const ScreenRect clear = UncoveredPart(area, cover, width, height);
  if (clear.width * 3 < area.width || clear.height * 3 < area.height) return area;
  return clear;
}

ScreenRect availableArea(const QWidget* w) {
  const QScreen* s = screenOf(w);
  return s ? fromRect(s->availableGeometry()) : ScreenRect{};
}

ScreenRect availableAreaAt(const QPoint& near) {
  const QScreen* s = QGuiApplication::screenAt(near);
  if (!s) s = QGuiApplication::primaryScreen();
  return s ? fromRect(s->availableGeometry()) : ScreenRect{};
}

QSize frameExtra(const QWidget* w) {
  auto extra = [](const QWidget* t) { return t->frameGeometry().size() - t->geometry().size(); };
  if (w && w->isVisible()) return extra(w);
  QSize widest(0, 0);
  for (const QWidget* t : QApplication::topLevelWidgets())
    if (t != w && t->isVisible() && !(t->windowFlags() & Qt::FramelessWindowHint))
      widest = widest.expandedTo(extra(t));
  return widest;
}

void placeWindow(QWidget* w, const QPoint& wanted, const QPoint& anchor) {
  const QSize outer = w->size() + frameExtra(w);
  const ScreenPos p =
      PlaceInside(wanted.x(), wanted.y(), outer.width(), outer.height(), availableAreaAt(anchor));
  // move() places the frame's top-left corner of a top-level window.
  w->move(p.x, p.y);
}

void placeCentred(QWidget* w, const QWidget* over) {
  const QSize outer = w->size() + frameExtra(w);
  const ScreenRect area = over ? fromRect(over->frameGeometry()) : availableArea(w);
  const ScreenPos c = CentreOver(area, outer.width(), outer.height());
  placeWindow(w, QPoint(c.x, c.y), QPoint(area.left + area.width / 2, area.top + area.height / 2));
}

}  // namespace vkz
