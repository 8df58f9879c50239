// OneSetForm: the one-value settings window. Seven settings of the meter
// are one pick from a short list: the automatic keypad lock, the automatic
// scrolling of its screens, the LCD auto power-off, the LCD contrast,
// pause, the calibration level and the logging interval. One window serves
// them all: its opener sets the selector flag of one setting before it
// shows the window, which then shows that setting's caption and list; its
// unload clears all seven selectors.
#pragma once
#include <optional>

#include "polling/readbackviews.h"
#include "settings/onevalue.h"
#include "settings/win/settingwindow.h"

class QComboBox;
class QPushButton;

namespace vkz {

class OneSetForm : public SettingWindow, public OneValueView {
  Q_OBJECT
 public:
  OneSetForm();  // Form_Load: the setting whose selector is set
  void Form_Unload() override;

  // Writes the picked value of the setting the selectors name; refused
  // while an erase of the meter's memory is pending; "Set Error !!!" when
  // the list shows no item.
  void SetBtn_Click();

  // OneValueView: the meter's value of the setting as a list position.
  bool showValue(int position) override;

  QComboBox* SetCbx = nullptr;
  QPushButton* SetBtn = nullptr;
};

void ApplyOneSetFormText(OneSetForm& f);

}  // namespace vkz
