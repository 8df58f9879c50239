// The main window's meter-name panel: a hidden service function. A double
// click on the empty client area asks for the access code; a text holding
// it, with a supported meter identified, shows the panel and reads the
// meter's name (reply 0x11 fills the box). Set writes the name padded to 11
// characters (0x8E), Exit hides the panel. The name travels in code page
// 1252 both ways: a character without a byte there is refused before
// anything is sent.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "base/handlerstep.h"
#include "base/trtext.h"
#include "link/frames.h"
#include "settings/metertext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"
#include "ui/twips.h"

namespace vkz {

void Panel::buildMeterNamePanel() {
  // Inside the strip of the detected meters, hidden until the access code
  // is given.
  SNPic = new QFrame(ControlPic);
  SNPic->setObjectName(QStringLiteral("SNPic"));
  SNPic->setFrameShape(QFrame::Panel);
  SNPic->setFrameShadow(QFrame::Raised);
  SNPic->setAutoFillBackground(true);
  setTwipsGeometry(SNPic, 4320, 0, 5775, 1335);
  SNPic->hide();
  Label1 = new QLabel(QStringLiteral("S/N"), SNPic);
  Label1->setObjectName(QStringLiteral("Label1"));
  setTwipsGeometry(Label1, 120, 120, 615, 255);
  SNTxt = new QLineEdit(SNPic);
  SNTxt->setObjectName(QStringLiteral("SNTxt"));
  setTwipsGeometry(SNTxt, 120, 360, 3855, 375);
  // At most 11 characters typed; the read-back shows all 12 of the meter's.
  SNTxt->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral(".{0,%1}").arg(kMeterNameWriteLength)), SNTxt));
  SNExitBtn = new QPushButton(QStringLiteral("Exit"), SNPic);
  SNExitBtn->setObjectName(QStringLiteral("SNExitBtn"));
  setTwipsGeometry(SNExitBtn, 2400, 840, 615, 375);
  SNSendBtn = new QPushButton(QStringLiteral("Set"), SNPic);
  SNSendBtn->setObjectName(QStringLiteral("SNSendBtn"));
  setTwipsGeometry(SNSendBtn, 3120, 840, 855, 375);
  connect(SNExitBtn, &QPushButton::clicked, this, &Panel::SNExitBtn_Click);
  connect(SNSendBtn, &QPushButton::clicked, this, &Panel::SNSendBtn_Click);
}

void Panel::MDIForm_DblClick() {
  step([&] {
    const QString typed = MsgBox::input(QStringLiteral("Enter the Code \n"),
                                        QStringLiteral("Input Meter Code"), QStringLiteral("Meter Name"));
    if (typed.isEmpty()) return;
    if (!meterNameAccess(typed.toStdString(), State().polling.MeterModel)) return;
    SNPic->show();
    SNPic->raise();
    CmdReadMeterName(State().line());
  });
}

void Panel::SNSendBtn_Click() {
  const SetOutcome<MeterNameWrite> name = meterNameSet(SNTxt->text().toStdString());
  if (!name.record) {
    MsgBox::show(q(name.refusal), MsgIcon::Critical);
    return;
  }
  PortResult sent{PortStatus::Failed, trText("Port", "the request could not be made")};
  {
    PollPause pause(State().poll);
    step([&] { SNTxt->setText(q(name.record->shown)); });
    // The acknowledgement is awaited: the engine says when none comes.
    step([&] {
      sent = State().poll.writeAwaited([&] { return CmdWriteMeterName(State().line(), name.record->bytes); });
    });
  }
  // A name that never went out is said so, not left to silence.
  if (!sent) MsgBox::show(q(UnsentRequestText(State().texts.TxtSetFail, sent)), MsgIcon::Critical);
}

void Panel::SNExitBtn_Click() {
  SNPic->hide();
}

}  // namespace vkz
