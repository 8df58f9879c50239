// The poll tick (Timer1, 200 ms): the status bar, the clock and model
// requests, the identification of a supported meter, the relink of a port
// whose device came back and the download's re-send step. And the receive
// tick (16 ms): the waits, the block wait and the link watchdog.
#include <algorithm>
#include <cstdio>

#include "base/handlerstep.h"
#include "link/frames.h"
#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {
namespace {

// The status bar's clock: "2018 / 05 / 23   08:05:56".
std::string statusClockText(const DateTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d / %02d / %02d   %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

}  // namespace

// ---- the poll tick -----------------------------------------------------------------

void PollLoop::tick1() {
  if (inPoll_) return;
  inPoll_ = true;
  PollingState& ps = r_.polling;
  const DateTime now = clock_();
  step([&] { show(4, statusClockText(now)); });
  step([&] { show(1, ps.MeterModel); });
  step([&] { relinkLostPort(); });
  step([&] {
    PortEntry* e = CurrentEntry(r_.link);
    show(3, "COM  " + std::to_string(e ? e->PortNo : 0));
  });
  step([&] {
    if (r_.flags.RTCFrmOpen != -1) return;
    if (ClockView* c = windows.readbacks.clock ? windows.readbacks.clock() : nullptr)
      c->showPcTime(dateTimeText(now.year, now.month, now.day, now.hour, now.minute, now.second));
    const ComPortAPI::QuietWrites quiet(r_.PortApi);
    logUnsent(CmdReadClock(line()), "clock request");
  });
  bool open = false;
  step([&] {
    PortEntry* e = CurrentEntry(r_.link);
    if (!e) return;
    e->PortIsOpen = e->PortNo == 0 ? 0 : r_.PortApi.IsOpen(e->PortNo);
    open = e->PortIsOpen == -1;
  });
  step([&] { watchCurrentPort(); });
  if (open) {
    step([&] {
      // Nothing awaits the answer during the write: the event loop rests.
      const ComPortAPI::QuietWrites quiet(r_.PortApi);
      logUnsent(CmdReadModel(line()), "model request");
    });
    step([&] {
      if (PollView* v = view()) v->enableMeterActions();
    });
    step([&] {
      if (PortEntry* e = CurrentEntry(r_.link)) identify(*e);
    });
  }
  step([&] { downloadPollTick(); });
  inPoll_ = false;
  // A wait started or a flag set since the last wake-up is seen here at
  // the latest.
  schedule();
}

// A supported meter is listed at the fourth poll tick in a row that sees
// the same model text, once per port entry.
void PollLoop::identify(PortEntry& e) {
  const std::string& model = r_.polling.MeterModel;
  if (e.MeterListed == -1) {
    identTicks_ = 0;
  } else {
    if (model != lastTickModel_)
      identTicks_ = 0;
    else if (identTicks_ < 32767)
      ++identTicks_;
    if (identTicks_ > 2) {
      const std::string port = std::to_string(e.PortNo);
      if (model == "VKZ 418") {
        if (PollView* v = view()) v->addDetectedMeter("VKZ-418:" + port, 1, r_.link.CurPort);
        e.MeterListed = -1;
      } else if (model == "KRD 529") {
        if (PollView* v = view()) v->addDetectedMeter("KRD 529:" + port, 2, r_.link.CurPort);
        e.MeterListed = -1;
      }
    }
  }
  lastTickModel_ = model;
}

// ---- the receive tick ------------------------------------------------------------

// One receive tick: every wait and time-out the engine counts and the
// link watchdog. The program runs it for every receive tick that has
// passed on the monotonic clock (advance()).
void PollLoop::receiveTick() {
  countWaits();
  watchdog();
}

// Link watchdog: two bytes in the buffer, or two bytes received since the
// last tick (replies cut as they arrived), count as a live line.
//
// While the program holds polling paused (PollPause) the meter is not asked
// anything, so its silence is not counted: the link is judged again when
// polling resumes. A pause of an exchange whose answer never came is still
// ended by the watchdog, which resumes polling once the link is lost.
void PollLoop::watchdog() {
  const long long seen = bytesSeen();
  bytesSinceTick_ = 0;
  const bool wasLost = linkLost_;
  if (seen >= 2) {
    idleTicks_ = 0;
    linkLost_ = false;
  } else if (programPauses_ == 0) {
    if (idleTicks_ < 32767) ++idleTicks_;
    if (idleTicks_ > kLinkIdleTicks) linkLost_ = true;
  }
  if (linkLost_ != wasLost)
    logPoll(LogLevel::Info,
            [&] { return linkLost_ ? std::string("link lost: no data in 101 receive ticks") : "link back"; });
  showLink();
  if (linkLost_ && !erasePending() && !running_ && programPauses_ == 0) StartPanelTimers();
}

// The bytes the watchdog sees at a tick: in the buffer, or received since
// the last tick (a byte that arrived this tick is in both counts, so the
// larger one is taken). None from a port closed because its device has
// gone: the bytes it left are no live line.
long long PollLoop::bytesSeen() const {
  if (awaitingLostPort()) return 0;
  const PortEntry* e = CurrentEntry(r_.link);
  return std::max(e ? static_cast<long long>(e->RxBuf.size()) : 0LL, bytesSinceTick_);
}

void PollLoop::showLink() {
  if (!linkLost_)
    show(2, r_.texts.TxtConnection);
  else if (erasePending())
    show(2, r_.texts.TxtErasing);
  else
    show(2, r_.texts.TxtDisconnection);
}

// The next receive tick at which the watchdog changes what it shows or
// resumes polling, -1 for none.
std::int64_t PollLoop::nextWatchdogTick() const {
  const std::int64_t next = ticksDone_ + 1;
  // Two bytes buffered keep the line live for as long as they stay; bytes
  // read since the last tick count at the next one.
  const PortEntry* e = CurrentEntry(r_.link);
  const bool buffered = !awaitingLostPort() && e && e->RxBuf.size() >= 2;
  if (buffered || bytesSeen() >= 2) {
    if (linkLost_) return next;  // "Connection" again
    return buffered ? -1 : next + kLinkIdleTicks + 1;
  }
  // A pause the program holds counts no silence.
  if (programPauses_ > 0) return -1;
  if (!linkLost_) return ticksDone_ + std::max<std::int64_t>(1, kLinkIdleTicks + 1 - idleTicks_);
  return running_ ? -1 : next;  // the watchdog resumes paused polling
}

}  // namespace vkz
