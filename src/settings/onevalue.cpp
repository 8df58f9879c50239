#include "settings/onevalue.h"

#include "polling/readbacks.h"
#include "base/numfmt.h"

namespace vkz {
namespace {

constexpr std::int32_t kIntervalSeconds[kIntervalItems] = {60, 300, 600, 1800, 3600, 7200};

int itemCount(OneSetting s) {
  switch (s) {
    case OneSetting::LcdAPO:
      return kApoItems;
    case OneSetting::LcdContrast:
      return kContrastItems;
    case OneSetting::Calibration:
      return kCalibrationItems;
    case OneSetting::IntervalTime:
      return kIntervalItems;
    default:
      return kOnOffItems;
  }
}

// A calibration item's level x 10, read from its text in the user's decimal
// mark, so that what is shown and what is sent cannot disagree.
std::optional<std::int32_t> calibrationValue(int position) {
  if (position == kCalibrationItems - 1) return 0;  // "OFF", known by its place
  const auto level = parseNumber(calibrationItemText(position));
  if (!level) return std::nullopt;
  return static_cast<std::int32_t>(roundHalfEven(*level * 10.0));
}

}  // namespace

std::optional<OneSetting> oneSettingOf(const WindowFlags& f) {
  const std::pair<std::int16_t, OneSetting> order[] = {
      {f.OneSetAutoLockKeypad, OneSetting::AutoLockKeypad},
      {f.OneSetAutoScroll, OneSetting::AutoScroll},
      {f.OneSetLcdAPO, OneSetting::LcdAPO},
      {f.OneSetLcdContrast, OneSetting::LcdContrast},
      {f.OneSetPause, OneSetting::Pause},
      {f.OneSetCalibration, OneSetting::Calibration},
      {f.OneSetIntervalTime, OneSetting::IntervalTime},
  };
  for (auto [flag, setting] : order)
    if (flag == -1) return setting;
  return std::nullopt;
}

std::string oneSetCaption(OneSetting s, const UiText& t) {
  switch (s) {
    case OneSetting::AutoLockKeypad:
      return t.TxtAutoLockKeypad;
    case OneSetting::AutoScroll:
      return t.TxtAutoScrollScreens;
    case OneSetting::LcdAPO:
      return t.TxtLcdAPO;
    case OneSetting::LcdContrast:
      return t.TxtLcdContrast;
    case OneSetting::Pause:
      return t.TxtPause;
    case OneSetting::Calibration:
      return t.TxtCalibration;
    case OneSetting::IntervalTime:
      break;
  }
  return t.TxtIntervalTime;
}

std::vector<std::string> oneSetItems(OneSetting s, const UiText& t) {
  std::vector<std::string> items;
  switch (s) {
    case OneSetting::LcdAPO:
      return {t.TxtOFF, t.Txt5Sec, t.Txt10Sec, t.Txt20Sec, t.Txt1Min, t.Txt5Min};
    case OneSetting::LcdContrast:
      for (int i = 1; i <= kContrastItems; ++i) items.push_back(std::to_string(i));
      return items;
    case OneSetting::Calibration:
      // The last item is the fixed "OFF", whatever the language.
      for (int p = 0; p < kCalibrationItems; ++p) items.push_back(calibrationItemText(p));
      return items;
    case OneSetting::IntervalTime:
      return {t.Txt1Min, t.Txt5Min, t.Txt10Min, t.Txt30Min, t.Txt1Hr, t.Txt2Hr};
    default:
      return {t.TxtOFF, t.TxtON};
  }
}

std::uint8_t oneSetWriteCode(OneSetting s) {
  switch (s) {
    case OneSetting::AutoLockKeypad:
      return 0x88;
    case OneSetting::AutoScroll:
      return 0x89;
    case OneSetting::LcdAPO:
      return 0x83;
    case OneSetting::LcdContrast:
      return 0x81;
    case OneSetting::Pause:
      return 0x86;
    case OneSetting::Calibration:
      return 0x8F;
    case OneSetting::IntervalTime:
      break;
  }
  return 0x91;
}

SetOutcome<std::int32_t> oneSet(OneSetting s, int p, const UiText& t, bool memoryErasing) {
  using Out = SetOutcome<std::int32_t>;
  if (memoryErasing) return Out::refuse(t.TxtMemoryErasing);
  if (p < 0 || p >= itemCount(s)) return Out::refuse(t.TxtSetError);
  switch (s) {
    case OneSetting::LcdContrast:
      return Out::accept((p + 1) * 4);  // the meter counts contrast in steps of 4
    case OneSetting::Calibration:
      if (auto v = calibrationValue(p)) return Out::accept(*v);
      return Out::refuse(t.TxtSetError);
    case OneSetting::IntervalTime:
      return Out::accept(kIntervalSeconds[p]);
    default:
      return Out::accept(p);
  }
}

}  // namespace vkz
