#include "polling/win/replydispatch.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>

#include "link/frames.h"
#include "link/parser.h"
#include "link/settingblocks.h"
#include "polling/acks.h"
#include "polling/pollstate.h"
#include "polling/readbacks.h"
#include "polling/replies.h"
#include "polling/win/download.h"
#include "polling/win/paneltimers.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/formregistry.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

namespace {

template <class T>
T* control(const char* window, const QString& name) {
  QWidget* w = FormRegistry::findByClassName(window);
  return w ? w->findChild<T*>(name) : nullptr;
}

QComboBox* oneSetList() {
  return control<QComboBox>("OneSetForm", QStringLiteral("SetCbx"));
}

// The one-value list under the regime "first item and stop": a position the
// list does not have shows its first item instead.
void setOneValue(std::optional<int> pos) {
  QComboBox* cbx = oneSetList();
  if (!cbx || !pos) return;
  if (setListPosition(cbx, *pos) != ListStatus::Ok) setListPosition(cbx, 0);
}

// Replies 0x01, 0x03, 0x06, 0x08, 0x09: only for the setting the one-value
// window edits, so a late reply never lands in another setting's list.
void oneValueReply(std::uint8_t code, Payload p) {
  const WindowFlags& f = State().flags;
  switch (code) {
    case 0x01:
      if (f.OneSetLcdContrast == -1) setOneValue(contrastListPosition(p));
      break;
    case 0x03:
      if (f.OneSetLcdAPO == -1) setOneValue(apoListPosition(p));
      break;
    case 0x06:
      if (f.OneSetPause == -1) setOneValue(onOffListPosition(p));
      break;
    case 0x08:
      if (f.OneSetAutoLockKeypad == -1) setOneValue(onOffListPosition(p));
      break;
    case 0x09:
      if (f.OneSetAutoScroll == -1) setOneValue(onOffListPosition(p));
      break;
    default:
      break;
  }
}

void calibrationReply(Payload p) {
  if (State().flags.OneSetCalibration != -1) return;
  const auto pos = calibrationListPosition(p);
  if (QComboBox* cbx = oneSetList(); cbx && pos) setListPosition(cbx, *pos);
}

void intervalReply(Payload p) {
  if (State().flags.OneSetIntervalTime != -1) return;
  const auto r = decodeInterval(p);
  if (!r) return;
  if (r->seconds) State().records.IntervalSeconds = *r->seconds;
  if (QComboBox* cbx = oneSetList(); cbx && r->position) setListPosition(cbx, *r->position);
}

void welcomeTextReply(Payload p) {
  if (State().flags.WelcomSetFrmOpen != -1) return;
  const auto lines = decodeWelcomeText(p);
  if (!lines) return;
  for (int k = 0; k < 3; ++k)
    if (auto* box = control<QLineEdit>("WelcomSetFrm", QStringLiteral("WelLineTxt_%1").arg(k)))
      box->setText(q((*lines)[static_cast<std::size_t>(k)]));
}

void meterNameReply(Payload p) {
  Panel* panel = ThePanel();
  if (!panel || panel->SNPic->isHidden()) return;
  if (const auto name = decodeMeterName(p)) panel->SNTxt->setText(q(*name));
}

void lunchTimeReply(Payload p) {
  if (State().flags.LunchTimeFrmOpen != -1) return;
  const auto r = decodeLunchTime(p);
  if (!r) return;
  LunchTimeBytes& rec = State().records.LunchTimeRecord;
  for (std::size_t i = 0; i < rec.size(); ++i) rec[i] = r->record[i];
  const std::pair<const char*, int> lists[] = {{"CbxEn", r->enable},
                                               {"CbxStartHour", r->startHour},
                                               {"CbxStartMinute", r->startMinute},
                                               {"CbxStopHour", r->stopHour},
                                               {"CbxStopMinute", r->stopMinute}};
  for (const auto& [name, pos] : lists)
    if (auto* cbx = control<QComboBox>("LunchTimeFrm", QString::fromLatin1(name))) setListPosition(cbx, pos);
}

void showSetResult(bool ok) {
  const UiText& t = State().texts;
  if (ok)
    MsgBox::show(q(t.TxtSetOK));
  else
    MsgBox::show(q(t.TxtSetFail), MsgIcon::Critical);
}

// Acknowledgement of a write (0x81 .. 0x91). A reply without its byte does
// not confirm the write: it counts as failed. The timer settings go over
// three frames, each sent when the meter took the one before.
void writeAckReply(std::uint8_t code, Payload p) {
  const bool ok = writeAcknowledged(code, p).value_or(false);
  const TimerSetting& timers = State().records.TimerRecord;
  switch (code) {
    case 0x8A:
      StopPanelTimers();
      if (ok)
        CmdWriteTimers2(State().line(), timers);
      else
        showSetResult(false);
      break;
    case 0x8B:
      if (ok)
        CmdWriteTimers3(State().line(), timers);
      else
        showSetResult(false);
      break;
    case 0x8C:
      showSetResult(ok);
      if (ok) {
        State().polling.WaitTicks = 0;
        State().polling.TimerSetPending = 0;
      }
      StartPanelTimers();
      break;
    default:
      showSetResult(ok);
      break;
  }
}

// Reply 0x55: the meter asks for a write again; it is built afresh from the
// record its window packed last.
void resendReply(Payload p) {
  const auto target = resendTarget(p);
  if (!target || *target == ResendWrite::None) return;
  const SettingsRecords& r = State().records;
  StopPanelTimers();
  switch (*target) {
    case ResendWrite::DoseSettings:
      CmdWriteDoseSettings(State().line(), r.DoseRecord);
      break;
    case ResendWrite::Screens:
      CmdWriteScreens(State().line(), r.ScreenRecord);
      break;
    case ResendWrite::LedAlarm:
      CmdWriteLedAlarm(State().line(), r.LedAlarmRecord);
      break;
    case ResendWrite::Timers1:
      CmdWriteTimers1(State().line(), r.TimerRecord);
      break;
    case ResendWrite::Timers2:
      CmdWriteTimers2(State().line(), r.TimerRecord);
      break;
    case ResendWrite::Timers3:
      CmdWriteTimers3(State().line(), r.TimerRecord);
      break;
    case ResendWrite::None:
      break;
  }
  StartPanelTimers();
}

// Reply 0x0B: the memory is erased. The openers refuse until the user has
// seen the message.
void erasedReply() {
  MsgBox::show(QStringLiteral("Clear OK !!!"));
  State().polling.MemoryErasing = 0;
}

}  // namespace

bool DispatchReply(const ReplyFrame& r) {
  const Payload p(r.ReplyData.data(), r.ReplyLength);
  switch (replyLayout(r.ReplyCode).kind) {
    case ReplyKind::LcdContrast:
    case ReplyKind::LcdApo:
    case ReplyKind::Pause:
    case ReplyKind::KeypadLock:
    case ReplyKind::AutoScroll:
      oneValueReply(r.ReplyCode, p);
      return true;
    case ReplyKind::Calibration:
      calibrationReply(p);
      return true;
    case ReplyKind::Interval:
      intervalReply(p);
      return true;
    case ReplyKind::WelcomeText:
      welcomeTextReply(p);
      return true;
    case ReplyKind::MeterName:
      meterNameReply(p);
      return true;
    case ReplyKind::LunchTime:
      lunchTimeReply(p);
      return true;
    case ReplyKind::WriteAck:
      writeAckReply(r.ReplyCode, p);
      return true;
    case ReplyKind::ResendRequest:
      resendReply(p);
      return true;
    case ReplyKind::MemoryErased:
      erasedReply();
      return true;
    case ReplyKind::MemoryListEntry:
      MemoryListEntryReply(r.ReplyCode, p);
      return true;
    case ReplyKind::MemoryListEnd:
      MemoryListEndReply(p);
      return true;
    case ReplyKind::RecordHeader:
      RecordHeaderReply(p);
      return true;
    case ReplyKind::DataBlock:
      DataBlockReply(p);
      return true;
    default:
      return false;
  }
}

}  // namespace vkz
