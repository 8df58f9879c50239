#include "settings/lunchtime.h"

namespace vkz {
namespace {

std::vector<std::string> counting(int count) {
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) items.push_back(std::to_string(i));
  return items;
}

bool inList(int position, int count) {
  return position >= 0 && position < count;
}

}  // namespace

std::vector<std::string> lunchEnableItems(const UiText& t) {
  return {t.TxtDisabled, t.TxtEnabled};
}
std::vector<std::string> lunchHourItems() {
  return counting(24);
}
std::vector<std::string> lunchMinuteItems() {
  return counting(60);
}

void LunchTimeModel::apply(const LunchTimeReadback& r) {
  enable = r.enable;
  startHour = r.startHour;
  startMinute = r.startMinute;
  stopHour = r.stopHour;
  stopMinute = r.stopMinute;
}

std::optional<LunchTimeBytes> lunchTimeRecord(const LunchTimeModel& m) {
  if (!inList(m.enable, 2) || !inList(m.startHour, 24) || !inList(m.startMinute, 60) ||
      !inList(m.stopHour, 24) || !inList(m.stopMinute, 60))
    return std::nullopt;
  return LunchTimeBytes{m.enable, m.startHour, m.startMinute, 0, m.stopHour, m.stopMinute, 0};
}

}  // namespace vkz
