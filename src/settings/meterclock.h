// Setting the meter's clock to the computer's: the clock window's Set takes
// the computer time its label shows ("yyyy/mm/dd hh:nn:ss", written on every
// poll tick) and sends it field by field.
#pragma once
#include <optional>
#include <string_view>

#include "link/settingblocks.h"

namespace vkz {

// The clock block from the label's fixed places: year at characters 1-4,
// month 6-7, day 9-10, hour 12-13, minute 15-16, second 18-19 (one
// separator between fields, whichever). Nothing when the label does not
// hold digits at all of these places (empty before the first poll tick, or
// any other text) or they are no real date and time (0000/00/00, a 31st of
// April, 24:00:00): the meter is then not set to a clock it cannot keep.
std::optional<MeterClock> clockFromPcTimeLabel(std::string_view label);

}  // namespace vkz
