// Window geometry is kept in twips (1/1440 inch), as the layout rules were
// written. They were drawn for the old platform's 8 pt "MS Sans Serif" at
// 96 dpi: 15 twips a pixel, with a font whose letters average 5.75 pixels
// across and whose lines are 13 pixels high. The program's own font is
// usually larger, and a control drawn for the old font would cut its text
// off. So twips grow with the font the way dialog units do: across by the
// ratio of the average letter widths, down by the ratio of the line heights,
// never below the design's size. The rules stay pure functions in twips;
// only the conversion to pixels knows the font.
#pragma once

class QFont;
class QWidget;

namespace vkz {

constexpr int kTwipsPerPixel = 15;
// The design font's metrics, in pixels at 96 dpi.
constexpr double kDesignLetterWidth = 5.75;
constexpr double kDesignLineHeight = 13.0;

// Pixels per design pixel, across (x) and down (y).
struct TwipsScale {
  double x = 1.0, y = 1.0;
  bool operator==(const TwipsScale&) const = default;
};

// The scale for a font whose letters "A" to "Z" and "a" to "z" average
// `letterWidth` pixels and whose lines are `lineHeight` pixels high.
TwipsScale twipsScaleFor(double letterWidth, double lineHeight);
// The scale for `font`, measured.
TwipsScale twipsScaleOf(const QFont& font);
// The scale for the application's font (measured again when that font
// changes); 1 : 1 before there is an application.
TwipsScale twipsScale();

// Conversions at the application's scale, rounded to the nearest pixel or
// twip: X for widths and horizontal places, Y for heights and vertical ones.
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);
int pixelsToTwipsX(int pixels);
int pixelsToTwipsY(int pixels);

// Short forms for window code that lays out many controls.
inline int pxX(int twips) {
  return twipsToPixelsX(twips);
}
inline int pxY(int twips) {
  return twipsToPixelsY(twips);
}
inline int twX(int pixels) {
  return pixelsToTwipsX(pixels);
}
inline int twY(int pixels) {
  return pixelsToTwipsY(pixels);
}

// Places a control at a rectangle given in twips (relative to its parent).
void setTwipsGeometry(QWidget* w, int left, int top, int width, int height);

}  // namespace vkz
