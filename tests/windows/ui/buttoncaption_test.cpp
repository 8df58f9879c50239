// A caption wider than its button is broken into two lines at the space
// that leaves its wider line narrowest; a button one line high keeps it whole.
#include "ui/buttoncaption.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>
#include <fstream>
#include <sstream>

#include "base/appdir.h"
#include "shell/langfile.h"
#include "shell/uitext.h"
#include "support/common/program_reset.h"
#include "ui/qtext.h"

namespace vkz {
namespace {

// The break tried at every space of the caption, measuring both lines each
// time: what the caption must read on a button too narrow for it.
QString triedAtEverySpace(const QPushButton& b, const QString& caption) {
  const QFontMetrics fm(b.font());
  auto width = [&](const QString& s) { return fm.size(Qt::TextShowMnemonic, s).width(); };
  QString text = caption;
  int best = width(caption);
  for (qsizetype at = caption.indexOf(QLatin1Char(' '), 1); at > 0;
       at = caption.indexOf(QLatin1Char(' '), at + 1)) {
    const int wider = std::max(width(caption.left(at)), width(caption.mid(at + 1)));
    if (wider < best) {
      best = wider;
      text = caption.left(at) + QLatin1Char('\n') + caption.mid(at + 1);
    }
  }
  return text;
}

// Every text of the table in English and in the shipped Portuguese, and a
// few captions made for the rule's corners.
QStringList captions() {
  test::resetProgram();  // the program's own folder
  UiText english, portuguese;
  LoadDefaultStrings(english);
  LoadDefaultStrings(portuguese);
  std::ifstream f(appPath("Lan/Portugu\xC3\xAAs (Brasil).lan"), std::ios::binary);
  std::stringstream bytes;
  bytes << f.rdbuf();
  const auto text = DecodeLanguageBytes(bytes.str());
  EXPECT_GT(text ? ApplyLanguageText(*text, portuguese) : 0, 300);
  QStringList out;
  for (const UiTextSlot& s : UiTextSlots()) out << q(english.*(s.member)) << q(portuguese.*(s.member));
  QString words;
  for (int n = 0; n < 300; ++n) words += QStringLiteral("palavra%1 ").arg(n * 7919 % 1000);
  // Hidden mnemonic marks on one side put the crossing of the two lines
  // well away from where the characters alone would put it.
  const QString marked = QStringLiteral("&w ").repeated(60), plain = QStringLiteral("w ").repeated(60);
  out << marked + plain << plain + marked;
  out << words << QStringLiteral(" Busca autom\u00E1tica") << QStringLiteral("Reset  Com   Port")
      << QStringLiteral("&Redefinir a porta && COM") << QStringLiteral("i i i i i i WWWWWWWW");
  return out;
}

TEST(ButtonCaption, BreaksWhereTryingEverySpaceWould) {
  const QStringList all = captions();
  QPushButton twoLines, oneLine;
  twoLines.resize(12, 80);
  oneLine.resize(12, 12);
  for (const QString& c : all) {
    setButtonCaption(&twoLines, c);
    EXPECT_EQ(twoLines.text(), triedAtEverySpace(twoLines, c)) << c.toStdString();
    setButtonCaption(&oneLine, c);
    EXPECT_EQ(oneLine.text(), c) << c.toStdString();
  }
  // Wide enough: the caption stays on one line.
  twoLines.resize(4000, 80);
  setButtonCaption(&twoLines, QStringLiteral("Reset Com Port"));
  EXPECT_EQ(twoLines.text(), QStringLiteral("Reset Com Port"));
}

}  // namespace
}  // namespace vkz
