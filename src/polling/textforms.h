// The text forms in which the meter's numbers are shown: plain decimals,
// levels in 0.1 dB steps, energies, durations, clock times and date-times.
// All exact integer arithmetic (no binary fractions), with the user's
// decimal separator (base/numfmt.h).
#pragma once
#include <cstdint>
#include <string>

namespace vkz {

// 1250 -> "1250".
std::string decimalText(std::int64_t v);
// Tenths: 853 -> "85.3", 0 -> "0.0", 32767 -> "3276.7" ("0.0" pattern).
std::string tenthsText(std::int64_t tenths);
// Pa²s -> Pa²h with three decimals, a half away from zero: 7200 -> "2.000".
std::string energyText(std::int64_t pa2s);
// Seconds as "00:00:00" with hours of two digits at least: 3725 ->
// "01:02:05", 360000 -> "100:00:00".
std::string durationText(std::int64_t seconds);
// Seconds as "h:00:00" with plain hours: 3725 -> "1:02:05", 45 -> "0:00:45".
std::string clockText(std::int64_t seconds);
// "yyyy/mm/dd hh:nn:ss" with `gap` between date and time (one blank in the
// header and the record grid, two in the memory list).
std::string dateTimeText(int year, int month, int day, int hour, int minute, int second,
                         const char* gap = " ");

// Civil date-time arithmetic for record times (proleptic Gregorian).
struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// Reads "yyyy/mm/dd hh:nn:ss" (the form dateTimeText writes) into `out`;
// false, `out` untouched, when the text is not a valid date and time.
bool parseDateTime(const std::string& text, DateTime& out);
// Adds seconds (may be large) to a valid date-time; a year beyond the
// reach of int is clamped to +-99999.
DateTime addSeconds(const DateTime& t, std::int64_t seconds);

}  // namespace vkz
