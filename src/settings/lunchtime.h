// The meter's lunch-time exclusion: on or off, a start and a stop time of
// day. The meter does not count the time between them.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "polling/readbacks.h"
#include "link/settingblocks.h"
#include "shell/uitext.h"

namespace vkz {

// List items: "Disabled", "Enabled" from the text table; hours "0".."23"
// and minutes "0".."59" (position = value, no leading zeros).
std::vector<std::string> lunchEnableItems(const UiText& t);
std::vector<std::string> lunchHourItems();
std::vector<std::string> lunchMinuteItems();

// The window's list positions; no item is selected after loading.
struct LunchTimeModel {
  int enable = -1, startHour = -1, startMinute = -1, stopHour = -1, stopMinute = -1;

  // The meter's values (reply 0x14, already brought into range).
  void apply(const LunchTimeReadback& r);
};

// The Set button's record: enable, start hour, start minute, 0, stop hour,
// stop minute, 0. Nothing (and no message) while a list shows no item.
// Start and stop may be equal or reversed; no erase check.
std::optional<LunchTimeBytes> lunchTimeRecord(const LunchTimeModel& m);

}  // namespace vkz
