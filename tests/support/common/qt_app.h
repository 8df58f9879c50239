// The offscreen Qt application of the window and end-to-end tests.
//
// A test executable that links vkz_test_qt runs all its tests inside one
// QApplication: a GoogleTest environment makes it before the first test
// (unless one exists already) and ends it after the last. settleEvents()
// needs no more than QtCore, so programs that make their own application
// (benchmarks, screenshot programs) may use it too.
#pragma once
#include <QCoreApplication>
#include <QEvent>

namespace vkz::test {

// Lets windows closed with deleteLater() go and posted events be handled:
// `rounds` turns of deferred deletions and the event loop.
inline void settleEvents(int rounds = 3) {
  for (int i = 0; i < rounds; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

}  // namespace vkz::test
