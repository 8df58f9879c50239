#include "ui/twips.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace vkz {

TwipsScale twipsScaleFor(double letterWidth, double lineHeight) {
  // A font smaller than the design's keeps the design's size: its texts fit.
  return {std::max(1.0, letterWidth / kDesignLetterWidth), std::max(1.0, lineHeight / kDesignLineHeight)};
}

TwipsScale twipsScaleOf(const QFont& font) {
  static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const QFontMetricsF fm(font);
  return twipsScaleFor(fm.horizontalAdvance(letters) / letters.size(), fm.height());
}

TwipsScale twipsScale() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return {};
  // Measured once for each application font.
  static QFont measured;
  static TwipsScale scale;
  static bool known = false;
  const QFont font = QGuiApplication::font();
  if (!known || font != measured) {
    measured = font;
    scale = twipsScaleOf(font);
    known = true;
  }
  return scale;
}

namespace {
int round(double v) {
  return static_cast<int>(std::lround(v));
}
}  // namespace

int twipsToPixelsX(int twips) {
  return round(twips * twipsScale().x / kTwipsPerPixel);
}
int twipsToPixelsY(int twips) {
  return round(twips * twipsScale().y / kTwipsPerPixel);
}
int pixelsToTwipsX(int pixels) {
  return round(pixels * kTwipsPerPixel / twipsScale().x);
}
int pixelsToTwipsY(int pixels) {
  return round(pixels * kTwipsPerPixel / twipsScale().y);
}

void setTwipsGeometry(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(pxX(left), pxY(top), pxX(width), pxY(height));
}

}  // namespace vkz
