#include "settings/win/ledalarmfrm.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/frames.h"
#include "settings/win/itemlist.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

namespace {
const char* const kQuantityLabels[kAlarmQuantities] = {"LasLbl",   "LaeqLb",   "LcpkLb",   "LzpkLb",
                                                       "LavgLbl",  "TwaLbl",   "PtwaLbl",  "LepdLbl",
                                                       "PLepdLbl", "Lex8hLbl", "Plex8hLbl"};
}  // namespace

LEDAlarmFrm::LEDAlarmFrm() : SettingWindow(&State().flags.LEDAlarmFrmOpen, 6135, 7290) {
  setObjectName(QStringLiteral("LEDAlarmFrm"));
  maximise();
  QFrame* p = makePanel("SSPanel1", 5895, 6615);
  EnabledLbl = makeLabel(p, QStringLiteral("EnabledLbl"), 360, 300);
  EnabledCbx = makePickList(p, QStringLiteral("EnabledCbx"), 1800, 240, 1215, 315);
  LowerLimitLbl = makeLabel(p, QStringLiteral("LowerLimitLbl"), 1800, 780);
  UpperLimitLbl = makeLabel(p, QStringLiteral("UpperLimitLbl"), 3120, 780);
  for (int i = 0; i < kAlarmQuantities; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const int top = 1140 + 420 * i;
    QuantityLbl[k] = makeLabel(p, QString::fromLatin1(kQuantityLabels[k]), 360, top + 60);
    LowerTxt[k] = makeNumberBox(p, QStringLiteral("LowerTxt_%1").arg(i), 3, 1800, top, 855, 315);
    UpperTxt[k] = makeNumberBox(p, QStringLiteral("UpperTxt_%1").arg(i), 3, 3120, top, 855, 315);
    LowerTxt[k]->setText(QStringLiteral("80"));
    UpperTxt[k]->setText(QStringLiteral("120"));
  }
  LEDAlarmBtn = makeButton(p, QStringLiteral("LEDAlarmBtn"), 4440, 4440, 1215, 555);
  ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 4440, 5160, 1215, 555);
  LEDAlarmBtn->setText(QStringLiteral("Set"));
  ExitBtn->setText(QStringLiteral("Exit"));
  connect(LEDAlarmBtn, &QPushButton::clicked, this, &LEDAlarmFrm::LEDAlarmBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  ApplyLEDAlarmFrmText(*this);
  fillList(EnabledCbx, itemList(ledAlarmEnableItems(State().texts)));
}

std::string LEDAlarmFrm::alarmname(int index) const {
  return vkz::alarmname(index, State().texts);
}

LedAlarmModel LEDAlarmFrm::entries() const {
  LedAlarmModel m;
  m.enable = listPosition(EnabledCbx);
  for (std::size_t k = 0; k < kAlarmQuantities; ++k) {
    m.lower[k] = LowerTxt[k]->text().toStdString();
    m.upper[k] = UpperTxt[k]->text().toStdString();
  }
  return m;
}

void LEDAlarmFrm::showLedAlarm(const LedAlarmReadback& alarm) {
  LedAlarmModel m = entries();
  m.apply(alarm);
  for (std::size_t k = 0; k < kAlarmQuantities; ++k) {
    UpperTxt[k]->setText(q(m.upper[k]));
    LowerTxt[k]->setText(q(m.lower[k]));
  }
  setListPosition(EnabledCbx, m.enable);
}

void LEDAlarmFrm::LEDAlarmBtn_Click() {
  if (refuseWhileErasing()) return;
  const SetOutcome<LedAlarmSetting> out = ledAlarmSet(entries(), State().texts, false);
  if (!out.record) {
    MsgBox::show(q(out.refusal), MsgIcon::Critical);
    return;
  }
  writeSetting(EraseRule::Refuse, ResumeRule::AfterSend, [&] {
    State().records.LedAlarmRecord = *out.record;
    return CmdWriteLedAlarm(State().line(), State().records.LedAlarmRecord);
  });
}

void ApplyLEDAlarmFrmText(LEDAlarmFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(q(t.TxtLEDAlarm));
  setLabelText(f.EnabledLbl, q(t.TxtEnabled));
  setLabelText(f.LowerLimitLbl, q(t.TxtLowerLimit));
  setLabelText(f.UpperLimitLbl, q(t.TxtUpperLimit));
  for (int i = 0; i < kAlarmQuantities; ++i)
    setLabelText(f.QuantityLbl[static_cast<std::size_t>(i)], q(alarmname(i, t)));
}

}  // namespace vkz
