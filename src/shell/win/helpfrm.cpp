#include "shell/win/helpfrm.h"

#include <QFileInfo>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>

#include "base/appdir.h"
#include "base/log.h"
#include "base/trtext.h"
#include "shell/flags.h"
#include "shell/layout.h"
#include "shell/uitext.h"
#include "shell/win/centredpanel.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"
#include "ui/twips.h"

namespace vkz {

namespace {
constexpr int kOptionHeight = 375;
}  // namespace

HelpFrm::HelpFrm() : FormWindow(&State().flags.HelpFrmOpen) {
  setObjectName(QStringLiteral("HelpFrm"));
  // The design size; the load then maximises the window (a resize after
  // that would take the maximised state away again).
  resize(pxX(6000), pxY(3500));
  SSPanel1 = new QFrame(this);
  SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
  SSPanel1->setFrameShape(QFrame::Panel);
  SSPanel1->setFrameShadow(QFrame::Raised);
  for (int i = 0; i < 2; ++i) {
    auto* o = new QRadioButton(SSPanel1);
    o->setObjectName(QStringLiteral("MunOpt_%1").arg(i));
    o->setAutoExclusive(false);
    // The two options one and a half heights apart, in the panel's three
    // option heights.
    setTwipsGeometry(o, 240, kOptionHeight / 4 + i * (kOptionHeight * 3 / 2), 3600, kOptionHeight);
    connect(o, &QRadioButton::clicked, this, [this, i] { MunOpt_Click(i); });
    MunOpt[static_cast<size_t>(i)] = o;
  }
  ExitBtn = new QPushButton(SSPanel1);
  ExitBtn->setObjectName(QStringLiteral("ExitBtn"));
  connect(ExitBtn, &QPushButton::clicked, this, &HelpFrm::ExitBtn_Click);
  setWindowState(windowState() | Qt::WindowMaximized);
  ApplyHelpFrmText(*this);
  MunOpt[0]->setChecked(false);
  const int h = HelpPanelHeight(2, twY(MunOpt[0]->height()));
  SSPanel1->resize(pxX(5400), pxY(h));
  setTwipsGeometry(ExitBtn, 4200, h - 375 - 90, 1000, 375);
}

QString HelpFrm::manualPath(int index) {
  return QString::fromStdString(appPath(index == 0 ? "help/Manual PT-BR.pdf" : "help/Manual.pdf"));
}

void HelpFrm::MunOpt_Click(int index) {
  try {
    const QString path = manualPath(index);
    // Linux has no silent "open": say so plainly when the manual is missing
    // or no program can show it.
    if (!QFileInfo(path).isReadable()) {
      MsgBox::show(q(trText("Help", "The manual is missing: %1")).arg(path), MsgIcon::Exclamation);
    } else if (!MsgBox::openDocument(path)) {
      MsgBox::show(q(trText("Help", "No program could open the manual: %1")).arg(path), MsgIcon::Exclamation);
    }
  } catch (...) {
    logCaught(LogArea::Ui);
  }
  if (index >= 0 && index < 2) MunOpt[static_cast<size_t>(index)]->setChecked(false);
}

void HelpFrm::ExitBtn_Click() {
  FormRegistry::unload(this);
}

void HelpFrm::Form_Resize() {
  try {
    CentrePanelInWindow(this, SSPanel1, 4935, 1905, 100, 500);
  } catch (...) {
    logCaught(LogArea::Ui);
  }
}

void ApplyHelpFrmText(HelpFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(QString::fromStdString(t.TxtHelp));
  f.ExitBtn->setText(QString::fromStdString(t.TxtExit));
  f.MunOpt[0]->setText(QString::fromStdString(t.TxtManualPortugues));
  f.MunOpt[1]->setText(QString::fromStdString(t.TxtManualEnglish));
}

}  // namespace vkz
