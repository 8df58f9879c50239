// The wait behind WaitSeconds, apart from its clock and its event loop, so
// it can be driven step by step.
#pragma once
#include <functional>

namespace vkz {

// Waits `seconds` on a monotonic clock: `now()` gives seconds from any fixed
// origin; `turn(remaining)` turns the event loop once and may block for at
// most `remaining` seconds. Turns at least once; ends as soon as now() is at
// or past the end. A wait that is not a finite positive number turns once.
void WaitLoop(double seconds, const std::function<double()>& now, const std::function<void(double)>& turn);

}  // namespace vkz
