// The one reset every test fixture starts with: the program's state
// (ProgramState) as at the start of a run and every seam of the platform
// layer back to its default (program folder, serial-device fallback,
// decimal separator, event pump, link and PDF messages, message
// translation). In a test program
// with windows (vkz_test_qt, the download road: window_reset.h) the same
// call also unloads every window and puts the message box, file dialogs and
// printer dialog into answer mode with no records.
#pragma once
#include <functional>

namespace vkz::test {

void resetProgram();

// A further step of resetProgram(), run before the state is reset (the
// window layer registers its own).
void addResetStep(std::function<void()> step);

}  // namespace vkz::test
