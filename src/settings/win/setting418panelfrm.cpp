#include "settings/win/setting418panelfrm.h"

#include <QPushButton>
#include <QTimer>
#include <array>

#include "base/handlerstep.h"
#include "link/frames.h"
#include "link/porttable.h"
#include "link/win/waitseconds.h"
#include "settings/win/settingwindow.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/buttoncaption.h"
#include "ui/mainwindowhost.h"
#include "ui/placement.h"
#include "ui/qtext.h"
#include "ui/twips.h"

namespace vkz {

namespace {

// The design client area and the buttons' places, in twips.
constexpr int kClientWidth = 4485;
constexpr int kClientHeight = 6120;
constexpr int kButtonWidth = 2055;
constexpr int kButtonHeight = 855;
constexpr int kLeftColumn = 120;
constexpr int kRightColumn = 2280;
constexpr int kFirstRow = 120;
constexpr int kRowStep = 840;

// One button: its control, caption, place, and the window it opens with
// the steps of the launch sequence that differ.
struct PanelButton {
  QPushButton* Setting418PanelFrm::*control;
  const char* name;
  std::string UiText::*caption;
  int column;  // 0 left, 1 right
  int row;     // 1..7
  std::function<void()> ShellWindowOpeners::*show;
  std::int16_t WindowFlags::*selector;  // one-value settings only
  bool flush;                           // the two LCD settings
  PortResult (*request)(MeterLine);
};

using P = Setting418PanelFrm;
using O = ShellWindowOpeners;
using W = WindowFlags;
using T = UiText;

// In tab order.
const std::array<PanelButton, 13> kButtons = {{
    {&P::LcdContrastBtn, "LcdContrastBtn", &T::TxtLcdContrast, 0, 1, &O::showOneSetForm,
     &W::OneSetLcdContrast, true, &CmdReadLcdContrast},
    {&P::LcdAPOBtn, "LcdAPOBtn", &T::TxtLcdAPO, 0, 2, &O::showOneSetForm, &W::OneSetLcdAPO, true,
     &CmdReadLcdApo},
    {&P::KalvoxBtn, "KalvoxBtn", &T::TxtKalvox, 0, 3, &O::showKalvoxFrm, nullptr, false,
     &CmdReadDoseSettings},
    {&P::TimersBtn, "TimersBtn", &T::TxtTimers, 0, 4, &O::showTimerFrm, nullptr, false, &CmdReadTimers},
    {&P::ScreenBtn, "ScreenBtn", &T::TxtScreen, 0, 5, &O::showScreenFrm, nullptr, false, &CmdReadScreens},
    {&P::PauseBtn, "PauseBtn", &T::TxtPause, 1, 1, &O::showOneSetForm, &W::OneSetPause, false, &CmdReadPause},
    {&P::LEDAlarmBtn, "LEDAlarmBtn", &T::TxtLEDAlarm, 1, 2, &O::showLEDAlarmFrm, nullptr, false,
     &CmdReadLedAlarm},
    {&P::AutoLockKeypadBtn, "AutoLockKeypadBtn", &T::TxtAutoLockKeypad, 1, 3, &O::showOneSetForm,
     &W::OneSetAutoLockKeypad, false, &CmdReadKeypadLock},
    {&P::AutoScrollBtn, "AutoScrollBtn", &T::TxtAutoScrollScreens, 1, 4, &O::showOneSetForm,
     &W::OneSetAutoScroll, false, &CmdReadAutoScroll},
    {&P::WelcomInputBtn, "WelcomInputBtn", &T::TxtInputText, 1, 5, &O::showWelcomSetFrm, nullptr, false,
     &CmdReadWelcomeText},
    {&P::BtnCalibration, "BtnCalibration", &T::TxtCalibration, 0, 6, &O::showOneSetForm,
     &W::OneSetCalibration, false, &CmdReadCalibration},
    {&P::BtnLunchTime, "BtnLunchTime", &T::TxtLunchTime, 1, 6, &O::showLunchTimeFrm, nullptr, false,
     &CmdReadLunchTime},
    {&P::BtnIntervalTime, "BtnIntervalTime", &T::TxtIntervalTime, 0, 7, &O::showOneSetForm,
     &W::OneSetIntervalTime, false, &CmdReadIntervalTime},
}};

// The launch sequence of button `b`. It reaches nothing of the panel after
// its first wait: the panel may be closed while the event loop turns.
void launch(const PanelButton& b) {
  if (refuseWhileErasing()) return;
  PollPause pause(State().poll);
  step([] { CloseSettingWindows(); });
  if (b.flush) step([] { FlushCurrentPort(State().line()); });
  if (b.selector) step([&] { State().flags.*(b.selector) = -1; });
  step([&] {
    if (const auto& show = State().openers.*(b.show)) show();
  });
  step([] { WaitSeconds(0.1); });
  step([&] { b.request(State().line()); });
  step([] { WaitSeconds(0.6); });
}

}  // namespace

void CloseSettingWindows() {
  RunCloseOrder(CheckPanelFlageOrder(), State().flags, [](WindowId w) {
    const bool loaded = FormRegistry::unloadByClassName(WindowClassName(w));
    // A selector without its window loaded says nothing any more: clear it
    // as the window's unload would, so no later reply lands in the list of
    // another setting.
    if (!loaded && w == WindowId::OneSetForm) State().flags.clearOneSetSelectors();
  });
}

Setting418PanelFrm::Setting418PanelFrm() : FormWindow(&State().flags.Setting418PanelFrmOpen) {
  setObjectName(QStringLiteral("Setting418PanelFrm"));
  setWindowFlags(Qt::Window);
  setFixedSize(pxX(kClientWidth), pxY(kClientHeight));
  QWidget* previous = nullptr;
  for (const PanelButton& b : kButtons) {
    const int left = b.column == 0 ? kLeftColumn : kRightColumn;
    QPushButton* button = makeButton(this, QString::fromLatin1(b.name), left,
                                     kFirstRow + (b.row - 1) * kRowStep, kButtonWidth, kButtonHeight);
    this->*(b.control) = button;
    connect(button, &QPushButton::clicked, this, [&b] { launch(b); });
    if (previous) setTabOrder(previous, button);
    previous = button;
  }
  // Placed once, at the main window's right edge where the screen has room
  // for it, else inside the screen over the main window; later moves of the
  // main window leave it where it is.
  step([&] {
    if (MainWindowHost* m = State().mainWindow ? State().mainWindow() : nullptr)
      placeWindow(this, m->frameTopLeft() + QPoint(m->frameWidth(), 0), m->frameTopLeft());
  });
  ApplySetting418PanelFrmText(*this);
}

void Setting418PanelFrm::Form_Unload() {
  FormWindow::Form_Unload();
  step([] { CloseSettingWindows(); });
}

namespace {
// Tells the main window that `panel` stands over it (none: nullptr).
void tellMainWindow(const QWidget* panel) {
  if (MainWindowHost* m = State().mainWindow ? State().mainWindow() : nullptr)
    m->keepClientAreaClearOf(panel);
}
}  // namespace

void Setting418PanelFrm::moveEvent(QMoveEvent* e) {
  FormWindow::moveEvent(e);
  if (isVisible()) tellMainWindow(this);
}

void Setting418PanelFrm::showEvent(QShowEvent* e) {
  FormWindow::showEvent(e);
  tellMainWindow(this);
  // The window system may frame the panel only once the event loop turns,
  // which moves no part of it the main window sees: tell it again then.
  QTimer::singleShot(0, this, [this] {
    if (isVisible()) tellMainWindow(this);
  });
}

void Setting418PanelFrm::hideEvent(QHideEvent* e) {
  FormWindow::hideEvent(e);
  tellMainWindow(nullptr);
}

void Setting418PanelFrm::checkpanelflage() {
  CloseSettingWindows();
}

void Setting418PanelFrm::LcdContrastBtn_Click() {
  launch(kButtons[0]);
}
void Setting418PanelFrm::LcdAPOBtn_Click() {
  launch(kButtons[1]);
}
void Setting418PanelFrm::KalvoxBtn_Click() {
  launch(kButtons[2]);
}
void Setting418PanelFrm::TimersBtn_Click() {
  launch(kButtons[3]);
}
void Setting418PanelFrm::ScreenBtn_Click() {
  launch(kButtons[4]);
}
void Setting418PanelFrm::PauseBtn_Click() {
  launch(kButtons[5]);
}
void Setting418PanelFrm::LEDAlarmBtn_Click() {
  launch(kButtons[6]);
}
void Setting418PanelFrm::AutoLockKeypadBtn_Click() {
  launch(kButtons[7]);
}
void Setting418PanelFrm::AutoScrollBtn_Click() {
  launch(kButtons[8]);
}
void Setting418PanelFrm::WelcomInputBtn_Click() {
  launch(kButtons[9]);
}
void Setting418PanelFrm::BtnCalibration_Click() {
  launch(kButtons[10]);
}
void Setting418PanelFrm::BtnLunchTime_Click() {
  launch(kButtons[11]);
}
void Setting418PanelFrm::BtnIntervalTime_Click() {
  launch(kButtons[12]);
}

void ApplySetting418PanelFrmText(Setting418PanelFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(q(t.TxtSettingPanel));
  for (const PanelButton& b : kButtons) setButtonCaption(f.*(b.control), q(t.*(b.caption)));
}

void ShowSetting418PanelFrm() {
  Setting418PanelFrm* f = FormRegistry::get<Setting418PanelFrm>();
  f->show();
  f->raise();
  f->activateWindow();
}

}  // namespace vkz
