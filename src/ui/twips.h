// Window geometry of the layout rules is kept in twips (1/1440 inch), as the
// rules were written; 15 twips make one pixel at 96 dpi.
#pragma once

namespace vkz {

constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int pixelsToTwips(int pixels) {
  return pixels * kTwipsPerPixel;
}

// Short forms for window code that lays out many controls.
constexpr int px(int twips) {
  return twipsToPixels(twips);
}
constexpr int tw(int pixels) {
  return pixelsToTwips(pixels);
}

}  // namespace vkz
