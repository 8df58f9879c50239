#include "link/win/waitseconds.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "base/programclock.h"
#include "link/waitloop.h"

namespace vkz {

void WaitSeconds(double seconds) {
  // Wakes the event loop at the end of the wait when nothing else does.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  WaitLoop(
      seconds, [] { return std::chrono::duration<double>(monotonicNow()).count(); },
      [&](double remaining) {
        if (const auto pass = programClockPass()) {
          // A clock of its own moves when it lets time pass.
          // (Rounded up: a clock that moved a nanosecond short would be
          // asked for nothing again and again.)
          pass(std::chrono::ceil<std::chrono::nanoseconds>(std::chrono::duration<double>(std::max(remaining, 0.0))));
          return;
        }
        if (remaining <= 0) {
          QCoreApplication::processEvents();
          return;
        }
        wake.start(static_cast<int>(std::ceil(remaining * 1000.0)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
      });
}

}  // namespace vkz
