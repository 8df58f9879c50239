// Installs the timer, lunch-time, LED alarm, one-value, welcome-text and
// memory-erase windows into the program: the shell's openers of these
// windows (the setting panel and the command tree open them through
// State().openers) and the read-back providers the reply decoder hands
// their replies to.
#pragma once

namespace vkz {

void installValueWindows();

}  // namespace vkz
