#include "settings/win/clearmemoryfrm.h"

#include <QFrame>
#include <QPushButton>

#include "link/frames.h"
#include "polling/pollstate.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

ClearMemoryFrm::ClearMemoryFrm() : SettingWindow(&State().flags.ClearMemoryFrmOpen, 4320, 2650) {
  setObjectName(QStringLiteral("ClearMemoryFrm"));
  maximise();
  QFrame* p = makePanel("SSPanel1", 4095, 2010);
  ClearBtn = makeButton(p, QStringLiteral("ClearBtn"), 480, 720, 1815, 555);
  ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 2520, 720, 1095, 555);
  connect(ClearBtn, &QPushButton::clicked, this, &ClearMemoryFrm::ClearBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  ApplyClearMemoryFrmText(*this);
}

void ClearMemoryFrm::ClearBtn_Click() {
  if (!isSupportedModel(State().polling.MeterModel)) return;
  if (MsgBox::show(q(State().texts.TxtClearMemoryAreYouSure), MsgIcon::None, MsgButtons::OkCancel,
                   QStringLiteral("Warning")) != MsgResult::Ok)
    return;
  const PortResult sent = State().poll.eraseMemory();
  if (sent) return;
  MsgBox::show(q(UnsentRequestText(eraseNotSentText(), sent)), MsgIcon::Critical);
}

void ApplyClearMemoryFrmText(ClearMemoryFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(q(t.TxtClearMemory));
  f.ClearBtn->setText(q(t.TxtClearMemory));
  f.ExitBtn->setText(q(t.TxtExit));
}

}  // namespace vkz
