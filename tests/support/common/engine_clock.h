// The poll engine's monotonic clock, turned by the test: the engine counts
// the receive ticks that have passed on it and is woken as the main
// window's receive timer wakes it, so every wait, time-out and the link
// watchdog run on the program's own path.
#pragma once
#include <chrono>

#include "polling/pollloop.h"
#include "state/programstate.h"

namespace vkz::test {

class EngineClock {
 public:
  // Installs the clock in the program's poll engine (receive tick 0 is now).
  EngineClock() {
    State().poll.setMonotonicClock([this] { return now; });
  }
  ~EngineClock() { State().poll.setMonotonicClock(nullptr); }
  EngineClock(const EngineClock&) = delete;
  EngineClock& operator=(const EngineClock&) = delete;

  // Lets `n` receive ticks pass and wakes the engine, as its receive timer
  // does when it runs out.
  void ticks(long long n) {
    now += PollLoop::kReceiveTick * n;
    State().poll.receiveTimer();
  }

  std::chrono::nanoseconds now{std::chrono::seconds(100)};
};

}  // namespace vkz::test
