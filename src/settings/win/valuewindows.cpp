#include "settings/win/valuewindows.h"

#include "settings/win/clearmemoryfrm.h"
#include "settings/win/ledalarmfrm.h"
#include "settings/win/lunchtimefrm.h"
#include "settings/win/onesetform.h"
#include "settings/win/timerfrm.h"
#include "settings/win/welcomsetfrm.h"
#include "state/programstate.h"

namespace vkz {

void installValueWindows() {
  ShellWindowOpeners& o = State().openers;
  o.showTimerFrm = [] { showSettingWindow(FormRegistry::get<TimerFrm>()); };
  o.showLunchTimeFrm = [] { showSettingWindow(FormRegistry::get<LunchTimeFrm>()); };
  o.showLEDAlarmFrm = [] { showSettingWindow(FormRegistry::get<LEDAlarmFrm>()); };
  o.showOneSetForm = [] { showSettingWindow(FormRegistry::get<OneSetForm>()); };
  o.showWelcomSetFrm = [] { showSettingWindow(FormRegistry::get<WelcomSetFrm>()); };
  o.showClearMemoryFrm = [] { showSettingWindow(FormRegistry::get<ClearMemoryFrm>()); };

  ReadbackWindows& r = State().poll.windows.readbacks;
  // Only while the window is loaded; the LED alarm reply loads its window
  // (hidden) when it is not.
  r.timers = []() -> TimerView* { return FormRegistry::find<TimerFrm>(); };
  r.lunchTime = []() -> LunchTimeView* { return FormRegistry::find<LunchTimeFrm>(); };
  r.oneValue = []() -> OneValueView* { return FormRegistry::find<OneSetForm>(); };
  r.welcomeText = []() -> WelcomeTextView* { return FormRegistry::find<WelcomSetFrm>(); };
  r.ledAlarm = []() -> LedAlarmView* { return FormRegistry::get<LEDAlarmFrm>(); };
}

}  // namespace vkz
