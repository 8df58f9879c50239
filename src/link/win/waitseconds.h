// WaitSeconds: a pause that keeps the event loop turning (timer ticks, the
// reply decoder and window events all run meanwhile), used around every
// exchange a window starts.
#pragma once

namespace vkz {

// Waits `seconds` (0.1, 0.2, 0.6 ...) on the program's clock (base/programclock.h,
// the one the poll engine counts its ticks on), turning the event
// loop at least once. Sleeps between events instead of spinning. Neither
// ends early nor hangs at midnight or when the computer's clock is set.
void WaitSeconds(double seconds);

}  // namespace vkz
