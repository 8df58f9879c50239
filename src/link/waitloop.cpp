#include "link/waitloop.h"

#include <cmath>

namespace vkz {

void WaitLoop(double seconds, const std::function<double()>& now, const std::function<void(double)>& turn) {
  if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
  // A monotonic clock does not jump back at midnight or when the clock of
  // the computer is set, so the end is always reached and never early.
  const double end = now() + seconds;
  double t;
  do {
    turn(end - now());
    t = now();
  } while (t < end);
}

}  // namespace vkz
