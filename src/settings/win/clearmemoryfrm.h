// ClearMemoryFrm: the memory erase window. After the user confirms, the
// meter is asked to erase every stored measurement (0x0B). From then on
// until the meter reports the end of the erase ("Clear OK !!!"), the
// settings and downloads are refused with "Memory Erasing ..." and a silent
// line reads "Erasing ..." in the status bar; a meter that never reports
// it ends the wait after the poll engine's erase time-out. Polling is
// neither paused nor resumed around the request.
#pragma once
#include "base/trtext.h"
#include "settings/win/settingwindow.h"

class QPushButton;

namespace vkz {

class ClearMemoryFrm : public SettingWindow {
  Q_OBJECT
 public:
  ClearMemoryFrm();  // Form_Load

  // Asks for the confirmation and sends the erase request; nothing
  // without an identified meter of a supported model.
  void ClearBtn_Click();

  QPushButton* ClearBtn = nullptr;
  QPushButton* ExitBtn = nullptr;
};

void ApplyClearMemoryFrmText(ClearMemoryFrm& f);

// The message of an erase request that could not be written.
inline std::string eraseNotSentText() {
  return trText("Erase", "The erase request could not be sent to the meter. Nothing was erased.");
}

}  // namespace vkz
