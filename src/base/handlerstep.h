// Handlers never let an error escape: most of them pass over a step that
// fails and go on with the next. A step that fails is logged on vkz.ui
// with the handler it failed in and why.
#pragma once
#include "base/log.h"

namespace vkz {

// Runs one step of a handler; a failing step is logged and passed over.
template <class F>
void step(F&& f, const SourcePlace& where = SourcePlace::here()) {
  try {
    f();
  } catch (...) {
    logCaught(LogArea::Ui, where);
  }
}

}  // namespace vkz
