// Pausing and resuming the polling loop around an exchange: the poll tick
// (Timer1) and its companion Timer2 of the main window are switched off and
// on; the receive tick (Timer3) never stops, so replies are still read and
// decoded while polling is paused.
#pragma once

namespace vkz {

void StopPanelTimers();
void StartPanelTimers();
// Whether polling runs (Timer1 enabled). Without a main window (tests of
// other windows) the state of the last Stop/Start is kept and reported.
bool PanelTimersRunning();

}  // namespace vkz
