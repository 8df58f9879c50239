#include "shell/flags.h"

#include "base/log.h"

namespace vkz {

void WindowFlags::clearOneSetSelectors() {
  OneSetLcdContrast = OneSetLcdAPO = OneSetPause = OneSetAutoLockKeypad = OneSetAutoScroll =
      OneSetCalibration = OneSetIntervalTime = 0;
}

const char* WindowClassName(WindowId w) {
  switch (w) {
    case WindowId::ComPortSetFrm:
      return "ComPortSetFrm";
    case WindowId::Setting418PanelFrm:
      return "Setting418PanelFrm";
    case WindowId::RTCFrm:
      return "RTCFrm";
    case WindowId::OneSetForm:
      return "OneSetForm";
    case WindowId::KalvoxFrm:
      return "KalvoxFrm";
    case WindowId::ScreenFrm:
      return "ScreenFrm";
    case WindowId::LEDAlarmFrm:
      return "LEDAlarmFrm";
    case WindowId::TimerFrm:
      return "TimerFrm";
    case WindowId::WelcomSetFrm:
      return "WelcomSetFrm";
    case WindowId::ClearMemoryFrm:
      return "ClearMemoryFrm";
    case WindowId::HelpFrm:
      return "HelpFrm";
    case WindowId::LanguageFrm:
      return "LanguageFrm";
    case WindowId::FileListFrm:
      return "FileListFrm";
    case WindowId::LunchTimeFrm:
      return "LunchTimeFrm";
    case WindowId::DataListFrm:
      return "DataListFrm";
    case WindowId::Histogram:
      return "Histogram";
    case WindowId::Plot:
      return "Plot";
    case WindowId::MemoryPanel:
      return "";
  }
  return "";
}

// Each flag with the window it closes, written once; the orders below list
// them by name.
namespace steps {
using W = WindowFlags;
constexpr CloseStep ComPortSet{&W::ComPortSetFrmOpen, WindowId::ComPortSetFrm};
constexpr CloseStep Setting418Panel{&W::Setting418PanelFrmOpen, WindowId::Setting418PanelFrm};
constexpr CloseStep RTC{&W::RTCFrmOpen, WindowId::RTCFrm};
constexpr CloseStep Kalvox{&W::KalvoxFrmOpen, WindowId::KalvoxFrm};
constexpr CloseStep Screen{&W::ScreenFrmOpen, WindowId::ScreenFrm};
constexpr CloseStep LEDAlarm{&W::LEDAlarmFrmOpen, WindowId::LEDAlarmFrm};
constexpr CloseStep Timer{&W::TimerFrmOpen, WindowId::TimerFrm};
constexpr CloseStep WelcomSet{&W::WelcomSetFrmOpen, WindowId::WelcomSetFrm};
constexpr CloseStep LunchTime{&W::LunchTimeFrmOpen, WindowId::LunchTimeFrm};
constexpr CloseStep ClearMemory{&W::ClearMemoryFrmOpen, WindowId::ClearMemoryFrm};
constexpr CloseStep Help{&W::HelpFrmOpen, WindowId::HelpFrm};
constexpr CloseStep Language{&W::LanguageFrmOpen, WindowId::LanguageFrm};
constexpr CloseStep FileList{&W::FileListFrmOpen, WindowId::FileListFrm};
constexpr CloseStep DataList{&W::DataListFrmOpen, WindowId::DataListFrm};
constexpr CloseStep Histogram{&W::HistogramOpen, WindowId::Histogram};
constexpr CloseStep Plot{&W::PlotOpen, WindowId::Plot};
constexpr CloseStep MemoryPanel{&W::MemoryPanelShown, WindowId::MemoryPanel};
// The one-value setting window, once for each of its selectors.
constexpr CloseStep LcdContrast{&W::OneSetLcdContrast, WindowId::OneSetForm};
constexpr CloseStep LcdAPO{&W::OneSetLcdAPO, WindowId::OneSetForm};
constexpr CloseStep Pause{&W::OneSetPause, WindowId::OneSetForm};
constexpr CloseStep AutoLockKeypad{&W::OneSetAutoLockKeypad, WindowId::OneSetForm};
constexpr CloseStep AutoScroll{&W::OneSetAutoScroll, WindowId::OneSetForm};
constexpr CloseStep Calibration{&W::OneSetCalibration, WindowId::OneSetForm};
constexpr CloseStep IntervalTime{&W::OneSetIntervalTime, WindowId::OneSetForm};
}  // namespace steps

const std::vector<CloseStep>& CheckFlageOrder() {
  using namespace steps;
  static const std::vector<CloseStep> order{
      ComPortSet, Setting418Panel, RTC,         LcdAPO,    LcdContrast,  Kalvox,    Screen,      Pause,
      LEDAlarm,   AutoLockKeypad,  AutoScroll,  Timer,     MemoryPanel,  WelcomSet, ClearMemory, Help,
      Language,   FileList,        Calibration, LunchTime, IntervalTime,
  };
  return order;
}

const std::vector<CloseStep>& CheckPanelFlageOrder() {
  using namespace steps;
  static const std::vector<CloseStep> order{
      RTC,   LcdContrast, LcdAPO,      Kalvox, Screen,   Pause,    LEDAlarm,    AutoLockKeypad, AutoScroll,
      Timer, WelcomSet,   ClearMemory, Help,   Language, FileList, Calibration, LunchTime,      IntervalTime,
  };
  return order;
}

const std::vector<CloseStep>& LanguageFrmCloseOrder() {
  using namespace steps;
  static const std::vector<CloseStep> order{
      ClearMemory, ComPortSet, DataList,        Kalvox, FileList,       Help,       Histogram,    LEDAlarm,
      MemoryPanel, LcdAPO,     LcdContrast,     Pause,  AutoLockKeypad, AutoScroll, Calibration,  Plot,
      RTC,         Screen,     Setting418Panel, Timer,  WelcomSet,      LunchTime,  IntervalTime,
  };
  return order;
}

void RunCloseOrder(const std::vector<CloseStep>& order, WindowFlags& flags,
                   const std::function<void(WindowId)>& close) {
  for (const CloseStep& step : order) {
    if (flags.*(step.flag) != -1) continue;
    try {
      close(step.window);
    } catch (...) {
      // A failing unload is passed over; the next flag is tested.
      logCaught(LogArea::Ui);
    }
  }
}

}  // namespace vkz
