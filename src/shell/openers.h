// How the shell opens the windows other subsystems build (the setting panel,
// the setting windows, the clock and erase windows, the port window). Each
// is installed by the program's start-up; one that is not installed does
// nothing. One of the program-wide records (ProgramState).
#pragma once
#include <functional>

namespace vkz {

struct ShellWindowOpeners {
  std::function<void()> showSetting418PanelFrm;
  std::function<void()> showRTCFrm;
  std::function<void()> showClearMemoryFrm;
  std::function<void()> showOneSetForm;  // the selector flag is set before it is called
  std::function<void()> showKalvoxFrm;
  std::function<void()> showScreenFrm;
  std::function<void()> showLEDAlarmFrm;
  std::function<void()> showTimerFrm;
  std::function<void()> showWelcomSetFrm;
  std::function<void()> showLunchTimeFrm;
  // Shows the port selection window modally (start-up and "COMSET").
  std::function<void()> showComPortSetFrm;
};

}  // namespace vkz
