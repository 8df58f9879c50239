// Until the meter link's window side provides it: the wait with the event
// loop turning, on a monotonic clock.
#include <QCoreApplication>
#include <QElapsedTimer>

#include "link/waitloop.h"

namespace vkz {
void WaitSeconds(double seconds) {
  QElapsedTimer t;
  t.start();
  WaitLoop(
      seconds, [&] { return static_cast<double>(t.nsecsElapsed()) / 1e9; },
      [](double) { QCoreApplication::processEvents(); });
}
}  // namespace vkz
