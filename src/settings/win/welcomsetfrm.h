// WelcomSetFrm: the welcome-text window. The meter shows a welcome text of
// three lines of twelve characters, one byte per character in code page
// 1252. Set pads each line with blanks to twelve (the boxes show the
// blanks afterwards) and writes the 36 bytes (0x8D); a character the meter
// cannot show is refused by name and nothing is sent. The write is not
// refused while an erase is pending.
#pragma once
#include <array>

#include "polling/readbackviews.h"
#include "settings/win/settingwindow.h"

class QLineEdit;
class QPushButton;

namespace vkz {

class WelcomSetFrm : public SettingWindow, public WelcomeTextView {
  Q_OBJECT
 public:
  WelcomSetFrm();  // Form_Load

  void SetBtn_Click();

  // WelcomeTextView: the meter's reply 0x10.
  void showWelcomeText(const std::array<std::string, 3>& lines) override;

  std::array<QLineEdit*, 3> WelLineTxt{};
  QPushButton* SetBtn = nullptr;
  QPushButton* ExitBtn = nullptr;
};

void ApplyWelcomSetFrmText(WelcomSetFrm& f);

}  // namespace vkz
