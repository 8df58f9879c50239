#include "settings/meterclock.h"

namespace vkz {

namespace {

bool leapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// A real date and time of day: the meter keeps whatever it is sent.
bool validClock(const int v[6]) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int year = v[0], month = v[1], day = v[2];
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  const int days = kDays[month - 1] + (month == 2 && leapYear(year) ? 1 : 0);
  return day <= days && v[3] <= 23 && v[4] <= 59 && v[5] <= 59;
}

}  // namespace

std::optional<MeterClock> clockFromPcTimeLabel(std::string_view label) {
  // 0-based start and width of each field.
  constexpr std::size_t kAt[6][2] = {{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}};
  int v[6] = {};
  for (int f = 0; f < 6; ++f) {
    for (std::size_t i = kAt[f][0]; i < kAt[f][0] + kAt[f][1]; ++i) {
      if (i >= label.size() || label[i] < '0' || label[i] > '9') return std::nullopt;
      v[f] = v[f] * 10 + (label[i] - '0');
    }
  }
  if (!validClock(v)) return std::nullopt;
  return MeterClock{v[0], v[1], v[2], v[3], v[4], v[5]};
}

}  // namespace vkz
