// The program's monotonic clock: the moment the poll engine counts its
// receive ticks from, the line thread plans its reads by and WaitSeconds
// measures its pauses on. The program runs on the steady clock; a test
// installs a clock of its own here, which moves only when the test moves
// it, so every wait and pause of the program runs on that one clock.
// Any thread may read it.
#pragma once
#include <chrono>
#include <functional>

namespace vkz {

struct ProgramClock {
  // The moment, from any fixed origin; never goes back.
  std::function<std::chrono::nanoseconds()> now;
  // Lets time pass while a pause waits, for at most `span`: turns the event
  // loop and moves the clock. Empty: the pause sleeps on the event loop
  // until the clock has moved.
  std::function<void(std::chrono::nanoseconds span)> pass;
  // A descriptor that becomes readable whenever the clock moves, for a
  // thread that sleeps until a moment on it (the reader drains it); -1: the
  // clock moves by itself, and such a thread sleeps for the span.
  int moved = -1;
};

// The installed clock's moment (the steady clock's when none is installed).
std::chrono::nanoseconds monotonicNow();

// Installs `clock`; an empty `now` puts the steady clock back.
void setProgramClock(ProgramClock clock);

// The installed clock's way of letting time pass (empty on the steady clock).
std::function<void(std::chrono::nanoseconds)> programClockPass();

// The installed clock's descriptor that tells it moved (-1 on the steady
// clock).
int programClockMoved();

}  // namespace vkz
