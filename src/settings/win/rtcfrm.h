// RTCFrm: the clock window. The computer's date and time beside the
// meter's, both refreshed on every poll tick while the window is open (the
// poll tick writes the computer's time and asks for the meter's; the
// decoder writes the meter's answer), and a Set that sets the meter's clock
// to the computer time shown.
#pragma once
#include <string>

#include "base/trtext.h"
#include "polling/readbackviews.h"
#include "settings/win/settingwindow.h"

class QLabel;
class QPushButton;

namespace vkz {

class RTCFrm : public SettingWindow, public ClockView {
  Q_OBJECT
 public:
  RTCFrm();  // Form_Load

  // Sends the computer time that PcTimeNowLbl shows (the time of the last
  // poll tick) as the meter's clock. A label that holds no date and time
  // yet sends nothing and says so.
  void RTCSetBtn_Click();

  // ClockView: the two labels.
  void showMeterTime(const std::string& text) override;
  void showPcTime(const std::string& text) override;

  QLabel* PcTimeLbl = nullptr;
  QLabel* PcTimeNowLbl = nullptr;
  QLabel* MeterTimeLbl = nullptr;
  QLabel* MeterTimeNowLbl = nullptr;
  QPushButton* RTCSetBtn = nullptr;
  QPushButton* ExitBtn = nullptr;
};

void ApplyRTCFrmText(RTCFrm& f);

// The message of a Set while the computer time is not shown yet.
inline std::string noPcTimeText() {
  return trText("Clock", "The computer time is not shown yet: the meter clock was not set.");
}

}  // namespace vkz
