#include "shell/win/languagefrm.h"

#include <QFontMetrics>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>

#include "base/log.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/layout.h"
#include "shell/uitext.h"
#include "shell/win/centredpanel.h"
#include "shell/win/messagelanguage.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/twips.h"

namespace vkz {

namespace {
constexpr int kOptionTop = 120;
constexpr int kOptionHeight = 375;
constexpr int kButtonHeight = 495;
}  // namespace

LanguageFrm::LanguageFrm() : FormWindow(&State().flags.LanguageFrmOpen) {
  setObjectName(QStringLiteral("LanguageFrm"));
  // The design size; the load then maximises the window (a resize after
  // that would take the maximised state away again).
  resize(pxX(5600), pxY(3400));
  setWindowState(windowState() | Qt::WindowMaximized);
  // Every other window closes, the data list window, the histogram and the
  // graph included, and the memory panel is hidden.
  RunCloseOrder(LanguageFrmCloseOrder(), State().flags, [](WindowId w) {
    if (Panel* p = ThePanel()) p->closeWindow(w);
  });

  SSPanel1 = new QFrame(this);
  SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
  SSPanel1->setFrameShape(QFrame::Panel);
  SSPanel1->setFrameShadow(QFrame::Raised);
  auto* first = new QRadioButton(QStringLiteral("Language"), SSPanel1);
  first->setObjectName(QStringLiteral("Language_0"));
  first->setAutoExclusive(false);
  setTwipsGeometry(first, 360, kOptionTop, 2400, kOptionHeight);
  Language.push_back(first);
  SetBtn = new QPushButton(SSPanel1);
  SetBtn->setObjectName(QStringLiteral("SetBtn"));
  ExitBtn = new QPushButton(SSPanel1);
  ExitBtn->setObjectName(QStringLiteral("ExitBtn"));
  connect(SetBtn, &QPushButton::clicked, this, &LanguageFrm::SetBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &LanguageFrm::ExitBtn_Click);
  SSPanel1->resize(pxX(4800), pxY(2 * kButtonHeight + 300));

  ApplyLanguageFrmText(*this);
  const int count = State().language.LangCount;
  if (count > 0) {
    // A missing or broken index, or one with a language line out of place,
    // leaves option 0 with its layout caption and nothing selected.
    if (const auto names = ReadLanguageNames(count)) {
      Language[0]->setText(QString::fromStdString((*names)[0]));
      const QFontMetrics fm(Language[0]->font());
      for (int i = 1; i < count; ++i) {
        auto* o = new QRadioButton(SSPanel1);
        o->setObjectName(QStringLiteral("Language_%1").arg(i));
        o->setAutoExclusive(false);
        const QString caption = QString::fromStdString((*names)[static_cast<size_t>(i)]);
        o->setGeometry(
            Language[0]->x(), pxY(LanguageOptionTop(twY(Language[0]->y()), twY(Language[0]->height()), i)),
            std::max(Language[0]->width(), 4 * fm.horizontalAdvance(caption)), Language[0]->height());
        o->setText(caption);
        o->show();
        Language.push_back(o);
      }
      const int n = static_cast<int>(Language.size());
      const int panelHeight = LanguagePanelHeight(n, twY(Language[0]->height()), kButtonHeight);
      SSPanel1->resize(SSPanel1->width(), pxY(panelHeight));
      selectOption(State().language.LangNo - 1);
    }
  }
  for (int i = 0; i < static_cast<int>(Language.size()); ++i)
    connect(Language[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] { selectOption(i); });
  // Set and Exit stand one above the other at the panel's right, in the
  // two button heights and 300 the panel keeps for them; a wide option
  // caption runs under them, never over them.
  setTwipsGeometry(SetBtn, 3000, 120, 1500, kButtonHeight);
  setTwipsGeometry(ExitBtn, 3000, 120 + kButtonHeight + 60, 1500, kButtonHeight);
  SetBtn->raise();
  ExitBtn->raise();
}

void LanguageFrm::selectOption(int index) {
  // Selecting one option clears the others; an index that names no option
  // selects none.
  for (int i = 0; i < static_cast<int>(Language.size()); ++i)
    Language[static_cast<size_t>(i)]->setChecked(i == index);
}

void LanguageFrm::SetBtn_Click() {
  int chosen = -1;
  for (int k = 0; k < static_cast<int>(Language.size()); ++k)
    if (Language[static_cast<size_t>(k)]->isChecked()) chosen = k;
  // The index is rewritten only when it can be read and its header split;
  // otherwise the window just closes.
  if (SaveLanguageChoice(State().language, chosen)) {
    ApplyMessageLanguage(State().language, LoadLanguageIndex(State().language, State().texts));
    if (Panel* p = ThePanel()) {
      p->ApplyPanelToolbarText();
      p->ApplyPanelTreeText();  // an empty tree is left as it is
    }
  }
  FormRegistry::unload(this);
}

void LanguageFrm::ExitBtn_Click() {
  FormRegistry::unload(this);
}

void LanguageFrm::Form_Resize() {
  try {
    CentrePanelInWindow(this, SSPanel1, 5310, 3015, 100, 400);
  } catch (...) {
    logCaught(LogArea::Ui);
  }
}

void ApplyLanguageFrmText(LanguageFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(QString::fromStdString(t.TxtLanguage));
  f.SetBtn->setText(QString::fromStdString(t.TxtSet));
  f.ExitBtn->setText(QString::fromStdString(t.TxtExit));
}

}  // namespace vkz
