// The seven settings that are one choice from a short list, edited one at a
// time in one window: which one is told by the seven selector flags.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/setoutcome.h"
#include "shell/flags.h"
#include "shell/uitext.h"

namespace vkz {

// In the order the selector flags are tested.
enum class OneSetting { AutoLockKeypad, AutoScroll, LcdAPO, LcdContrast, Pause, Calibration, IntervalTime };

// The setting whose selector is -1 (the first in the order above), if any.
std::optional<OneSetting> oneSettingOf(const WindowFlags& f);

// The window caption, the list items (position 0 first) and the code of the
// write request of each setting.
//   keypad lock, auto scroll, pause  "OFF", "ON"                      0x88, 0x89, 0x86
//   LCD auto power-off               "OFF", "5 Sec" .. "5 Min"       0x83
//   LCD contrast                     "1" .. "10"                      0x81
//   calibration                      93.0 .. 95.9, 113.0 .. 115.9 in the
//                                    user's decimal mark, then "OFF"  0x8F
//   logging interval                 "1 Min" .. "2 Hr"                0x91
std::string oneSetCaption(OneSetting s, const UiText& t);
std::vector<std::string> oneSetItems(OneSetting s, const UiText& t);
std::uint8_t oneSetWriteCode(OneSetting s);

// The value the Set button sends for list position p: the position itself
// for the on/off lists and the power-off delay; (p + 1) x 4 for the
// contrast; the level x 10 for the calibration (930..959, 1130..1159; 0 for
// "OFF"); the seconds for the logging interval (60 .. 7200). An erase
// pending refuses with "Memory Erasing ..."; a position that is no item
// (nothing selected) with "Set Error !!!" from the text table, and nothing
// is sent (the logging interval keeps its last value).
SetOutcome<std::int32_t> oneSet(OneSetting s, int position, const UiText& t, bool memoryErasing);

}  // namespace vkz
