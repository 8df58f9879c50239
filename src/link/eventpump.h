// Hooks that let the Qt-free link layer reach the user interface: turning
// the event loop while the serial port is read or written, and showing the
// link's own critical message ("Open Port Error"). The window side installs
// them (installLinkHooks in link/win/linkhooks.h); without them both do
// nothing, which is what the core tests want.
#pragma once
#include <functional>
#include <string>

namespace vkz {

// The event-loop turn used by the serial read and write and by the wait
// loop (QCoreApplication::processEvents in the program).
void setEventPump(std::function<void()> pump);
// Turns the event loop once through the installed pump, if any.
void pumpEvents();

// Shows a critical message with an OK button and the program's title.
void setLinkMessage(std::function<void(const std::string& text)> show);
void showLinkMessage(const std::string& text);

}  // namespace vkz
