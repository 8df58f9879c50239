#include "settings/ledalarm.h"

#include "settings/boxvalue.h"

namespace vkz {
namespace {

using T = UiText;
constexpr std::string UiText::*kNames[kAlarmQuantities] = {
    &T::TxtLAS,  &T::TxtLAEQ, &T::TxtLCPK,  &T::TxtLZPK,  &T::TxtLAVG,   &T::TxtTWA,
    &T::TxtPTWA, &T::TxtLEPd, &T::TxtPLEPd, &T::TxtLEX8H, &T::TxtPLEX8H,
};

bool outside(const std::string& box) {
  const double v = boxValue(box);
  return v < kAlarmMin || v > kAlarmMax;
}

}  // namespace

std::string alarmname(int index, const UiText& t) {
  if (index < 0 || index >= kAlarmQuantities) return {};
  return t.*kNames[index];
}

std::vector<std::string> ledAlarmEnableItems(const UiText& t) {
  return {t.TxtOFF, t.TxtON};
}

LedAlarmModel::LedAlarmModel() {
  lower.fill("80");
  upper.fill("120");
}

void LedAlarmModel::apply(const LedAlarmReadback& r) {
  for (std::size_t q = 0; q < kAlarmQuantities; ++q) {
    if (r.upper[q]) upper[q] = *r.upper[q];
    if (r.lower[q]) lower[q] = *r.lower[q];
  }
  enable = r.enablePosition;
}

SetOutcome<LedAlarmSetting> ledAlarmSet(const LedAlarmModel& m, const UiText& t, bool memoryErasing) {
  using Out = SetOutcome<LedAlarmSetting>;
  if (memoryErasing) return Out::refuse(t.TxtMemoryErasing);
  for (int q = 0; q < kAlarmQuantities; ++q) {
    const auto at = static_cast<std::size_t>(q);
    // The range messages begin with a blank: "LAS Lower Limit Range : ...".
    if (outside(m.lower[at])) return Out::refuse(alarmname(q, t) + t.TxtLowerLimitRange);
    if (outside(m.upper[at])) return Out::refuse(alarmname(q, t) + t.TxtUpperLimitRange);
  }
  // Without the meter's reply the switch shows nothing; sending the last
  // record's switch instead would turn the alarm on or off unasked.
  if (m.enable < 0 || m.enable > 1) return Out::refuse(nothingSelected(t.TxtEnabled));
  LedAlarmSetting r;
  r.AlarmEnable = m.enable;
  for (std::size_t q = 0; q < kAlarmQuantities; ++q) {
    r.AlarmLower[q] = boxInt(m.lower[q]);
    r.AlarmUpper[q] = boxInt(m.upper[q]);
  }
  return Out::accept(r);
}

}  // namespace vkz
