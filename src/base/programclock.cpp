#include "base/programclock.h"

#include <mutex>
#include <shared_mutex>

namespace vkz {

namespace {
struct Installed {
  std::shared_mutex mutex;
  ProgramClock clock;
};
Installed& installed() {
  static Installed c;
  return c;
}
}  // namespace

std::chrono::nanoseconds monotonicNow() {
  Installed& i = installed();
  std::shared_lock lock(i.mutex);
  if (i.clock.now) return i.clock.now();
  return std::chrono::steady_clock::now().time_since_epoch();
}

void setProgramClock(ProgramClock clock) {
  if (!clock.now) clock = {};
  Installed& i = installed();
  std::unique_lock lock(i.mutex);
  i.clock = std::move(clock);
}

std::function<void(std::chrono::nanoseconds)> programClockPass() {
  Installed& i = installed();
  std::shared_lock lock(i.mutex);
  return i.clock.pass;
}

int programClockMoved() {
  Installed& i = installed();
  std::shared_lock lock(i.mutex);
  return i.clock.moved;
}

}  // namespace vkz
