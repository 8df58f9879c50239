#include "settings/win/rtcfrm.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "link/frames.h"
#include "settings/meterclock.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

RTCFrm::RTCFrm() : SettingWindow(&State().flags.RTCFrmOpen, 5145, 2895) {
  setObjectName(QStringLiteral("RTCFrm"));
  QFrame* p = makePanel("SSPanel1", 4695, 2295);
  // The panel's raised frame takes its edge: the labels stand a little in
  // from it, and the buttons end short of it so Exit keeps its right border.
  PcTimeLbl = makeLabel(p, QStringLiteral("PcTimeLbl"), 120, 60);
  PcTimeNowLbl = makeLabel(p, QStringLiteral("PcTimeNowLbl"), 840, 360);
  MeterTimeLbl = makeLabel(p, QStringLiteral("MeterTimeLbl"), 120, 720);
  MeterTimeNowLbl = makeLabel(p, QStringLiteral("MeterTimeNowLbl"), 840, 1080);
  for (QLabel* l : {PcTimeNowLbl, MeterTimeNowLbl}) {
    QFont f = l->font();
    f.setPointSize(f.pointSize() + 2);
    f.setBold(true);
    l->setFont(f);
  }
  RTCSetBtn = makeButton(p, QStringLiteral("RTCSetBtn"), 2280, 1440, 1095, 735);
  ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 3480, 1440, 1095, 735);
  connect(RTCSetBtn, &QPushButton::clicked, this, &RTCFrm::RTCSetBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  maximise();
  ApplyRTCFrmText(*this);
}

void RTCFrm::RTCSetBtn_Click() {
  // The time of the last poll tick, as the label shows it.
  const auto clock = clockFromPcTimeLabel(PcTimeNowLbl->text().toStdString());
  if (!clock) {
    MsgBox::show(q(noPcTimeText()), MsgIcon::Critical);
    return;
  }
  writeSetting(EraseRule::Ignore, ResumeRule::AfterSend,
               [&] { return CmdWriteClock(State().line(), *clock); });
}

void RTCFrm::showMeterTime(const std::string& text) {
  setLabelText(MeterTimeNowLbl, q(text));
}

void RTCFrm::showPcTime(const std::string& text) {
  setLabelText(PcTimeNowLbl, q(text));
}

void ApplyRTCFrmText(RTCFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(q(t.TxtRTC));
  setLabelText(f.PcTimeLbl, q(t.TxtPCTime));
  setLabelText(f.MeterTimeLbl, q(t.TxtMeterTime));
  f.RTCSetBtn->setText(q(t.TxtSet));
  f.ExitBtn->setText(q(t.TxtExit));
}

}  // namespace vkz
