// ComPortSetFrm: the port selection window. The user picks a serial port
// (from all 256 names or from the ports an automatic scan found), confirms
// the meter model and presses OK, which opens the port at the meter's line
// settings, adds it to the port table and makes it the current port.
// Shown modally at start-up and from the toolbar.
#pragma once
#include <QDialog>

#include "ui/formwindow.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace vkz {

class ComPortAPI;

class ComPortSetFrm : public FormWindow<QDialog> {
  Q_OBJECT
 public:
  ComPortSetFrm();  // Form_Load
  void Form_Resize() override;

  void LinkBtn_Click();
  void PortResetBtn_Click();
  void PortScanBtn_Click();
  void DeviceManager_Click();
  // The Escape key: closes the window like its close box (links nothing).
  void reject() override;

  QWidget* ComPortPic = nullptr;
  QPushButton* PortScanBtn = nullptr;
  QPushButton* PortResetBtn = nullptr;
  QPushButton* DeviceManager = nullptr;
  QLabel* DeviceLbl = nullptr;
  QComboBox* DeviceSelCbx = nullptr;
  QLabel* ComPortLbl = nullptr;
  QComboBox* ComPortCbx = nullptr;
  QPushButton* LinkBtn = nullptr;
  QProgressBar* ScanProgressBar = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  bool scanning_ = false;
};

// Captions of the window from the user-interface texts.
void ApplyComPortSetFrmText(ComPortSetFrm& f);

// Probes ports 1..256 with `api`: lists in `portList` ("COM  n") every port
// the system lets the program open (a port this program already holds is
// neither listed nor closed), and shows the progress in `progressBar`. No
// byte is written and the port table is not touched. The event loop turns
// between probes (without user input) so the progress shows.
void ScanPorts(ComPortAPI& api, QComboBox* portList, QProgressBar* progressBar);

// Loads the window and shows it modally; returns when it is closed.
void ShowComPortSetFrm();

}  // namespace vkz
