// LunchTimeFrm: the lunch-time window. The meter leaves the time between a
// start and a stop time of day out of its count when the exclusion is
// enabled. Five lists: enabled, start hour and minute, stop hour and
// minute; Set writes them as the 7-byte lunch-time record (0x90). Start and
// stop may be equal or reversed; the write is not refused while an erase
// is pending.
#pragma once
#include "polling/readbackviews.h"
#include "settings/lunchtime.h"
#include "settings/win/settingwindow.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace vkz {

class LunchTimeFrm : public SettingWindow, public LunchTimeView {
  Q_OBJECT
 public:
  LunchTimeFrm();  // Form_Load

  // Packs LunchTimeRecord from the five lists and writes it; a list that
  // shows no item sends nothing (no message), polling resumes either way.
  void BtnSet_Click();

  // LunchTimeView: the meter's reply 0x14.
  void showLunchTime(const LunchTimeReadback& lunch) override;

  // The list positions as they stand.
  LunchTimeModel entries() const;

  QLabel* LblEn = nullptr;
  QComboBox* CbxEn = nullptr;
  QGroupBox *FrmStart = nullptr, *FrmStop = nullptr;
  QLabel *LblStartHour = nullptr, *LblStartMinute = nullptr, *LblStopHour = nullptr, *LblStopMinute = nullptr;
  QComboBox *CbxStartHour = nullptr, *CbxStartMinute = nullptr, *CbxStopHour = nullptr,
            *CbxStopMinute = nullptr;
  QPushButton* BtnSet = nullptr;
  QPushButton* BtnExit = nullptr;
};

void ApplyLunchTimeFrmText(LunchTimeFrm& f);

}  // namespace vkz
