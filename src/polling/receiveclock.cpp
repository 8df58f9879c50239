// The receive clock: the receive ticks counted from the monotonic clock the
// main window installs, run when the engine wakes, and the next wake-up
// asked for when something falls due (a wait's step, the watchdog, the rest
// of a frame, a held-back text).
#include <algorithm>

#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {

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

}  // namespace vkz
