#include "settings/win/settingwindows.h"

#include "settings/win/kalvoxfrm.h"
#include "settings/win/rtcfrm.h"
#include "settings/win/screenfrm.h"
#include "settings/win/setting418panelfrm.h"
#include "state/programstate.h"

namespace vkz {

void installSettingWindows() {
  ShellWindowOpeners& o = State().openers;
  o.showSetting418PanelFrm = [] { ShowSetting418PanelFrm(); };
  o.showRTCFrm = [] { showSettingWindow(FormRegistry::get<RTCFrm>()); };
  o.showKalvoxFrm = [] { showSettingWindow(FormRegistry::get<KalvoxFrm>()); };
  o.showScreenFrm = [] { showSettingWindow(FormRegistry::get<ScreenFrm>()); };

  ReadbackWindows& r = State().poll.windows.readbacks;
  // The clock only while its window is loaded; the dose channels and the
  // screens load their window (hidden) when it is not.
  r.clock = []() -> ClockView* { return FormRegistry::find<RTCFrm>(); };
  r.dose = []() -> DoseView* { return FormRegistry::get<KalvoxFrm>(); };
  r.screens = []() -> ScreenView* { return FormRegistry::get<ScreenFrm>(); };
}

}  // namespace vkz
