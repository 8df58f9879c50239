// Number <-> text conversions used everywhere: the format patterns of the
// old platform ("0", "00", "0000", "0.0", "0.000") and number reading.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vkz {

// The decimal separator of the user's regional settings; '.' until the
// program sets it at start-up. Tests keep '.'.
char decimalSeparator();
void setDecimalSeparator(char c);

// Formats v by a pattern of '0' digits with an optional '.' and decimals:
// "00" -> at least two integer digits, "0.0" -> one decimal. Rounds half
// away from zero, as the old Format did. The separator is decimalSeparator()
// unless `sep` is given.
std::string formatPattern(double v, std::string_view pattern, char sep = 0);

// Rounding "a half to the even neighbour" (the old CInt/CLng/Round).
double roundHalfEven(double v);

// Reads a whole text as a number (leading/trailing blanks allowed; '.' or
// decimalSeparator() as separator). nullopt when the text is not a number.
std::optional<double> parseNumber(std::string_view text);

// The old Val(): reads the longest leading number ("12abc" -> 12, "" -> 0).
double val(std::string_view text);

}  // namespace vkz
