// The window layer's part of the one reset (program_reset.h): no window
// left loaded, and the message box, file dialogs and printer dialog
// answering from their queues with no records, so nothing ever blocks.
#pragma once

namespace vkz::test {

// Adds the window layer's part to resetProgram() (once, however often it
// is called). Test programs with windows call it before their first reset.
void useWindowReset();

}  // namespace vkz::test
