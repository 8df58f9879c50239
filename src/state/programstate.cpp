#include "state/programstate.h"

namespace vkz {

void ProgramState::reset() {
  link = LinkState{};
  PortApi.Reset();
  polling = PollingState{};
  measurement.reset();
  download = DownloadState{};
  records = SettingsRecords{};
  LastMeterClock = MeterClock{};
  flags.reset();
  shell.reset();
  texts = UiText{};
  language.reset();
  openers = ShellWindowOpeners{};
  dataFile.reset();
  chart.reset();
  reports = ReportHooks{};
  reportRunning = false;
  longRun = false;
  mainWindow = nullptr;
  poll.reset();
}

ProgramState& State() {
  static ProgramState state;
  return state;
}

}  // namespace vkz
