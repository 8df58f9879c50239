#include "settings/win/welcomsetfrm.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include "link/frames.h"
#include "settings/metertext.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

WelcomSetFrm::WelcomSetFrm() : SettingWindow(&State().flags.WelcomSetFrmOpen, 4770, 2460) {
  setObjectName(QStringLiteral("WelcomSetFrm"));
  maximise();
  QFrame* p = makePanel("SSPanel1", 4575, 1815);
  for (int k = 0; k < 3; ++k) {
    auto* box = new QLineEdit(p);
    box->setObjectName(QStringLiteral("WelLineTxt_%1").arg(k));
    box->setMaxLength(static_cast<int>(kWelcomeLineLength));
    box->setText(QStringLiteral("Text1"));
    placeTw(box, 240, 240 + 480 * k, 2535, 315);
    WelLineTxt[static_cast<std::size_t>(k)] = box;
  }
  SetBtn = makeButton(p, QStringLiteral("SetBtn"), 3120, 240, 1215, 435);
  ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 3120, 1140, 1215, 435);
  connect(SetBtn, &QPushButton::clicked, this, &WelcomSetFrm::SetBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  ApplyWelcomSetFrmText(*this);
}

void WelcomSetFrm::showWelcomeText(const std::array<std::string, 3>& lines) {
  for (std::size_t k = 0; k < 3; ++k) WelLineTxt[k]->setText(q(lines[k]));
}

void WelcomSetFrm::SetBtn_Click() {
  std::array<std::string, 3> lines;
  for (std::size_t k = 0; k < 3; ++k) lines[k] = WelLineTxt[k]->text().toStdString();
  const SetOutcome<WelcomeTextWrite> out = welcomeTextSet(lines);
  if (!out.record) {
    MsgBox::show(q(out.refusal), MsgIcon::Critical);
    return;
  }
  for (std::size_t k = 0; k < 3; ++k) WelLineTxt[k]->setText(q(out.record->shown[k]));
  writeSetting(EraseRule::Ignore, ResumeRule::AfterSend,
               [&] { return CmdWriteWelcomeText(State().line(), out.record->bytes); });
}

void ApplyWelcomSetFrmText(WelcomSetFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(q(t.TxtWelcomeTextSetting));
  f.SetBtn->setText(q(t.TxtSet));
  f.ExitBtn->setText(q(t.TxtExit));
}

}  // namespace vkz
