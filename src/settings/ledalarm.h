// The meter's LED alarm: one switch and, for each of eleven quantities, a
// lower and an upper limit in whole dB, each within 70 to 140. The meter
// lights its LED when a quantity leaves its window of levels.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "polling/readbacks.h"
#include "link/settingblocks.h"
#include "settings/setoutcome.h"
#include "shell/uitext.h"

namespace vkz {

inline constexpr int kAlarmQuantities =
    11;  // LAS, LAEQ, LCPK, LZPK, LAVG, TWA, PTWA, LEPd, PLEPd, LEX8H, PLEX8H
inline constexpr int kAlarmMin = 70, kAlarmMax = 140;

// The display name of alarm quantity `index` (0..10), empty for any other.
std::string alarmname(int index, const UiText& t);

// Items of the switch: "OFF", "ON".
std::vector<std::string> ledAlarmEnableItems(const UiText& t);

// The window's entries as they stand after loading: no switch position,
// lower limits "80", upper limits "120".
struct LedAlarmModel {
  int enable = -1;
  std::array<std::string, kAlarmQuantities> lower, upper;
  LedAlarmModel();

  // The meter's values (reply 0x07): the limits it gives, then the switch.
  void apply(const LedAlarmReadback& r);
};

// The Set button: an erase must not be pending; then quantity by quantity,
// lower before upper, every limit within 70..140 (the quantity's name and
// the text-table range message); then the switch must have a position
// ("Enabled : nothing selected !!!").
// Limits are rounded to whole dB, a half to the even neighbour.
SetOutcome<LedAlarmSetting> ledAlarmSet(const LedAlarmModel& m, const UiText& t, bool memoryErasing);

}  // namespace vkz
