#include "ui/buttoncaption.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace vkz {

namespace {
// The room the button's style leaves for its caption.
QRect captionRoom(const QPushButton* b) {
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.features = b->isFlat() ? QStyleOptionButton::Flat : QStyleOptionButton::None;
  if (b->autoDefault() || b->isDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
  return b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
}
}  // namespace

void setButtonCaption(QPushButton* b, const QString& caption) {
  const QFontMetrics fm(b->font());
  const QRect room = captionRoom(b);
  auto width = [&](const QString& s) { return fm.size(Qt::TextShowMnemonic, s).width(); };
  QString text = caption;
  if (width(caption) > room.width() && room.height() >= 2 * fm.lineSpacing()) {
    int best = width(caption);
    for (qsizetype at = caption.indexOf(QLatin1Char(' ')); at > 0;
         at = caption.indexOf(QLatin1Char(' '), at + 1)) {
      const int wider = std::max(width(caption.left(at)), width(caption.mid(at + 1)));
      if (wider < best) {
        best = wider;
        text = caption.left(at) + QLatin1Char('\n') + caption.mid(at + 1);
      }
    }
  }
  b->setText(text);
}

}  // namespace vkz
