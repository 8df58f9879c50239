// The program's clock, turned by the test: installed as the program's
// monotonic clock (base/programclock.h), so the poll engine counts its
// receive ticks on it and WaitSeconds measures its pauses on it. It moves
// only when the test moves it, and wakes the engine as the main window's
// receive timer does, so every wait, time-out and the link watchdog run on
// the program's own path and never on the machine's time.
#pragma once
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "base/programclock.h"
#include "link/eventpump.h"
#include "polling/pollloop.h"
#include "state/programstate.h"

namespace vkz::test {

class EngineClock {
 public:
  using Nanos = std::chrono::nanoseconds;

  // Installs the clock as the program's and in the poll engine (receive
  // tick 0 is now). `turn` turns the event loop once while a pause lets
  // time pass (the installed event pump when none is given).
  explicit EngineClock(std::function<void()> turn = {}) : turn_(std::move(turn)) {
    setProgramClock({[this] { return now(); }, [this](Nanos span) { pass(span); }, moved()});
    State().poll.setMonotonicClock([] { return monotonicNow(); });
  }
  ~EngineClock() {
    State().poll.setMonotonicClock(nullptr);
    setProgramClock({});
  }
  EngineClock(const EngineClock&) = delete;
  EngineClock& operator=(const EngineClock&) = delete;

  // The moment; any thread may read it (a meter emulator on its own thread
  // runs on it too).
  Nanos now() const { return Nanos(at_.load()); }

  // Lets `n` receive ticks pass and wakes the engine once, as its receive
  // timer does when it runs out.
  void ticks(long long n) {
    set(now() + PollLoop::kReceiveTick * n);
    State().poll.receiveTimer();
  }

  // Moves the clock on by `span` without waking the engine (as while the
  // program's event loop stood still).
  void skip(Nanos span) { set(now() + span); }

  // Moves the clock to `to` (never back), waking the engine at every
  // receive tick on the way and at the end.
  void moveTo(Nanos to) {
    while (now() < to) {
      set(std::min(to, nextTick()));
      State().poll.receiveTimer();
    }
  }

  // The next receive tick's moment from now.
  Nanos nextTick() const {
    const Nanos t = now();
    return t - t % PollLoop::kReceiveTick + PollLoop::kReceiveTick;
  }

  // What a pause on this clock (WaitSeconds) does to let time pass, for at
  // most `span`: by default turns the event loop once and moves the clock
  // to the pause's end or the next receive tick, whichever comes first.
  // A test that drives more than the engine (a meter on the line) puts its
  // own here.
  std::function<void(Nanos span)> passTime;

 private:
  void set(Nanos t) {
    if (t <= now()) return;
    at_.store(t.count());
    // Wakes a thread that sleeps until a moment on this clock.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(moved(), &one, sizeof one);
  }
  void pass(Nanos span) {
    if (passTime) {
      passTime(span);
      return;
    }
    if (turn_)
      turn_();
    else
      pumpEvents();
    moveTo(std::min(now() + span, nextTick()));
  }

  // The descriptor that tells a sleeping thread the clock moved: one for
  // the process, never closed, so a line thread still asleep on it when a
  // clock goes never reads another descriptor that took its number.
  static int moved() {
    static const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
  }

  std::function<void()> turn_;
  std::atomic<std::int64_t> at_{std::chrono::duration_cast<Nanos>(std::chrono::seconds(100)).count()};
};

}  // namespace vkz::test
