// The program's state: one ProgramState owns every record the program keeps
// program-wide (the port table and the serial object, the polling state,
// the measurement and its download, the settings records, the window flags,
// the texts and the language, the data file, the charts, the installed
// report functions and window openers, the meter clock read last) and the
// poll engine that works on them. Windows and the program reach it through
// State(); the cores never do: each core function takes the records it
// works on.
//
// Tests start from a clean state with one reset (tests/support: the test
// reset also puts the seams of the platform layer back).
#pragma once
#include <functional>

#include "link/comportapi.h"
#include "link/porttable.h"
#include "link/settingblocks.h"
#include "polling/download.h"
#include "polling/measurement.h"
#include "polling/pollloop.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/openers.h"
#include "shell/uitext.h"
#include "views/chartstate.h"
#include "views/datafile.h"
#include "views/reporthooks.h"

namespace vkz {

class MainWindowHost;

struct ProgramState {
  ProgramState() = default;
  ProgramState(const ProgramState&) = delete;
  ProgramState& operator=(const ProgramState&) = delete;

  // The meter link: the linked ports and the one serial object.
  LinkState link;
  ComPortAPI PortApi;
  // Polling and the replies.
  PollingState polling;
  MeasurementData measurement;
  DownloadState download;
  SettingsRecords records;
  MeterClock LastMeterClock;  // the meter clock read last (reply 0x02)
  // The shell.
  WindowFlags flags;
  ShellState shell;
  UiText texts;
  LanguageState language;
  ShellWindowOpeners openers;
  // The measurement views.
  DataFileState dataFile;
  ChartState chart;
  ReportHooks reports;
  bool reportRunning = false;  // a report is being made (one at a time)
  bool longRun = false;        // a long run of the measurement windows is under way

  // The main window as the other windows reach it (ui/mainwindowhost.h),
  // installed by the main window; nullptr when there is none.
  std::function<MainWindowHost*()> mainWindow;

  // The poll engine on these records (the main window's timers drive it).
  PollLoop poll{
      {link, PortApi, polling, download, measurement, records, LastMeterClock, flags, shell, texts}};

  // The line the requests go out on: the port table and the serial object.
  MeterLine line() { return {link, PortApi}; }

  // Back to the start of a run: every record as new, every port closed,
  // polling running, no window installed.
  void reset();
};

// The program's one state.
ProgramState& State();

}  // namespace vkz
