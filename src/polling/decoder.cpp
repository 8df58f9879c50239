// The reply decoder: every reply frame goes here once the identified model
// is a supported one. It copies the frame into CurReply and hands it on by
// its reply code: the settings read-backs into the setting windows and the
// meter clock (here), the write acknowledgements, re-send requests, erase
// reply and memory size to the waits they end (pollwaits.cpp), the memory
// list (memorylist.cpp), and the header and logged-data replies of a
// download (download.cpp). The identification reply's model text is taken
// before the decoder runs (receive.cpp).
#include "polling/pollloop.h"
#include "polling/readbacks.h"

namespace vkz {

void PollLoop::DeVKZ418SDData() {
  PortEntry* e = CurrentEntry(r_.link);
  if (!e) return;
  r_.link.CurReply = e->PortReply;
  const ReplyFrame& r = r_.link.CurReply;
  if (dispatchReply(r)) return;
  // A reply shorter than its layout is dropped whole, never decoded from
  // bytes an earlier frame left behind.
  if (!replyFitsLayout(r.ReplyCode, r.ReplyLength)) return;
  const Payload p(r.ReplyData.data(), r.ReplyLength);
  switch (const ReplyKind kind = replyLayout(r.ReplyCode).kind) {
    case ReplyKind::Clock:
      clockReply(p);
      break;
    case ReplyKind::MemorySize:
      memorySizeReply(p);
      break;
    case ReplyKind::DoseChannels:
    case ReplyKind::Screens:
    case ReplyKind::LedAlarm:
    case ReplyKind::Timers:
      settingWindowReply(kind, p);
      break;
    default:
      break;
  }
}

// The replies whose handling reads the payload itself (a write
// acknowledgement without its byte still counts, as a failed write); true
// when `r` was one of them.
bool PollLoop::dispatchReply(const ReplyFrame& r) {
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
      memoryListEntryReply(r.ReplyCode, p);
      return true;
    case ReplyKind::MemoryListEnd:
      memoryListEndReply(p);
      return true;
    case ReplyKind::RecordHeader:
      recordHeaderReply(p);
      return true;
    case ReplyKind::DataBlock:
      dataBlockReply(p);
      return true;
    default:
      return false;
  }
}

// ---- read-backs into the setting windows ----------------------------------------

namespace {
// The window a provider gives, or nullptr when none is installed.
template <class View>
View* windowOf(const std::function<View*()>& provider) {
  return provider ? provider() : nullptr;
}
}  // namespace

// The one-value list under the regime "first item and stop": a position the
// list does not have shows its first item instead.
void PollLoop::setOneValue(std::optional<int> pos) {
  OneValueView* v = windowOf(windows.readbacks.oneValue);
  if (!v || !pos) return;
  if (!v->showValue(*pos)) v->showValue(0);
}

// Replies 0x01, 0x03, 0x06, 0x08, 0x09: only for the setting the one-value
// window edits, so a late reply never lands in another setting's list.
void PollLoop::oneValueReply(std::uint8_t code, Payload p) {
  const WindowFlags& f = r_.flags;
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

void PollLoop::calibrationReply(Payload p) {
  if (r_.flags.OneSetCalibration != -1) return;
  const auto pos = calibrationListPosition(p);
  if (OneValueView* v = windowOf(windows.readbacks.oneValue); v && pos) v->showValue(*pos);
}

void PollLoop::intervalReply(Payload p) {
  if (r_.flags.OneSetIntervalTime != -1) return;
  const auto r = decodeInterval(p);
  if (!r) return;
  if (r->seconds) r_.records.IntervalSeconds = *r->seconds;
  if (OneValueView* v = windowOf(windows.readbacks.oneValue); v && r->position) v->showValue(*r->position);
}

void PollLoop::welcomeTextReply(Payload p) {
  if (r_.flags.WelcomSetFrmOpen != -1) return;
  const auto lines = decodeWelcomeText(p);
  if (!lines) return;
  if (WelcomeTextView* v = windowOf(windows.readbacks.welcomeText)) v->showWelcomeText(*lines);
}

void PollLoop::meterNameReply(Payload p) {
  MeterNameView* v = windowOf(windows.readbacks.meterName);
  if (!v || !v->meterNameShown()) return;
  if (const auto name = decodeMeterName(p)) v->showMeterName(*name);
}

void PollLoop::lunchTimeReply(Payload p) {
  if (r_.flags.LunchTimeFrmOpen != -1) return;
  const auto r = decodeLunchTime(p);
  if (!r) return;
  LunchTimeBytes& rec = r_.records.LunchTimeRecord;
  for (std::size_t i = 0; i < rec.size(); ++i) rec[i] = r->record[i];
  if (LunchTimeView* v = windowOf(windows.readbacks.lunchTime)) v->showLunchTime(*r);
}

// Reply 0x02: the meter clock is kept whether or not the clock window is
// open; the window shows it while it is.
void PollLoop::clockReply(Payload p) {
  const auto c = decodeClock(p);
  if (!c) return;
  MeterClock& m = r_.LastMeterClock;
  if (c->year) m.ClockYear = *c->year;
  m.ClockMonth = c->month;
  m.ClockDay = c->day;
  m.ClockHour = c->hour;
  m.ClockMinute = c->minute;
  m.ClockSecond = c->second;
  if (r_.flags.RTCFrmOpen != -1) return;
  if (ClockView* v = windowOf(windows.readbacks.clock))
    if (auto text = clockLabelText(*c)) v->showMeterTime(*text);
}

// Replies 0x04, 0x05 and 0x07 reach their window whether or not it is open
// (its provider loads it); reply 0x0A only while the timer window is open.
void PollLoop::settingWindowReply(ReplyKind kind, Payload p) {
  const ReadbackWindows& w = windows.readbacks;
  switch (kind) {
    case ReplyKind::DoseChannels:
      if (const auto r = decodeDoseChannels(p))
        if (DoseView* v = windowOf(w.dose)) v->showDoseChannels(*r);
      break;
    case ReplyKind::Screens:
      if (const auto r = decodeScreens(p))
        if (ScreenView* v = windowOf(w.screens)) v->showScreens(*r);
      break;
    case ReplyKind::LedAlarm:
      if (const auto r = decodeLedAlarm(p))
        if (LedAlarmView* v = windowOf(w.ledAlarm)) v->showLedAlarm(*r);
      break;
    case ReplyKind::Timers:
      if (r_.flags.TimerFrmOpen != -1) break;
      if (const auto r = decodeTimers(p))
        if (TimerView* v = windowOf(w.timers)) v->showTimers(*r);
      break;
    default:
      break;
  }
}

}  // namespace vkz
