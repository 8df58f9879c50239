// LEDAlarmFrm: the LED alarm window. The meter lights its LED when one of
// eleven quantities (LAS, LAEQ, LCPK, LZPK, LAVG, TWA, PTWA, LEPd, PLEPd,
// LEX8H, PLEX8H) leaves its window of levels: a switch, and a lower and an
// upper limit in whole dB for each quantity, each within 70 to 140. Set
// checks the limits quantity by quantity, lower before upper, and writes
// the switch and the limits (0x87, upper before lower in every group).
#pragma once
#include <array>
#include <string>

#include "polling/readbackviews.h"
#include "settings/ledalarm.h"
#include "settings/win/settingwindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vkz {

class LEDAlarmFrm : public SettingWindow, public LedAlarmView {
  Q_OBJECT
 public:
  LEDAlarmFrm();  // Form_Load

  // Checks the limits, packs LedAlarmRecord and writes it; refused while
  // an erase of the meter's memory is pending, and until the switch shows
  // a value.
  void LEDAlarmBtn_Click();

  // The display name of quantity `index` (0..10), empty for any other.
  std::string alarmname(int index) const;

  // LedAlarmView: the meter's reply 0x07.
  void showLedAlarm(const LedAlarmReadback& alarm) override;

  // The entries as they stand.
  LedAlarmModel entries() const;

  QLabel *EnabledLbl = nullptr, *LowerLimitLbl = nullptr, *UpperLimitLbl = nullptr;
  QComboBox* EnabledCbx = nullptr;
  // LasLbl, LaeqLb, LcpkLb, LzpkLb, LavgLbl, TwaLbl, PtwaLbl, LepdLbl,
  // PLepdLbl, Lex8hLbl, Plex8hLbl.
  std::array<QLabel*, kAlarmQuantities> QuantityLbl{};
  std::array<QLineEdit*, kAlarmQuantities> LowerTxt{}, UpperTxt{};
  QPushButton* LEDAlarmBtn = nullptr;
  QPushButton* ExitBtn = nullptr;
};

void ApplyLEDAlarmFrmText(LEDAlarmFrm& f);

}  // namespace vkz
