// The polling loop: the poll tick, the receive tick, the receive step on
// arriving bytes, and the pause and resume of polling.
#include "polling/pollloop.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "base/handlerstep.h"
#include "link/comname.h"
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
  programPauses_ = 0;
  modelChanged_ = erasing_ = timerWait_ = listWait_ = settingWait_ = sizeWait_ = linkLost_ = false;
  idleTicks_ = 0;
  waitTicks_ = eraseTicks_ = settingTicks_ = sizeTicks_ = 0;
  inPoll_ = inReceive_ = receiveAgain_ = false;
  arrivalsMeanwhile_ = 0;
  bytesSinceTick_ = 0;
  watchedHandle_ = failedHandle_ = -1;
  watchOn_ = false;
  lost_.reset();
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
  stopLineThread();
  framesCut_ = 0;
  handlingFrame_.reset();
  modelPayload_.clear();
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

PollPause::PollPause(PollLoop& poll) : poll_(poll) {
  ++poll_.programPauses_;
  poll_.StopPanelTimers();
}

PollPause::~PollPause() {
  // The receive ticks that passed while the program held polling paused
  // (a dialog open with nothing awaited, so no tick was asked for) run
  // before the pause ends: as paused ticks, they count no silence.
  if (poll_.programPauses_ == 1) poll_.advance();
  if (--poll_.programPauses_ > 0) return;
  // The silence of a paused meter was not counted; the link is judged
  // again from here.
  poll_.idleTicks_ = 0;
  step([&] { poll_.StartPanelTimers(); });
}

void PollLoop::mainWindowLoaded() {
  timerWait_ = false;
  modelChanged_ = false;
}

// ---- the exchanges the engine awaits ----------------------------------------------

PortResult PollLoop::writeTimers(const TimerSetting& timers) {
  StopPanelTimers();
  r_.records.TimerRecord = timers;
  timerWait_ = true;
  waitTicks_ = 0;
  const PortResult sent = CmdWriteTimers1(line(), r_.records.TimerRecord);
  // Nothing to acknowledge: no wait, polling runs again.
  if (!sent) endTimerWait();
  return sent;
}

void PollLoop::endTimerWait() {
  timerWait_ = false;
  waitTicks_ = 0;
  StartPanelTimers();
}

PortResult PollLoop::writeAwaited(const std::function<PortResult()>& send) {
  settingWait_ = true;
  settingTicks_ = 0;
  const PortResult sent = send();
  if (!sent) settingWait_ = false;
  return sent;
}

PortResult PollLoop::eraseMemory() {
  erasing_ = true;
  eraseTicks_ = 0;
  const PortResult sent = CmdClearMemory(line());
  if (!sent) erasing_ = false;
  return sent;
}

PortResult PollLoop::askMemorySize() {
  StopPanelTimers();
  sizeWait_ = true;
  sizeTicks_ = 0;
  const PortResult sent = CmdReadMemorySize(line());
  if (!sent) {
    sizeWait_ = false;
    StartPanelTimers();
  }
  return sent;
}

// ---- the read notifier's port --------------------------------------------------

void PollLoop::setWatch(int handle, bool enabled) {
  watchedHandle_ = handle;
  watchOn_ = handle >= 0 && enabled;
  if (PollView* v = view()) v->watchPort(handle, watchOn_);
}

void PollLoop::watchCurrentPort() {
  PortEntry* cur = CurrentEntry(r_.link);
  // The line thread reads the port of the download: another port made
  // current ends it.
  if (linePort_ != 0 && (!cur || cur->PortNo != linePort_)) stopLineThread();
  int fd = cur ? r_.PortApi.NativeHandle(cur->PortNo) : -1;
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

// ---- a port whose device went away ---------------------------------------------------

void PollLoop::closeLostPort() {
  PortEntry* e = CurrentEntry(r_.link);
  if (!e || e->PortNo == 0 || r_.PortApi.IsOpen(e->PortNo) != -1) return;
  // Its device is gone (an adapter pulled out): the port is closed, and a
  // poll tick finds it closed and writes nothing to it.
  logPoll(LogLevel::Warning,
          [&] { return e->PortName + ": its device has gone, the port is closed until it is back"; });
  r_.PortApi.CommClose(e->PortNo);
  e->PortIsOpen = 0;
  failedHandle_ = -1;
  lost_ = LostPort{e->PortNo, e->PortSettings};
}

void PollLoop::relinkLostPort() {
  if (!lost_) return;
  // Linked again meanwhile (the port window): nothing left to do.
  if (r_.PortApi.IsOpen(lost_->portNo) == -1) {
    lost_.reset();
    return;
  }
  const std::string name = "COM" + std::to_string(lost_->portNo);
  const std::string path = ComDevicePath(name);
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return;
  // The device may be back before whatever held it has let it go (a busy
  // device): it is tried again at the next poll tick until it opens, so a
  // failed attempt never uses up an entry of the port table.
  if (r_.PortApi.CommOpen(lost_->portNo, name, lost_->settings) != 0) {
    if (!lost_->triedBusy)
      logPoll(LogLevel::Info, [&] {
        std::string error;
        r_.PortApi.CommGetError(error);
        return name +
               ": its device is back but cannot be opened yet, tried again at every poll tick: " + error;
      });
    lost_->triedBusy = true;
    return;
  }
  r_.PortApi.CommClose(lost_->portNo);
  const LostPort port = *lost_;
  lost_.reset();
  logPoll(LogLevel::Info, [&] { return name + ": its device is back, the port is linked again"; });
  OpenPort(line(), port.portNo, port.settings);
  r_.link.CurPort = r_.link.PortCount;
}

// ---- the receive tick ------------------------------------------------------------

// One receive tick: every wait and time-out the engine counts and the
// link watchdog. The program runs it for every receive tick that has
// passed on the monotonic clock (advance()).
void PollLoop::receiveTick() {
  countWaits();
  countBlockWait();
  countEraseWait();
  countSettingWait();
  countSizeWait();
  watchdog();
}

// The timer-write wait or the memory-list wait (one counter for both, at
// most one of them per tick).
void PollLoop::countWaits() {
  if (!timerWait_) {
    countListWait();
    return;
  }
  if (++waitTicks_ < kTimerWaitTicks) return;
  logPoll(LogLevel::Warning, [] { return "timer settings write: no acknowledgement in time"; });
  message(r_.texts.TxtSetTimerSettingTimeOut, MessageIcon::Critical);
  endTimerWait();
}

void PollLoop::countListWait() {
  if (!listWait_) return;
  const std::int32_t c = waitTicks_;
  if (c % kListAskEvery == 0 && c <= kListAskUntil) {
    if (r_.flags.MemoryPanelShown == -1) {
      logPoll(LogLevel::Info,
              [&] { return "memory list entry asked again at wait tick " + std::to_string(c); });
      logUnsent(CmdReadMemoryListNext(line()), "memory list request");
    } else {
      // The user closed the panel: the wait ends quietly.
      listWait_ = false;
      StartPanelTimers();
    }
  } else if (c > kListWaitTicks) {
    logPoll(LogLevel::Warning, [] { return "memory list: no entry in time"; });
    waitTicks_ = 0;
    // Entries that came tell which ones did not: a list with gaps says so.
    const DownloadState& d = r_.download;
    const std::vector<int> missing = missingListEntries(d.listed, d.listCount);
    if (missing.empty())
      message(r_.texts.TxtGetMemoryInformationTimeOutError, MessageIcon::Critical);
    else
      reportIncompleteList(missing);
    listWait_ = false;
    StartPanelTimers();
  }
  ++waitTicks_;
}

// The erase wait: an erase whose reply never comes would otherwise refuse
// every setting and download for the rest of the run.
void PollLoop::countEraseWait() {
  if (!erasing_) return;
  if (++eraseTicks_ < kEraseWaitTicks) return;
  logPoll(LogLevel::Warning, [] { return "memory erase: no end reported in time"; });
  message(eraseTimeOutText(), MessageIcon::Critical);
  eraseTicks_ = 0;
  erasing_ = false;
}

// A single setting write whose acknowledgement never came.
void PollLoop::countSettingWait() {
  if (!settingWait_) return;
  if (++settingTicks_ < kSettingWaitTicks) return;
  logPoll(LogLevel::Warning, [] { return "setting write: no acknowledgement in time"; });
  settingWait_ = false;
  message(settingNotConfirmedText(), MessageIcon::Critical);
}

// The memory size still missing once the list has ended: asked again on the
// list wait's counts, then said to be missing.
void PollLoop::countSizeWait() {
  if (!sizeWait_ || listWait_) return;
  const std::int32_t c = ++sizeTicks_;
  if (c % kListAskEvery == 0 && c <= kListAskUntil) {
    logPoll(LogLevel::Info, [&] { return "memory size asked again at wait tick " + std::to_string(c); });
    logUnsent(CmdReadMemorySize(line()), "memory size request");
  } else if (c > kListWaitTicks) {
    logPoll(LogLevel::Warning, [] { return "memory size: no reply in time"; });
    sizeWait_ = false;
    message(memorySizeMissingText(), MessageIcon::Critical);
  }
}

// Link watchdog: two bytes in the buffer, or two bytes received since the
// last tick (replies cut as they arrived), count as a live line. A byte
// that arrived this tick is in both counts, so the larger one is taken.
//
// While the program holds polling paused (PollPause) the meter is not asked
// anything, so its silence is not counted: the link is judged again when
// polling resumes. A pause of an exchange whose answer never came is still
// ended by the watchdog, which resumes polling once the link is lost.
void PollLoop::watchdog() {
  const PortEntry* e = CurrentEntry(r_.link);
  const long long seen = std::max(e ? static_cast<long long>(e->RxBuf.size()) : 0LL, bytesSinceTick_);
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
  if (!linkLost_) {
    show(2, r_.texts.TxtConnection);
  } else if (erasing_) {
    show(2, r_.texts.TxtErasing);
  } else {
    show(2, r_.texts.TxtDisconnection);
    if (!running_ && programPauses_ == 0) StartPanelTimers();
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
          closeLostPort();
        }
        gone = true;
      }
      if (CurrentEntry(r_.link) == e && e->RxBuf.size() > before) {
        bytesSinceTick_ += static_cast<long long>(e->RxBuf.size() - before);
        bytesRead_ += static_cast<long long>(e->RxBuf.size() - before);
      }
      const auto cur = r_.link.CurPort;
      // Bytes received before the device went away are still the meter's.
      while (r_.link.CurPort == cur && ParseCurrentPort(r_.link) == 1) {
        handlingFrame_ = ++framesCut_;
        handleFrame();
        handlingFrame_.reset();
      }
      // The line thread's pieces are cut one at a time, as it cut them.
    } while ((receiveAgain_ || piecesWaiting()) && !gone);
  } catch (...) {
    handlingFrame_.reset();
    logCaught(LogArea::Poll);
    StartPanelTimers();
  }
  // The line thread may have started or ended meanwhile: its handle or the
  // port's is watched.
  if (!gone) watchCurrentPort();
  if (!gone) planRead();
  endReceive(began);
}

bool PollLoop::piecesWaiting() const {
  const PortEntry* e = CurrentEntry(r_.link);
  const LineReader* lr = e ? r_.PortApi.Reader(e->PortNo) : nullptr;
  return lr && lr->pending();
}

namespace {
// A frame whose four header bytes are not all in yet is taken for a short
// one (the poll tick's model and clock replies are): its rest is read in
// one go. A longer one has announced its length by then.
constexpr std::size_t kShortFrame = 16;
}  // namespace

// A reply frame announces its length in its first four bytes: once they are
// in, the line time of the rest is known.
std::optional<PollLoop::Nanos> PollLoop::restOfFrame() const {
  const PortEntry* e = CurrentEntry(r_.link);
  if (!e) return std::nullopt;
  return r_.PortApi.Timing(e->PortNo).restOfFrame(e->RxBuf);
}

std::size_t PollLoop::bytesToCome() const {
  const PortEntry* e = CurrentEntry(r_.link);
  if (!e || e->RxBuf.empty() || e->RxBuf[0] != kReplyStart) return 0;
  if (e->RxBuf.size() < 4) return kShortFrame - e->RxBuf.size();
  const auto whole = announcedReplySize(e->RxBuf);
  return whole && *whole > e->RxBuf.size() ? *whole - e->RxBuf.size() : 0;
}

// The notifier rests while the rest of a frame partly in is on its way. A
// short frame (the line time of its whole under kWorthAWait, or its header
// not yet in) is read in one go when its last byte is due: one wake-up
// instead of one per byte (not while a download runs: its next request
// waits for the reply's last byte). A long one (a data block) is read
// shortly before its rest is due, and its last bytes again as they arrive,
// so the next request goes out as soon as the reply is whole.
void PollLoop::planRead() {
  // A timer that runs out a little early finds the last byte not yet in.
  constexpr Nanos kSlack = std::chrono::microseconds(200);
  if (watchedHandle_ < 0) {
    readDue_.reset();
    return;
  }
  if (lineThread() || piecesWaiting()) {
    // The line thread reads the port and wakes the engine when a frame is
    // whole.
    readDue_.reset();
    setWatch(watchedHandle_, true);
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
  const PortEntry* e = CurrentEntry(r_.link);
  if (const std::size_t missing = mono_ ? bytesToCome() : 0; missing > 0 && e) {
    const LineTiming t = r_.PortApi.Timing(e->PortNo);
    const Nanos rest = t.of(missing);
    const Nanos whole = t.of(missing + e->RxBuf.size());
    // While a download runs, the next request waits for every reply's last
    // byte (a poll reply's too): each is taken as it arrives.
    const bool shortFrame = whole < LineTiming::kWorthAWait || e->RxBuf.size() < 4;
    if (shortFrame && !r_.download.flow.active())
      readDue_ = mono_() + rest + kSlack;
    else if (!shortFrame && rest >= LineTiming::kWorthAWait)
      readDue_ = mono_() + rest - LineTiming::kEarly;
    if (readDue_) readAtPlan_ = bytesRead_;
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
      receiveTick();
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
  std::int64_t need = -1;
  const auto consider = [&](std::int64_t t) {
    if (t >= 0 && (need < 0 || t < need)) need = t;
  };
  consider(nextWaitTick());
  consider(nextWatchdogTick());
  // A port that is open but not watched (its device went away) is read at
  // every tick.
  const PortEntry* e = CurrentEntry(r_.link);
  if (e && e->PortIsOpen == -1 && watchedHandle_ < 0) consider(ticksDone_ + 1);
  return need;
}

std::int64_t PollLoop::nextWaitTick() const {
  const std::int64_t next = ticksDone_ + 1;
  std::int64_t need = -1;
  const auto consider = [&](std::int64_t t) {
    if (need < 0 || t < need) need = t;
  };
  // The ticks until a count `c` that runs on by one per tick reaches the
  // next ask (a multiple of kListAskEvery up to kListAskUntil) or passes
  // kListWaitTicks.
  const auto toNextAsk = [](std::int64_t c) -> std::int64_t {
    if (c <= kListAskUntil) return (kListAskEvery - c % kListAskEvery) % kListAskEvery;
    return std::max<std::int64_t>(0, kListWaitTicks + 1 - c);
  };
  if (timerWait_)
    consider(ticksDone_ + std::max<std::int64_t>(1, kTimerWaitTicks - waitTicks_));
  else if (listWait_)
    consider(next + toNextAsk(waitTicks_));
  if (erasing_) consider(ticksDone_ + std::max<std::int64_t>(1, kEraseWaitTicks - eraseTicks_));
  if (settingWait_) consider(ticksDone_ + std::max<std::int64_t>(1, kSettingWaitTicks - settingTicks_));
  if (sizeWait_ && !listWait_) consider(next + toNextAsk(sizeTicks_ + 1));
  // The quiet time before the next data block is asked for.
  if (const std::int64_t t = r_.download.flow.ticksToAsk(); t >= 0) consider(ticksDone_ + t);
  return need;
}

std::int64_t PollLoop::nextWatchdogTick() const {
  const std::int64_t next = ticksDone_ + 1;
  // Two bytes buffered keep the line live for as long as they stay; bytes
  // read since the last tick count at the next one.
  const PortEntry* e = CurrentEntry(r_.link);
  const bool buffered = e && e->RxBuf.size() >= 2;
  if (buffered || bytesSinceTick_ >= 2) {
    if (linkLost_) return next;  // "Connection" again
    return buffered ? -1 : next + kLinkIdleTicks + 1;
  }
  // A pause the program holds counts no silence.
  if (programPauses_ > 0) return -1;
  if (!linkLost_) return ticksDone_ + std::max<std::int64_t>(1, kLinkIdleTicks + 1 - idleTicks_);
  return running_ ? -1 : next;  // the watchdog resumes paused polling
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
    modelPayload_.assign(e->PortReply.ReplyData.begin(), e->PortReply.ReplyData.begin() + e->PortReply.ReplyLength);
    ps.MeterModel = BytesToText(e->PortReply, e->PortReply.ReplyLength - 1, "chr");
    if (ps.MeterModel != ps.PrevMeterModel || ps.MeterModel.empty()) modelChanged_ = true;
    ps.PrevMeterModel = ps.MeterModel;
  }
  if (modelChanged_) {
    modelChanged_ = false;
    if (PollView* v = view()) v->buildTreeForModel();
  }
  if (isSupportedModel(ps.MeterModel)) DeVKZ418SDData();
}

}  // namespace vkz
