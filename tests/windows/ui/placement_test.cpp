// Where the program puts a window of its own: where it is wanted when it
// fits the screen's free area, else moved the least way inside.
#include "ui/placement.h"

#include <gtest/gtest.h>

namespace vkz {
namespace {

TEST(Placement, AWindowStaysWhereItIsWantedOrComesInsideTheScreen) {
  // A 1366 x 768 screen with a 32 px panel at its top.
  const ScreenRect screen{0, 32, 1366, 736};
  struct Case {
    const char* what;
    int x, y, width, height;
    ScreenPos want;
  };
  const Case cases[] = {
      {"fits where wanted", 900, 100, 400, 500, {900, 100}},
      {"right edge on the screen's edge", 966, 100, 400, 500, {966, 100}},
      {"beside a main window as wide as the screen", 1366, 32, 400, 500, {966, 32}},
      {"past the bottom", 100, 600, 400, 500, {100, 268}},
      {"above the free area (under the panel)", 100, 0, 400, 500, {100, 32}},
      {"left of the screen", -50, 100, 400, 500, {0, 100}},
      {"wider and taller than the screen: its top-left corner inside", 300, 300, 1500, 900, {0, 32}},
  };
  for (const Case& c : cases) EXPECT_EQ(PlaceInside(c.x, c.y, c.width, c.height, screen), c.want) << c.what;
  // A second screen to the right of the first counts from its own corner.
  EXPECT_EQ(PlaceInside(3000, 0, 400, 500, {1366, 0, 1280, 1024}), (ScreenPos{2246, 0}));
}

TEST(Placement, CentredOverAWindow) {
  EXPECT_EQ(CentreOver({100, 50, 1000, 700}, 400, 300), (ScreenPos{400, 250}));
  // Larger than the window it is centred over: it overhangs both sides alike.
  EXPECT_EQ(CentreOver({100, 50, 300, 200}, 500, 400), (ScreenPos{0, -50}));
}

// What a window standing over the main window's client area (the setting
// panel) leaves of it: the strip beside it that shows the most of a child
// window (UncoveredPart), and the client area's new extent
// (ClientAreaClearOf), which never shrinks to a sliver.
TEST(Placement, ThePartOfAClientAreaAWindowOverItLeaves) {
  // A client area 1000 x 600 at (300, 170); the setting panel 400 x 560
  // over its right end, from the screen's top.
  const ScreenRect area{300, 170, 1000, 600};
  const ScreenRect panel{900, 0, 400, 560};
  const ScreenRect left{300, 170, 600, 600}, below{300, 560, 1000, 210};
  struct Case {
    const char* what;
    ScreenRect cover;
    int width, height;       // the child window's
    ScreenRect part, clear;  // UncoveredPart, ClientAreaClearOf
  };
  const Case cases[] = {
      {"a child that fits left of it", panel, 500, 300, left, left},
      {"a wide, low child: below it, where it shows whole", panel, 900, 150, below, below},
      {"too wide for either: left of it, where more of it shows", panel, 900, 400, left, left},
      {"a child of no size: the largest strip", panel, 0, 0, left, left},
      {"over the left end: right of it",
       {200, 0, 400, 900},
       500,
       300,
       {600, 170, 700, 600},
       {600, 170, 700, 600}},
      {"over the top: below it", {300, 0, 1000, 400}, 0, 0, {300, 400, 1000, 370}, {300, 400, 1000, 370}},
      {"elsewhere on the screen: the whole area", {0, 0, 250, 900}, 500, 300, area, area},
      {"touching the area's edge only", {1300, 170, 300, 300}, 500, 300, area, area},
      {"over nearly all of it: a sliver, so the whole area",
       {350, 0, 1000, 900},
       500,
       300,
       {300, 170, 50, 600},
       area},
      {"over all of it: nothing, so the whole area", {0, 0, 2000, 2000}, 500, 300, {300, 170, 0, 0}, area},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UncoveredPart(area, c.cover, c.width, c.height), c.part) << c.what;
    EXPECT_EQ(ClientAreaClearOf(area, c.cover, c.width, c.height), c.clear) << c.what;
  }
}

}  // namespace
}  // namespace vkz
