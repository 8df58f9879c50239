// Where the program puts a window of its own on the screen. A window is
// placed where its caller wants it (at the main window's right edge, over
// the main window ...) when it lies wholly inside the screen's free area
// (the screen less its task bars and panels); otherwise it is moved the
// least way that brings it inside, even over the main window, so no window
// opens where the user cannot see it or reach its title bar.
#pragma once

class QPoint;
class QSize;
class QWidget;

namespace vkz {

// A rectangle in pixels on the desktop: its top-left corner and its size.
struct ScreenRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// The top-left corner, frame included, of a window `width` x `height`
// (frame included) that wants to stand at (x, y): there when it fits inside
// `area`, otherwise moved into it; a window larger than the area keeps its
// top-left corner (title bar and close box) inside it.
struct ScreenPos {
  int x = 0, y = 0;
  bool operator==(const ScreenPos&) const = default;
};
ScreenPos PlaceInside(int x, int y, int width, int height, const ScreenRect& area);

// The top-left corner of a window `width` x `height` centred over `over`.
ScreenPos CentreOver(const ScreenRect& over, int width, int height);

// The part of `area` that `cover` (a window standing over it) leaves in
// sight, for a panel `width` x `height` to stand in: the whole area when the
// cover misses it; otherwise the strip beside the cover (left or right of
// it, as high as the area; above or below it, as wide as the area) that
// shows the most of the panel, the largest strip among equals. Empty when
// the cover hides the whole area.
ScreenRect UncoveredPart(const ScreenRect& area, const ScreenRect& cover, int width, int height);

// A client area `area` with a window standing over it at `cover`: the
// strip beside the cover (UncoveredPart) that shows the most of a child
// window `width` x `height` (the largest strip for one of no size), so
// child windows open where it hides none of them; the whole area when the
// cover misses it, or when the strip would keep less than a third of the
// area's width or height (the window over it then stands over whatever lies
// under it, where the user put it).
ScreenRect ClientAreaClearOf(const ScreenRect& area, const ScreenRect& cover, int width = 0, int height = 0);

// The free area of the screen `w` stands on (or of the screen under
// `near`, or of the main screen).
ScreenRect availableArea(const QWidget* w);
ScreenRect availableAreaAt(const QPoint& near);

// The room a window manager's frame takes around a window's client area,
// across and down: the window's own once it is shown, else that of the
// program's windows already on the screen.
QSize frameExtra(const QWidget* w);

// Moves the top-level window `w` so that its frame's top-left corner stands
// at `wanted`, or inside the free area of the screen under `anchor` (a point
// of the window it goes beside) by PlaceInside.
void placeWindow(QWidget* w, const QPoint& wanted, const QPoint& anchor);

// Centres the top-level window `w` over `over` (the main window; the screen
// when there is none), inside the screen's free area.
void placeCentred(QWidget* w, const QWidget* over);

}  // namespace vkz
