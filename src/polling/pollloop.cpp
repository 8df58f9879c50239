// The polling loop: the poll tick, the receive tick, the receive step on
// arriving bytes, and the pause and resume of polling.
#include "polling/pollloop.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/handlerstep.h"
#include "link/frames.h"
#include "polling/memlist.h"
#include "polling/polllog.h"

namespace vkz {
namespace {

DateTime localTime() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// The status bar's clock: "2018 / 05 / 23   08:05:56".
std::string statusClockText(const DateTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d / %02d / %02d   %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

}  // namespace

PollLoop::PollLoop(PollRecords records) : r_(records), clock_(localTime) {}

void PollLoop::reset() {
  windows = PollWindows{};
  clock_ = localTime;
  running_ = true;
  inPoll_ = inReceive_ = receiveAgain_ = false;
  arrivalsMeanwhile_ = 0;
  bytesSinceTick_ = 0;
  watchedHandle_ = failedHandle_ = -1;
  watchOn_ = false;
  IdentTicks = 0;
  LastTickModel.clear();
  mono_ = nullptr;
  ticksDone_ = 0;
  readDue_.reset();
  bytesRead_ = 0;
  readAtPlan_ = -1;
  progressShownAt_.reset();
  rowsShownAt_.reset();
  progressHeld_.reset();
  rowsHeld_.clear();
}

void PollLoop::setClock(std::function<DateTime()> clock) {
  clock_ = clock ? std::move(clock) : localTime;
}

void PollLoop::show(int panel, const std::string& text) {
  if (PollView* v = view()) v->setStatusText(panel, text);
}

void PollLoop::message(const std::string& text, MessageIcon icon) {
  if (PollView* v = view()) v->showMessage(text, icon);
}

// ---- pause and resume --------------------------------------------------------

void PollLoop::StopPanelTimers() {
  if (running_) logPoll(LogLevel::Info, [] { return "polling paused"; });
  // The receive ticks up to now ran while polling did; a wait that the
  // caller starts next counts from here.
  advance();
  running_ = false;
  if (PollView* v = view()) v->pollingSwitched(false);
  schedule();
}

void PollLoop::StartPanelTimers() {
  if (!running_) logPoll(LogLevel::Info, [] { return "polling resumed"; });
  running_ = true;
  if (PollView* v = view()) v->pollingSwitched(true);
  schedule();
}

// ---- the read notifier's port --------------------------------------------------

void PollLoop::setWatch(int handle, bool enabled) {
  watchedHandle_ = handle;
  watchOn_ = handle >= 0 && enabled;
  if (PollView* v = view()) v->watchPort(handle, watchOn_);
}

void PollLoop::watchCurrentPort() {
  int fd = -1;
  if (PortEntry* e = CurrentEntry(r_.link)) fd = r_.PortApi.NativeHandle(e->PortNo);
  if (fd == failedHandle_) fd = -1;
  if (fd == watchedHandle_) return;
  setWatch(fd, true);
}

// ---- the poll tick -----------------------------------------------------------------

void PollLoop::tick1() {
  if (inPoll_) return;
  inPoll_ = true;
  PollingState& ps = r_.polling;
  const DateTime now = clock_();
  step([&] { show(4, statusClockText(now)); });
  step([&] { show(1, ps.MeterModel); });
  step([&] {
    PortEntry* e = CurrentEntry(r_.link);
    show(3, "COM  " + std::to_string(e ? e->PortNo : 0));
  });
  step([&] {
    if (r_.flags.RTCFrmOpen != -1) return;
    if (ClockView* c = windows.readbacks.clock ? windows.readbacks.clock() : nullptr)
      c->showPcTime(dateTimeText(now.year, now.month, now.day, now.hour, now.minute, now.second));
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
    step([&] { logUnsent(CmdReadModel(line()), "model request"); });
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
    IdentTicks = 0;
  } else {
    if (model != LastTickModel)
      IdentTicks = 0;
    else if (IdentTicks < 32767)
      ++IdentTicks;
    if (IdentTicks > 2) {
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
  LastTickModel = model;
}

// ---- the receive tick ------------------------------------------------------------

void PollLoop::tick3() {
  // A receive tick that comes while frames are being decoded (the decoder
  // turns the event loop) waits for the next one.
  if (inReceive_) return;
  inReceive_ = true;
  arrivalsMeanwhile_ = 0;
  try {
    PortEntry* e = CurrentEntry(r_.link);
    if (e) {
      const std::size_t before = e->RxBuf.size();
      if (ReadCurrentPort(line()) > 0) {
        // A device answers on this descriptor again (the port was linked
        // anew, likely under the number of the one that had gone): the next
        // poll tick watches it (the same holds for a read on arrival).
        failedHandle_ = -1;
        if (CurrentEntry(r_.link) == e && e->RxBuf.size() > before)
          bytesSinceTick_ += static_cast<long long>(e->RxBuf.size() - before);
      }
    }
    countWaits();
    countBlockWait();
    countEraseWait();
    watchdog();
    if (ParseCurrentPort(r_.link) == 1) handleFrame();
  } catch (...) {
    logCaught(LogArea::Poll);
    StartPanelTimers();
  }
  inReceive_ = false;
  // Bytes that arrived while this tick decoded a frame (the decoder turns
  // the event loop) are taken now; this also wakes the read notifier again.
  if (receiveAgain_) bytesArrived();
  schedule();
}

// The timer-write wait or the memory-list wait (one counter for both).
void PollLoop::countWaits() {
  PollingState& ps = r_.polling;
  if (ps.TimerSetPending == -1) {
    ++ps.WaitTicks;
    if (ps.WaitTicks >= 300) {
      logPoll(LogLevel::Warning,
              [] { return "timer settings write: no acknowledgement in 300 receive ticks"; });
      message(r_.texts.TxtSetTimerSettingTimeOut, MessageIcon::Critical);
      ps.WaitTicks = 0;
      ps.TimerSetPending = 0;
    }
  } else if (ps.MemInfoPending == -1) {
    const std::int32_t c = ps.WaitTicks;
    if (c % 10 == 0 && c <= 100) {
      if (r_.flags.MemoryPanelShown == -1) {
        logPoll(LogLevel::Info,
                [&] { return "memory list entry asked again at wait tick " + std::to_string(c); });
        // still awaited: MemInfoPending stays set
        logUnsent(CmdReadMemoryListNext(line()), "memory list request");
      } else {
        ps.MemInfoPending = 0;
        StartPanelTimers();
      }
    } else if (c > 200) {
      logPoll(LogLevel::Warning, [] { return "memory list: no entry in 200 receive ticks"; });
      ps.WaitTicks = 0;
      // Entries that came tell which ones did not: a list with gaps says so.
      const DownloadState& d = r_.download;
      const std::vector<int> missing = missingListEntries(d.listed, d.listCount);
      if (missing.empty())
        message(r_.texts.TxtGetMemoryInformationTimeOutError, MessageIcon::Critical);
      else
        reportIncompleteList(missing);
      ps.MemInfoPending = 0;
      StartPanelTimers();
    }
    ++ps.WaitTicks;
  }
}

// The erase wait: an erase whose reply never comes would otherwise refuse
// every setting and download for the rest of the run.
void PollLoop::countEraseWait() {
  PollingState& ps = r_.polling;
  if (ps.MemoryErasing != -1) return;
  if (++ps.EraseTicks < kEraseWaitTicks) return;
  message(kEraseTimeOutText, MessageIcon::Critical);
  ps.EraseTicks = 0;
  ps.MemoryErasing = 0;
}

// Link watchdog: two bytes in the buffer, or two bytes received since the
// last tick (replies cut as they arrived), count as a live line. A byte
// that arrived this tick is in both counts, so the larger one is taken.
void PollLoop::watchdog() {
  PollingState& ps = r_.polling;
  const PortEntry* e = CurrentEntry(r_.link);
  const long long seen = std::max(e ? static_cast<long long>(e->RxBuf.size()) : 0LL, bytesSinceTick_);
  bytesSinceTick_ = 0;
  const auto wasLost = ps.LinkLost;
  if (seen >= 2) {
    ps.IdleTicks = 0;
    ps.LinkLost = 0;
  } else {
    if (ps.IdleTicks < 32767) ++ps.IdleTicks;
    if (ps.IdleTicks > 100) ps.LinkLost = -1;
  }
  if (ps.LinkLost != wasLost)
    logPoll(LogLevel::Info, [&] {
      return ps.LinkLost == -1 ? std::string("link lost: 101 receive ticks without data") : "link back";
    });
  if (ps.LinkLost == 0) {
    show(2, r_.texts.TxtConnection);
  } else if (ps.MemoryErasing == -1) {
    show(2, r_.texts.TxtErasing);
  } else {
    show(2, r_.texts.TxtDisconnection);
    if (!running_) StartPanelTimers();
  }
}

// ---- the receive step ------------------------------------------------------------

void PollLoop::bytesArrived() {
  if (inReceive_) {
    // Bytes arrived while a frame is being decoded (the decoder lets the
    // event loop turn): take them when it is done. The first report may be
    // of the very bytes a read under way takes next; a second one means a
    // longer turn of the event loop (a message box), and the notifier then
    // rests until the decoding is done, or it would report them again and
    // again.
    receiveAgain_ = true;
    if (++arrivalsMeanwhile_ > 1 && watchedHandle_ >= 0) setWatch(watchedHandle_, false);
    return;
  }
  wake();
}

void PollLoop::wake() {
  // The ticks that passed before now count as silence: bytes read now come
  // after them.
  advance();
  receive();
  flushHeld();
  schedule();
}

void PollLoop::receive() {
  const Nanos began = mono_ ? mono_() : Nanos{};
  inReceive_ = true;
  arrivalsMeanwhile_ = 0;
  bool gone = false;
  try {
    do {
      receiveAgain_ = false;
      PortEntry* e = CurrentEntry(r_.link);
      if (!e) break;
      const std::size_t before = e->RxBuf.size();
      const std::int32_t n = ReadCurrentPort(line());
      // What was reported while the read turned the event loop, it took.
      receiveAgain_ = false;
      if (n > 0) failedHandle_ = -1;
      if (n < 0) {
        // The device has gone: stop watching it (the watchdog reports it).
        // A port not yet opened (the port window still open) is no failure.
        if (watchedHandle_ >= 0) {
          logPoll(LogLevel::Warning, [&] {
            std::string error;
            r_.PortApi.CommGetError(error);
            return "port read failed, its descriptor is no longer watched: " + error;
          });
          failedHandle_ = watchedHandle_;
          setWatch(-1, false);
        }
        gone = true;
        break;
      }
      if (CurrentEntry(r_.link) == e && e->RxBuf.size() > before) {
        bytesSinceTick_ += static_cast<long long>(e->RxBuf.size() - before);
        bytesRead_ += static_cast<long long>(e->RxBuf.size() - before);
      }
      const auto cur = r_.link.CurPort;
      while (r_.link.CurPort == cur && ParseCurrentPort(r_.link) == 1) handleFrame();
    } while (receiveAgain_);
  } catch (...) {
    logCaught(LogArea::Poll);
    StartPanelTimers();
  }
  if (!gone) planRead();
  endReceive(began);
}

namespace {
// At 57600 baud a byte takes ten bit times.
constexpr std::chrono::nanoseconds kByteTime{173611};
}  // namespace

// A reply frame announces its length in its first four bytes: once they are
// in, the line time of the rest is known.
std::optional<PollLoop::Nanos> PollLoop::restOfFrame() const {
  const PortEntry* e = CurrentEntry(r_.link);
  if (!e) return std::nullopt;
  const auto whole = announcedReplySize(e->RxBuf);
  if (!whole || *whole <= e->RxBuf.size()) return std::nullopt;
  return kByteTime * static_cast<long long>(*whole - e->RxBuf.size());
}

// The notifier rests until shortly before the rest of a frame partly in is
// due, and the frame is read in one go then. Its last bytes are again taken
// as they arrive, so the next request goes out as soon as the reply is whole.
void PollLoop::planRead() {
  constexpr Nanos kEarly = std::chrono::milliseconds(2);
  constexpr Nanos kWorthAWait = std::chrono::milliseconds(4);
  if (watchedHandle_ < 0) {
    readDue_.reset();
    return;
  }
  if (readDue_ && bytesRead_ == readAtPlan_) {
    // Nothing new since the plan: before it is due, go on waiting for it;
    // past it, the line has stalled and the notifier takes over (it wakes
    // the engine on the next byte, whenever that comes).
    if (mono_ && mono_() < *readDue_) return;
    readDue_.reset();
    setWatch(watchedHandle_, true);
    return;
  }
  readDue_.reset();
  if (const auto rest = restOfFrame(); mono_ && rest && *rest >= kWorthAWait) {
    readDue_ = mono_() + *rest - kEarly;
    readAtPlan_ = bytesRead_;
  }
  setWatch(watchedHandle_, !readDue_);
}

// ---- the receive clock -------------------------------------------------------------

namespace {
// A stretch of decoding this long held the receive ticks up (a message box
// waited for the user): the ticks that fell in it are not counted later,
// as the timer's ticks were not counted while they could not run.
constexpr std::chrono::milliseconds kHeldUp{100};
// After a long sleep of the computer only the last stretch is counted:
// every counter has stopped and every wait has ended well before.
constexpr std::int64_t kMostTicks = 40000;
}  // namespace

void PollLoop::setMonotonicClock(MonotonicClock clock) {
  mono_ = std::move(clock);
  readDue_.reset();
  if (mono_) {
    tickOrigin_ = mono_();
    ticksDone_ = 0;
    schedule();
  } else {
    // Held-back rows and texts go to the windows at once (none while the
    // main window is going away).
    if (view()) {
      flushDisplay();
    } else {
      rowsHeld_.clear();
      progressHeld_.reset();
    }
    if (watchedHandle_ >= 0) setWatch(watchedHandle_, true);
  }
}

std::int64_t PollLoop::tickNow() const {
  return (mono_() - tickOrigin_) / kReceiveTick;
}

void PollLoop::receiveTimer() {
  // A stretch under way asks for the next wake-up when it ends.
  if (!mono_ || inReceive_) return;
  wake();
}

void PollLoop::advance() {
  if (!mono_ || inReceive_) return;
  const std::int64_t due = tickNow();
  if (due <= ticksDone_) return;
  if (due - ticksDone_ > kMostTicks) ticksDone_ = due - kMostTicks;
  const Nanos began = mono_();
  inReceive_ = true;
  arrivalsMeanwhile_ = 0;
  try {
    while (ticksDone_ < due) {
      ++ticksDone_;
      countWaits();
      countBlockWait();
      watchdog();
    }
  } catch (...) {
    logCaught(LogArea::Poll);
    StartPanelTimers();
  }
  endReceive(began);
}

void PollLoop::endReceive(Nanos began) {
  inReceive_ = false;
  if (mono_ && mono_() - began > kHeldUp) ticksDone_ = std::max(ticksDone_, tickNow());
  // Bytes that arrived meanwhile are taken now; this also wakes the read
  // notifier again.
  if (receiveAgain_) bytesArrived();
}

std::int64_t PollLoop::nextTickNeeded() const {
  const PollingState& ps = r_.polling;
  const std::int64_t next = ticksDone_ + 1;
  std::int64_t need = -1;
  const auto consider = [&](std::int64_t t) {
    if (need < 0 || t < need) need = t;
  };
  // The timer-write wait ends at its 300th tick; the memory-list wait asks
  // again at the counts 0, 10, ... 100 and ends past 200.
  if (ps.TimerSetPending == -1) {
    consider(ticksDone_ + std::max<std::int64_t>(1, 300 - ps.WaitTicks));
  } else if (ps.MemInfoPending == -1) {
    const std::int64_t c = ps.WaitTicks;
    std::int64_t j = 0;
    if (c <= 100)
      j = (10 - ((c % 10) + 10) % 10) % 10;
    else if (c <= 200)
      j = 201 - c;
    consider(next + j);
  }
  // The quiet time before the next data block is asked for.
  if (const std::int64_t t = r_.download.flow.ticksToAsk(); t >= 0) consider(ticksDone_ + t);
  // The link watchdog: two bytes buffered keep the line live for as long
  // as they stay; bytes read since the last tick count at the next one.
  const PortEntry* e = CurrentEntry(r_.link);
  const bool buffered = e && e->RxBuf.size() >= 2;
  if (buffered || bytesSinceTick_ >= 2) {
    if (ps.LinkLost != 0)
      consider(next);  // "Connection" again
    else if (!buffered)
      consider(next + 101);
  } else if (ps.LinkLost == 0) {
    consider(ticksDone_ + std::max<std::int64_t>(1, 101 - ps.IdleTicks));
  } else if (!running_) {
    consider(next);  // the watchdog resumes paused polling
  }
  // A port that is open but not watched (its device went away) is read at
  // every tick.
  if (e && e->PortIsOpen == -1 && watchedHandle_ < 0) consider(next);
  return need;
}

void PollLoop::schedule() {
  if (!mono_ || inReceive_) return;
  PollView* v = view();
  if (!v) return;
  std::optional<Nanos> at;
  const auto consider = [&](Nanos t) {
    if (!at || t < *at) at = t;
  };
  if (const std::int64_t t = nextTickNeeded(); t >= 0) consider(tickOrigin_ + kReceiveTick * t);
  if (readDue_) consider(*readDue_);
  if (const auto due = displayDue()) consider(*due);
  int ms = -1;
  if (at) {
    constexpr Nanos kMs = std::chrono::milliseconds(1);
    const Nanos left = std::clamp<Nanos>(*at - mono_(), Nanos{}, std::chrono::hours(24));
    ms = static_cast<int>((left + kMs - Nanos{1}) / kMs);
  }
  v->scheduleReceive(ms);
}

// Steps 6 to 8 of the receive tick, for one frame cut into the current
// entry's parser record: an identification reply sets the model text, a
// changed model rebuilds the command tree, and every frame goes to the
// decoder once the model is a supported one.
void PollLoop::handleFrame() {
  PortEntry* e = CurrentEntry(r_.link);
  if (!e) return;
  PollingState& ps = r_.polling;
  if (e->PortReply.ReplyCode == 0) {
    ps.MeterModel = BytesToText(e->PortReply, e->PortReply.ReplyLength - 1, "chr");
    if (ps.MeterModel != ps.PrevMeterModel || ps.MeterModel.empty()) ps.ModelChanged = -1;
    ps.PrevMeterModel = ps.MeterModel;
  }
  if (ps.ModelChanged == -1) {
    ps.ModelChanged = 0;
    if (PollView* v = view()) v->buildTreeForModel();
  }
  if (isSupportedModel(ps.MeterModel)) DeVKZ418SDData();
}

}  // namespace vkz
