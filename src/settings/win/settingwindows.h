// Installs the setting windows of this library into the program: the
// shell's openers of the setting panel, the clock window, the dose-channel
// window and the screen-page window, and the read-back providers the reply
// decoder hands the clock, dose-channel and screen replies to. The other
// setting windows (one-value, LED alarm, timers, welcome text, lunch time,
// memory erase) are installed by their own install function into the
// remaining openers and providers; the setting panel opens every window
// through the openers.
#pragma once

namespace vkz {

void installSettingWindows();

}  // namespace vkz
