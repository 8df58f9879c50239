// Window-open flags: one program-wide flag per window, -1 while the window
// is loaded, 0 otherwise, plus the seven selectors that tell the one-value
// setting window which setting it edits and the memory panel's shown flag.
// Each window sets its flag when it loads and clears it when it unloads;
// the shell reads them when it closes windows before opening another one,
// the reply decoder before it writes into a window. The flags and the
// shell's values are program-wide records (ProgramState).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vkz {

struct WindowFlags {
  std::int16_t ComPortSetFrmOpen = 0;
  std::int16_t Setting418PanelFrmOpen = 0;
  std::int16_t RTCFrmOpen = 0;
  std::int16_t KalvoxFrmOpen = 0;
  std::int16_t ScreenFrmOpen = 0;
  std::int16_t LEDAlarmFrmOpen = 0;
  std::int16_t TimerFrmOpen = 0;
  std::int16_t WelcomSetFrmOpen = 0;
  std::int16_t LunchTimeFrmOpen = 0;
  std::int16_t ClearMemoryFrmOpen = 0;
  std::int16_t HelpFrmOpen = 0;
  std::int16_t LanguageFrmOpen = 0;
  std::int16_t FileListFrmOpen = 0;
  std::int16_t DataListFrmOpen = 0;
  std::int16_t HistogramOpen = 0;
  std::int16_t PlotOpen = 0;

  // Selectors of OneSetForm: at most one is -1, the setting it edits.
  std::int16_t OneSetLcdContrast = 0;
  std::int16_t OneSetLcdAPO = 0;
  std::int16_t OneSetPause = 0;
  std::int16_t OneSetAutoLockKeypad = 0;
  std::int16_t OneSetAutoScroll = 0;
  std::int16_t OneSetCalibration = 0;
  std::int16_t OneSetIntervalTime = 0;

  std::int16_t MemoryPanelShown = 0;

  // Clears every selector (what OneSetForm's unload does).
  void clearOneSetSelectors();
  void reset() { *this = WindowFlags{}; }
};

// Program-wide values the main window's actions keep beside the flags.
struct ShellState {
  std::string RecordFileName;     // default report name of the measurement clicked last in the memory list
  std::int32_t MemListCount = 0;  // memory-list entries received since the Memory action
  std::int32_t MemTotalSize = 0;  // from the last memory-size reply
  std::int32_t MemRemainSize = 0;
  void reset() { *this = ShellState{}; }
};

// What a closing step closes: a window, or (MemoryPanel) the memory panel,
// which is hidden rather than unloaded.
enum class WindowId {
  ComPortSetFrm,
  Setting418PanelFrm,
  RTCFrm,
  OneSetForm,
  KalvoxFrm,
  ScreenFrm,
  LEDAlarmFrm,
  TimerFrm,
  WelcomSetFrm,
  ClearMemoryFrm,
  HelpFrm,
  LanguageFrm,
  FileListFrm,
  LunchTimeFrm,
  DataListFrm,
  Histogram,
  Plot,
  MemoryPanel,
};

// The class name of a window as the window registry knows it ("KalvoxFrm"),
// so windows of any library can be closed by a closing order; "" for the
// memory panel, which is not a window of its own.
const char* WindowClassName(WindowId w);

// One step of a closing order: the flag tested and the window closed when
// that flag is -1.
struct CloseStep {
  std::int16_t WindowFlags::*flag;
  WindowId window;
};

// The main window's CheckFlage order: every window but the data list
// window, the histogram and the level graph, and the memory panel.
const std::vector<CloseStep>& CheckFlageOrder();
// checkpanelflage (the main window's and the setting panel's): as
// CheckFlage without the port window, the setting panel and the memory panel.
const std::vector<CloseStep>& CheckPanelFlageOrder();
// The language window's own closing on load: every other window, the data
// list window, histogram and graph included.
const std::vector<CloseStep>& LanguageFrmCloseOrder();

// Runs a closing order: tests each flag when its turn comes (after the
// windows before it were closed, whose unloads may have cleared it) and
// calls `close` for each flag found at -1. A close that throws is passed
// over and the next flag is tested.
void RunCloseOrder(const std::vector<CloseStep>& order, WindowFlags& flags,
                   const std::function<void(WindowId)>& close);

}  // namespace vkz
