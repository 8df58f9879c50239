// Connects the Qt-free link to the program's event loop and message boxes.
#pragma once

namespace vkz {

// The serial read and write and the wait turn the event loop with
// QCoreApplication::processEvents; the link's own critical message ("Open
// Port Error") goes through MsgBox with the critical icon.
void installLinkHooks();
// Only the message hook (the port window installs it when it loads).
void installLinkMessageHook();

}  // namespace vkz
