// Handlers never let an error escape: most of them pass over a step that
// fails and go on with the next.
#pragma once

namespace vkz {

// Runs one step of a handler; a failing step is passed over.
template <class F>
void step(F&& f) {
  try {
    f();
  } catch (...) {
  }
}

}  // namespace vkz
