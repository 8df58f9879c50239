#include "link/win/waitseconds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

#include "link/waitloop.h"

namespace vkz {

void WaitSeconds(double seconds) {
  QElapsedTimer clock;
  clock.start();
  // Wakes the event loop at the end of the wait when nothing else does.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  WaitLoop(
      seconds, [&] { return static_cast<double>(clock.nsecsElapsed()) / 1e9; },
      [&](double remaining) {
        if (remaining <= 0) {
          QCoreApplication::processEvents();
          return;
        }
        wake.start(static_cast<int>(std::ceil(remaining * 1000.0)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
      });
}

}  // namespace vkz
