// The meter's own texts: its name (11 characters written, 12 read back) and
// its welcome text (three lines of 12). The meter keeps one byte per
// character in code page 1252; a character without a byte there is refused
// by name before anything is sent, never replaced or cut to its low byte.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/setoutcome.h"

namespace vkz {

// The access code of the hidden meter-name panel.
inline constexpr std::string_view kMeterNameCode = "857";
inline constexpr std::size_t kMeterNameWriteLength = 11;  // characters written (12 are read back)
inline constexpr std::size_t kWelcomeLineLength = 12;

// The double click's test: the typed text holds the code anywhere (case
// and all) and a supported meter is identified.
bool meterNameAccess(std::string_view typed, std::string_view meterModel);

// A text (UTF-8) as code page 1252 bytes, one per character; a refusal
// naming the first character that has no byte.
SetOutcome<std::vector<std::uint8_t>> meterTextBytes(std::string_view utf8);

// The name Set: the text padded with blanks to 11 characters (what the box
// shows afterwards) and the 11 bytes sent; of a longer text the first 11.
struct MeterNameWrite {
  std::string shown;
  std::vector<std::uint8_t> bytes;
};
SetOutcome<MeterNameWrite> meterNameSet(std::string_view text);

// The welcome text Set: each line padded with blanks to 12 characters (cut
// to 12 if longer; what the boxes show afterwards) and the 36 bytes sent,
// line 0 first.
struct WelcomeTextWrite {
  std::array<std::string, 3> shown;
  std::vector<std::uint8_t> bytes;
};
SetOutcome<WelcomeTextWrite> welcomeTextSet(const std::array<std::string, 3>& lines);

}  // namespace vkz
