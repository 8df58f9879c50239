// Twips grow with the font the way dialog units do.
#include "ui/twips.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

namespace vkz {
namespace {

TEST(Twips, ScaleIsTheRatioOfTheFontsMetricsToTheDesignFont) {
  struct Case {
    double letterWidth, lineHeight;
    TwipsScale want;
  };
  const Case cases[] = {
      {5.75, 13.0, {1.0, 1.0}},  // the design font: 15 twips a pixel
      {11.5, 19.5, {2.0, 1.5}},  // across and down each by its own ratio
      {4.0, 10.0, {1.0, 1.0}},   // a smaller font keeps the design's size
      {7.405, 13.97, {7.405 / 5.75, 13.97 / 13.0}},
  };
  for (const Case& c : cases) {
    const TwipsScale s = twipsScaleFor(c.letterWidth, c.lineHeight);
    EXPECT_DOUBLE_EQ(s.x, c.want.x) << c.letterWidth;
    EXPECT_DOUBLE_EQ(s.y, c.want.y) << c.lineHeight;
  }
}

TEST(Twips, ConversionsFollowTheApplicationFont) {
  const QFont before = QApplication::font();
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
  const TwipsScale nine = twipsScale();
  EXPECT_EQ(nine, twipsScaleOf(QApplication::font()));
  const int wide = pxX(15000), high = pxY(15000);
  // Pixels to twips and back is exact.
  for (int p : {0, 1, 7, 100, 1173}) {
    EXPECT_EQ(pxX(twX(p)), p);
    EXPECT_EQ(pxY(twY(p)), p);
  }
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
  EXPECT_GT(twipsScale().x, nine.x);
  EXPECT_GT(pxX(15000), wide);
  EXPECT_GT(pxY(15000), high);
  QApplication::setFont(before);
}

}  // namespace
}  // namespace vkz
