#include "ui/buttoncaption.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <optional>
#include <vector>

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

// The spaces of `caption` a line may break at (none at its very start).
std::vector<qsizetype> breakSpaces(const QString& caption) {
  std::vector<qsizetype> spaces;
  for (qsizetype at = caption.indexOf(QLatin1Char(' '), 1); at > 0;
       at = caption.indexOf(QLatin1Char(' '), at + 1))
    spaces.push_back(at);
  return spaces;
}

// A guess at the first space whose line before is at least as wide as its
// line after, from the advances of the caption's characters added up once
// (exact but for kerning and the mnemonic's hidden '&').
std::size_t guessCrossing(const QString& caption, const std::vector<qsizetype>& spaces,
                          const QFontMetrics& fm) {
  std::vector<qint64> x(static_cast<std::size_t>(caption.size()) + 1, 0);
  for (qsizetype i = 0; i < caption.size(); ++i)
    x[static_cast<std::size_t>(i) + 1] = x[static_cast<std::size_t>(i)] + fm.horizontalAdvance(caption[i]);
  const qint64 total = x.back();
  for (std::size_t i = 0; i < spaces.size(); ++i) {
    const auto at = static_cast<std::size_t>(spaces[i]);
    if (x[at] >= total - x[at + 1]) return i;
  }
  return spaces.size();
}

// The first index in [0, n) at which `holds` (false up to some index, true
// from it on) is true, n when none: searched outward from `guess` in
// doubling steps, then by halving, so a good guess costs a few calls.
template <typename Pred>
std::size_t firstTrue(std::size_t n, std::size_t guess, Pred holds) {
  if (n == 0) return 0;
  const std::size_t g = std::min(guess, n - 1);
  std::size_t lo, hi;  // the answer lies in [lo, hi]; hi == n or holds(hi)
  if (holds(g)) {
    lo = 0, hi = g;
    for (std::size_t step = 1; hi > 0; step *= 2) {
      const std::size_t j = hi > step ? hi - step : 0;
      if (!holds(j)) {
        lo = j + 1;
        break;
      }
      hi = j;
    }
  } else {
    lo = g + 1, hi = n;
    for (std::size_t step = 1; lo < n; step *= 2) {
      const std::size_t j = std::min(lo - 1 + step, n - 1);
      if (holds(j)) {
        hi = j;
        break;
      }
      lo = j + 1;
    }
  }
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (holds(mid))
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

// The space of `caption` to break it at: the one whose wider line is
// narrowest (the first such), when that line is narrower than the whole
// caption (`whole` wide).
//
// The line before a space grows and the line after it shrinks from one
// space to the next, so the wider of the two is narrowest where they cross:
// at the first space whose line before is at least as wide as its line
// after, or at the space before it. That space is guessed from the
// characters' advances and confirmed by measuring the lines at a few spaces
// around the guess, so a caption costs a few measures of its length, not
// two at every space.
std::optional<qsizetype> narrowestBreak(const QString& caption, const QFontMetrics& fm, int whole) {
  auto width = [&](const QString& s) { return fm.size(Qt::TextShowMnemonic, s).width(); };
  const std::vector<qsizetype> spaces = breakSpaces(caption);
  auto before = [&](std::size_t i) { return width(caption.left(spaces[i])); };
  auto after = [&](std::size_t i) { return width(caption.mid(spaces[i] + 1)); };
  const std::size_t cross = firstTrue(spaces.size(), guessCrossing(caption, spaces, fm),
                                      [&](std::size_t i) { return before(i) >= after(i); });
  std::optional<qsizetype> best;
  int narrowest = whole;
  if (cross > 0) {  // the space before the crossing: its line after is the wider
    if (const int w = after(cross - 1); w < narrowest) {
      narrowest = w;
      best = spaces[cross - 1];
    }
  }
  if (cross < spaces.size()) {  // the crossing: its line before is the wider
    if (const int w = before(cross); w < narrowest) best = spaces[cross];
  }
  return best;
}
}  // namespace

void setButtonCaption(QPushButton* b, const QString& caption) {
  const QFontMetrics fm(b->font());
  const QRect room = captionRoom(b);
  QString text = caption;
  const int whole = fm.size(Qt::TextShowMnemonic, caption).width();
  if (whole > room.width() && room.height() >= 2 * fm.lineSpacing())
    if (const auto at = narrowestBreak(caption, fm, whole))
      text = caption.left(*at) + QLatin1Char('\n') + caption.mid(*at + 1);
  b->setText(text);
}

}  // namespace vkz
