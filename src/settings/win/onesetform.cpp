#include "settings/win/onesetform.h"

#include <QComboBox>
#include <QFrame>
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

// Sends `value` with the write request of setting `s`.
PortResult sendOneValue(OneSetting s, std::int32_t value) {
  const MeterLine line = State().line();
  switch (s) {
    case OneSetting::AutoLockKeypad:
      return CmdWriteKeypadLock(line, value);
    case OneSetting::AutoScroll:
      return CmdWriteAutoScroll(line, value);
    case OneSetting::LcdAPO:
      return CmdWriteLcdApo(line, value);
    case OneSetting::LcdContrast:
      return CmdWriteLcdContrast(line, value);
    case OneSetting::Pause:
      return CmdWritePause(line, value);
    case OneSetting::Calibration:
      return CmdWriteCalibration(line, value);
    case OneSetting::IntervalTime:
      break;
  }
  State().records.IntervalSeconds = value;
  return CmdWriteIntervalTime(line, State().records.IntervalSeconds);
}

}  // namespace

OneSetForm::OneSetForm() : SettingWindow(nullptr, 5100, 1875) {
  setObjectName(QStringLiteral("OneSetForm"));
  maximise();
  QFrame* p = makePanel("SSPanel1", 4875, 1215);
  SetCbx = makePickList(p, QStringLiteral("SetCbx"), 360, 420, 2655, 315);
  SetBtn = makeButton(p, QStringLiteral("SetBtn"), 3360, 360, 1215, 435);
  connect(SetBtn, &QPushButton::clicked, this, &OneSetForm::SetBtn_Click);
  ApplyOneSetFormText(*this);
  clearList(SetCbx);
  const UiText& t = State().texts;
  if (const auto s = oneSettingOf(State().flags)) {
    setWindowTitle(q(oneSetCaption(*s, t)));
    fillList(SetCbx, itemList(oneSetItems(*s, t)));
  }
  setListPosition(SetCbx, 0);  // nothing to select with no selector set
}

void OneSetForm::Form_Unload() {
  SettingWindow::Form_Unload();
  State().flags.clearOneSetSelectors();
}

bool OneSetForm::showValue(int position) {
  return setListPosition(SetCbx, position) == ListStatus::Ok;
}

void OneSetForm::SetBtn_Click() {
  // No setting chosen: nothing to write, nothing awaited (an erase still
  // refuses first).
  const auto s = oneSettingOf(State().flags);
  if (!s) {
    refuseWhileErasing();
    return;
  }
  writeSetting(EraseRule::Refuse, ResumeRule::AfterSend, [&] {
    const SetOutcome<std::int32_t> out = oneSet(*s, listPosition(SetCbx), State().texts, false);
    if (!out.record) return PortResult{PortStatus::BadValue, ""};
    return sendOneValue(*s, *out.record);
  });
}

void ApplyOneSetFormText(OneSetForm& f) {
  f.SetBtn->setText(q(State().texts.TxtSet));
}

}  // namespace vkz
