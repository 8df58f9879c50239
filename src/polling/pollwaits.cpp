// The exchanges the poll engine awaits, each with its wait: the table of
// waits (what starts each, its bound in receive ticks, what ends it, what it
// says when it runs out), their counting on the receive tick and the next
// wake-up they need, both read from that table; the requests that start
// them, and the acknowledgements, re-send requests and replies that end or
// restart them. The memory list's own steps are in memorylist.cpp.
#include "link/frames.h"
#include "polling/acks.h"
#include "polling/memlist.h"
#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {

// Every wait, in the order a receive tick counts it. Ticks are counted from
// the wait's start, the first receive tick after it being tick 1.
//
//   memory list    started by the list requests (the Memory action, a walk
//                  asked again, each entry reply); ended by the end of the
//                  list, by the panel found closed at an ask, or by running
//                  out ("Get Memory Information TimeOut Error !!!", or the
//                  list's gaps). It asks for the next entry again at the
//                  old wait counter's counts 0, 10, ... 100, ticks 1, 11,
//                  ... 101, and runs out when that count passes 200.
//   timer write    started by writeTimers(); ended by the last frame's
//                  acknowledgement or a refusal; a re-send request for one
//                  of its frames starts it again (resendReply). It runs out
//                  at 300 ticks ("Set Timer Setting TimeOut !!!") and
//                  resumes polling. It counts on the memory list's count
//                  (the meter's one wait counter of old), which waits
//                  meanwhile.
//   erase          started by eraseMemory(); ended by the erase reply; runs
//                  out at kEraseWaitTicks (eraseTimeOutText()).
//   setting write  started by writeAwaited(); ended by an acknowledgement; a
//                  re-send request for a single write starts it again
//                  (resendReply). Runs out at kSettingWaitTicks
//                  (settingNotConfirmedText()).
//   memory size    started by askMemorySize(); ended by the size reply;
//                  counted only once the memory list has ended: asked again
//                  at ticks 10, 20, ... 100, runs out at 201
//                  (memorySizeMissingText()).
constexpr std::array<PollLoop::WaitDef, kWaitKinds> PollLoop::kWaits{{
    {WaitKind::MemoryList,
     "memory list: no entry in time",
     {kListWaitTicks + 2, 1, kListAskEvery, kListAskUntil + 1},
     WaitKind::TimerWrite,
     WaitKind::MemoryList,
     &PollLoop::askListAgain,
     &PollLoop::listRanOutText,
     true},
    {WaitKind::TimerWrite,
     "timer settings write: no acknowledgement in time",
     {kTimerWaitTicks},
     std::nullopt,
     WaitKind::MemoryList,
     nullptr,
     &PollLoop::timerRanOutText,
     true},
    {WaitKind::Erase,
     "memory erase: no end reported in time",
     {kEraseWaitTicks},
     std::nullopt,
     WaitKind::Erase,
     nullptr,
     &PollLoop::eraseRanOutText,
     false},
    {WaitKind::SettingWrite,
     "setting write: no acknowledgement in time",
     {kSettingWaitTicks},
     std::nullopt,
     WaitKind::SettingWrite,
     nullptr,
     &PollLoop::settingRanOutText,
     false},
    {WaitKind::MemorySize,
     "memory size: no reply in time",
     {kListWaitTicks + 1, kListAskEvery, kListAskEvery, kListAskUntil},
     WaitKind::MemoryList,
     WaitKind::MemorySize,
     &PollLoop::askSizeAgain,
     &PollLoop::sizeRanOutText,
     false},
}};

// ---- counting --------------------------------------------------------------------

void PollLoop::startWait(WaitKind k) {
  waits_[waitIndex(k)].pending = true;
  rewindWait(k);
}

void PollLoop::rewindWait(WaitKind k) {
  // A wait is found in the table by its kind.
  static_assert([] {
    for (std::size_t i = 0; i < kWaitKinds; ++i)
      if (waitIndex(kWaits[i].kind) != i) return false;
    return true;
  }());
  waitTicks(kWaits[waitIndex(k)]) = 0;
}

void PollLoop::endWait(WaitKind k) {
  waits_[waitIndex(k)].pending = false;
  rewindWait(k);
}

bool PollLoop::waitCounted(const WaitDef& w) const {
  return waitPending(w.kind) && !(w.yieldsTo && waitPending(*w.yieldsTo));
}

void PollLoop::countWaits() {
  for (const WaitDef& w : kWaits) {
    if (!waitCounted(w)) continue;
    const std::int32_t n = ++waitTicks(w);
    if (w.rule.runsOutAt(n))
      waitRanOut(w);
    else if (w.ask && w.rule.asksAt(n))
      (this->*w.ask)();
  }
}

// The wait ends with its message; the message comes first, so nothing the
// wait holds back (paused polling) runs while the user reads it.
void PollLoop::waitRanOut(const WaitDef& w) {
  logPoll(LogLevel::Warning, [&] { return std::string(w.ranOut); });
  message((this->*w.says)(), MessageIcon::Critical);
  endWait(w.kind);
  if (w.resumes) StartPanelTimers();
}

std::int64_t PollLoop::nextWaitTick() const {
  std::int64_t need = -1;
  const auto consider = [&](std::int64_t t) {
    if (need < 0 || t < need) need = t;
  };
  for (const WaitDef& w : kWaits)
    if (waitCounted(w)) consider(ticksDone_ + w.rule.ticksToNext(waitTicks(w)));
  return need;
}

std::string PollLoop::timerRanOutText() const {
  return r_.texts.TxtSetTimerSettingTimeOut;
}

// ---- the exchanges ---------------------------------------------------------------

PortResult PollLoop::writeTimers(const TimerSetting& timers) {
  StopPanelTimers();
  r_.records.TimerRecord = timers;
  startWait(WaitKind::TimerWrite);
  const PortResult sent = CmdWriteTimers1(line(), r_.records.TimerRecord);
  // Nothing to acknowledge: no wait, polling runs again.
  if (!sent) endTimerWait();
  return sent;
}

void PollLoop::endTimerWait() {
  endWait(WaitKind::TimerWrite);
  StartPanelTimers();
}

PortResult PollLoop::writeAwaited(const std::function<PortResult()>& send) {
  startWait(WaitKind::SettingWrite);
  const PortResult sent = send();
  if (!sent) endWait(WaitKind::SettingWrite);
  return sent;
}

PortResult PollLoop::eraseMemory() {
  startWait(WaitKind::Erase);
  const PortResult sent = CmdClearMemory(line());
  if (!sent) endWait(WaitKind::Erase);
  return sent;
}

PortResult PollLoop::askMemorySize() {
  StopPanelTimers();
  startWait(WaitKind::MemorySize);
  const PortResult sent = CmdReadMemorySize(line());
  if (!sent) {
    endWait(WaitKind::MemorySize);
    StartPanelTimers();
  }
  return sent;
}

// The memory size still missing once the list has ended.
void PollLoop::askSizeAgain() {
  logPoll(LogLevel::Info, [&] {
    return "memory size asked again at wait tick " +
           std::to_string(waitTicks(kWaits[waitIndex(WaitKind::MemorySize)]));
  });
  logUnsent(CmdReadMemorySize(line()), "memory size request");
}

// ---- the replies that end them ----------------------------------------------------

void PollLoop::showSetResult(bool ok) {
  if (ok)
    message(r_.texts.TxtSetOK, MessageIcon::None);
  else
    message(r_.texts.TxtSetFail, MessageIcon::Critical);
}

// Acknowledgement of a write (0x81 .. 0x91). A reply without its byte does
// not confirm the write: it counts as failed. The timer settings go over
// three frames, each sent when the meter took the one before.
void PollLoop::writeAckReply(std::uint8_t code, Payload p) {
  bool ok = writeAcknowledged(code, p).value_or(false);
  if (code == 0x8A || code == 0x8B) {
    // The first frame taken: the second follows, else the third.
    const bool second = code == 0x8A;
    if (second) StopPanelTimers();
    if (ok) {
      const TimerSetting& timers = r_.records.TimerRecord;
      const PortResult sent = second ? CmdWriteTimers2(line(), timers) : CmdWriteTimers3(line(), timers);
      logUnsent(sent, second ? "timer settings frame 2" : "timer settings frame 3");
      ok = sent.ok();
    }
    // A frame the meter refused (or the next one not sent) ends the write
    // at once: one message, the wait over, polling back.
    if (!ok) {
      showSetResult(false);
      endTimerWait();
    }
    return;
  }
  showSetResult(ok);
  if (code == 0x8C)
    endTimerWait();
  else
    endWait(WaitKind::SettingWrite);
}

// Reply 0x55: the meter asks for a write again; it is built afresh from the
// record its window packed last.
void PollLoop::resendReply(Payload p) {
  const auto target = resendTarget(p);
  if (!target || *target == ResendWrite::None) return;
  logPoll(LogLevel::Info,
          [&] { return "the meter asks for write request 0x" + hexBytes(p.first(1)) + " again"; });
  const SettingsRecords& r = r_.records;
  StopPanelTimers();
  // The write's wait starts again with the request that goes out now: a
  // meter that asked for it answers the new request, in its own time.
  const bool timerFrame =
      *target == ResendWrite::Timers1 || *target == ResendWrite::Timers2 || *target == ResendWrite::Timers3;
  const WaitKind wait = timerFrame ? WaitKind::TimerWrite : WaitKind::SettingWrite;
  if (waitPending(wait)) startWait(wait);
  switch (*target) {
    case ResendWrite::DoseSettings:
      logUnsent(CmdWriteDoseSettings(line(), r.DoseRecord), "dose settings re-send");
      break;
    case ResendWrite::Screens:
      logUnsent(CmdWriteScreens(line(), r.ScreenRecord), "screen settings re-send");
      break;
    case ResendWrite::LedAlarm:
      logUnsent(CmdWriteLedAlarm(line(), r.LedAlarmRecord), "LED alarm settings re-send");
      break;
    case ResendWrite::Timers1:
      logUnsent(CmdWriteTimers1(line(), r.TimerRecord), "timer settings frame 1 re-send");
      break;
    case ResendWrite::Timers2:
      logUnsent(CmdWriteTimers2(line(), r.TimerRecord), "timer settings frame 2 re-send");
      break;
    case ResendWrite::Timers3:
      logUnsent(CmdWriteTimers3(line(), r.TimerRecord), "timer settings frame 3 re-send");
      break;
    case ResendWrite::None:
      break;
  }
  StartPanelTimers();
}

// Reply 0x0B: the memory is erased. The openers refuse until the user has
// seen the message.
void PollLoop::erasedReply() {
  message("Clear OK !!!", MessageIcon::None);
  endWait(WaitKind::Erase);
}

// Reply 0x0F: a size that does not fit keeps the value (and the label) it
// had.
void PollLoop::memorySizeReply(Payload p) {
  const auto s = decodeMemorySize(p);
  if (!s) return;
  endWait(WaitKind::MemorySize);
  ShellState& sh = r_.shell;
  if (s->total) sh.MemTotalSize = *s->total;
  if (s->remain) sh.MemRemainSize = *s->remain;
  if (PollView* v = view()) v->showMemorySize(sh.MemTotalSize, sh.MemRemainSize);
}

}  // namespace vkz
