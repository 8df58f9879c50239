// Setting418PanelFrm: the setting panel, a small top-level window of
// thirteen buttons, one per group of meter settings, placed once at the
// main window's right edge. Each button opens the setting window of its
// group through the launch sequence every setting window shares:
//
//   1. while an erase of the meter's memory is pending: "Memory Erasing ..."
//      and nothing else;
//   2. pause polling;  3. close the open setting windows (checkpanelflage);
//   4. the two LCD buttons: discard what the port holds;
//   5. a one-value setting: set its selector flag (after step 3, whose
//      closing of the one-value window clears every selector);
//   6. show the window (loading it when it is not loaded);
//   7. wait 0.1 s;  8. send the group's read request;
//   9. wait 0.6 s, while the reply is decoded into the window;
//  10. resume polling.
//
// A step that fails is passed over, so polling is always resumed. The
// windows are opened through the shell's openers (State().openers), so the
// panel opens whichever setting windows the program has installed.
#pragma once
#include <QWidget>

#include "ui/formwindow.h"

class QPushButton;

namespace vkz {

class Setting418PanelFrm : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  Setting418PanelFrm();  // Form_Load
  void Form_Unload() override;

  // Unloads every window whose open flag (or one-value selector) is set,
  // in the closing order of the setting windows; leaves the panel, the
  // main window's memory panel, the port window and the measurement
  // windows alone.
  void checkpanelflage();

  void LcdContrastBtn_Click();
  void LcdAPOBtn_Click();
  void KalvoxBtn_Click();
  void TimersBtn_Click();
  void ScreenBtn_Click();
  void PauseBtn_Click();
  void LEDAlarmBtn_Click();
  void AutoLockKeypadBtn_Click();
  void AutoScrollBtn_Click();
  void WelcomInputBtn_Click();
  void BtnCalibration_Click();
  void BtnLunchTime_Click();
  void BtnIntervalTime_Click();

  QPushButton* LcdContrastBtn = nullptr;
  QPushButton* LcdAPOBtn = nullptr;
  QPushButton* KalvoxBtn = nullptr;
  QPushButton* TimersBtn = nullptr;
  QPushButton* ScreenBtn = nullptr;
  QPushButton* PauseBtn = nullptr;
  QPushButton* LEDAlarmBtn = nullptr;
  QPushButton* AutoLockKeypadBtn = nullptr;
  QPushButton* AutoScrollBtn = nullptr;
  QPushButton* WelcomInputBtn = nullptr;
  QPushButton* BtnCalibration = nullptr;
  QPushButton* BtnLunchTime = nullptr;
  QPushButton* BtnIntervalTime = nullptr;

 protected:
  // The main window keeps its client area, where the setting windows open,
  // clear of the panel: told whenever the panel comes, goes or moves.
  void moveEvent(QMoveEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
};

void ApplySetting418PanelFrmText(Setting418PanelFrm& f);

// Shows the setting panel, modeless and without an owner, loading it when
// it is not loaded (the main window has closed every window before).
void ShowSetting418PanelFrm();

// The setting panel's closing of the setting windows (checkpanelflage),
// for callers without the panel.
void CloseSettingWindows();

}  // namespace vkz
