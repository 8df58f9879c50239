// The program's start-up object is its main window: this creates it, runs
// its load (texts, language, the port window, the toolbar) and shows it.
// Closing it closes every linked port and ends the program; it deletes
// itself then.
#pragma once

namespace vkz {

void StartMainWindow();

}  // namespace vkz
