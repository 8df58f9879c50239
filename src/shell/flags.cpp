#include "shell/flags.h"

namespace vkz {

void WindowFlags::clearOneSetSelectors() {
  OneSetLcdContrast = OneSetLcdAPO = OneSetPause = OneSetAutoLockKeypad = OneSetAutoScroll = OneSetCalibration =
      OneSetIntervalTime = 0;
}

WindowFlags& Flags() {
  static WindowFlags f;
  return f;
}

ShellState& Shell() {
  static ShellState s;
  return s;
}

using W = WindowFlags;

const std::vector<CloseStep>& CheckFlageOrder() {
  static const std::vector<CloseStep> order{
      {&W::ComPortSetFrmOpen, WindowId::ComPortSetFrm},
      {&W::Setting418PanelFrmOpen, WindowId::Setting418PanelFrm},
      {&W::RTCFrmOpen, WindowId::RTCFrm},
      {&W::OneSetLcdAPO, WindowId::OneSetForm},
      {&W::OneSetLcdContrast, WindowId::OneSetForm},
      {&W::KalvoxFrmOpen, WindowId::KalvoxFrm},
      {&W::ScreenFrmOpen, WindowId::ScreenFrm},
      {&W::OneSetPause, WindowId::OneSetForm},
      {&W::LEDAlarmFrmOpen, WindowId::LEDAlarmFrm},
      {&W::OneSetAutoLockKeypad, WindowId::OneSetForm},
      {&W::OneSetAutoScroll, WindowId::OneSetForm},
      {&W::TimerFrmOpen, WindowId::TimerFrm},
      {&W::MemoryPanelShown, WindowId::MemoryPanel},
      {&W::WelcomSetFrmOpen, WindowId::WelcomSetFrm},
      {&W::ClearMemoryFrmOpen, WindowId::ClearMemoryFrm},
      {&W::HelpFrmOpen, WindowId::HelpFrm},
      {&W::LanguageFrmOpen, WindowId::LanguageFrm},
      {&W::FileListFrmOpen, WindowId::FileListFrm},
      {&W::OneSetCalibration, WindowId::OneSetForm},
      {&W::LunchTimeFrmOpen, WindowId::LunchTimeFrm},
      {&W::OneSetIntervalTime, WindowId::OneSetForm},
  };
  return order;
}

const std::vector<CloseStep>& CheckPanelFlageOrder() {
  static const std::vector<CloseStep> order{
      {&W::RTCFrmOpen, WindowId::RTCFrm},
      {&W::OneSetLcdContrast, WindowId::OneSetForm},
      {&W::OneSetLcdAPO, WindowId::OneSetForm},
      {&W::KalvoxFrmOpen, WindowId::KalvoxFrm},
      {&W::ScreenFrmOpen, WindowId::ScreenFrm},
      {&W::OneSetPause, WindowId::OneSetForm},
      {&W::LEDAlarmFrmOpen, WindowId::LEDAlarmFrm},
      {&W::OneSetAutoLockKeypad, WindowId::OneSetForm},
      {&W::OneSetAutoScroll, WindowId::OneSetForm},
      {&W::TimerFrmOpen, WindowId::TimerFrm},
      {&W::WelcomSetFrmOpen, WindowId::WelcomSetFrm},
      {&W::ClearMemoryFrmOpen, WindowId::ClearMemoryFrm},
      {&W::HelpFrmOpen, WindowId::HelpFrm},
      {&W::LanguageFrmOpen, WindowId::LanguageFrm},
      {&W::FileListFrmOpen, WindowId::FileListFrm},
      {&W::OneSetCalibration, WindowId::OneSetForm},
      {&W::LunchTimeFrmOpen, WindowId::LunchTimeFrm},
      {&W::OneSetIntervalTime, WindowId::OneSetForm},
  };
  return order;
}

const std::vector<CloseStep>& LanguageFrmCloseOrder() {
  static const std::vector<CloseStep> order{
      {&W::ClearMemoryFrmOpen, WindowId::ClearMemoryFrm},
      {&W::ComPortSetFrmOpen, WindowId::ComPortSetFrm},
      {&W::DataListFrmOpen, WindowId::DataListFrm},
      {&W::KalvoxFrmOpen, WindowId::KalvoxFrm},
      {&W::FileListFrmOpen, WindowId::FileListFrm},
      {&W::HelpFrmOpen, WindowId::HelpFrm},
      {&W::HistogramOpen, WindowId::Histogram},
      {&W::LEDAlarmFrmOpen, WindowId::LEDAlarmFrm},
      {&W::MemoryPanelShown, WindowId::MemoryPanel},
      {&W::OneSetLcdAPO, WindowId::OneSetForm},
      {&W::OneSetLcdContrast, WindowId::OneSetForm},
      {&W::OneSetPause, WindowId::OneSetForm},
      {&W::OneSetAutoLockKeypad, WindowId::OneSetForm},
      {&W::OneSetAutoScroll, WindowId::OneSetForm},
      {&W::OneSetCalibration, WindowId::OneSetForm},
      {&W::PlotOpen, WindowId::Plot},
      {&W::RTCFrmOpen, WindowId::RTCFrm},
      {&W::ScreenFrmOpen, WindowId::ScreenFrm},
      {&W::Setting418PanelFrmOpen, WindowId::Setting418PanelFrm},
      {&W::TimerFrmOpen, WindowId::TimerFrm},
      {&W::WelcomSetFrmOpen, WindowId::WelcomSetFrm},
      {&W::LunchTimeFrmOpen, WindowId::LunchTimeFrm},
      {&W::OneSetIntervalTime, WindowId::OneSetForm},
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
    }
  }
}

}  // namespace vkz
