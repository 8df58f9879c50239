// The main window's side of the polling loop: its timers and its read
// notifier call the poll engine (polling/pollloop.h), and the engine shows
// what it must through the window. The poll tick (Timer1, 200 ms) and its
// companion Timer2 follow the engine's pause and resume; the receive timer
// (Timer3) runs out when the engine asked it to, and the engine counts the
// receive ticks (16 ms each) that have passed from the monotonic clock.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTimer>

#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

void Panel::Timer1_Timer() {
  State().poll.tick1();
}

void Panel::receiveNow() {
  State().poll.bytesArrived();
}

void Panel::receiveTimerRanOut() {
  State().poll.receiveTimer();
}

void Panel::scheduleReceive(int ms) {
  if (frozen_ || ms < 0)
    Timer3->stop();
  else
    Timer3->start(ms);
}

bool Panel::pollingRunning() const {
  return State().poll.running();
}

void Panel::pollingSwitched(bool running) {
  if (running) {
    Timer1->start();
    Timer2->start();
  } else {
    Timer1->stop();
    Timer2->stop();
  }
}

void Panel::watchPort(int handle, bool enabled) {
  if (handle != notifierFd_) {
    delete notifier_;
    notifier_ = nullptr;
    notifierFd_ = handle;
    if (handle >= 0) {
      notifier_ = new QSocketNotifier(handle, QSocketNotifier::Read, this);
      connect(notifier_, &QSocketNotifier::activated, this, &Panel::receiveNow);
    }
  }
  if (notifier_) notifier_->setEnabled(enabled);
}

void Panel::setStatusText(int panel, const std::string& text) {
  // The engine writes the same link state at every receive tick.
  const QString t = q(text);
  if (statusPanelText(panel) != t) setStatusPanelText(panel, t);
}

void Panel::enableMeterActions() {
  QAction* b3 = toolbarButton(3);
  if (b3 && !b3->isEnabled())
    for (int i : {3, 6, 7, 8})
      if (QAction* a = toolbarButton(i)) a->setEnabled(true);
}

void Panel::addDetectedMeter(const std::string& text, int icon, int portIndex) {
  addDetectedMeter(q(text), icon, portIndex);
}

void Panel::showMessage(const std::string& text, MessageIcon icon) {
  MsgBox::show(q(text), icon == MessageIcon::Critical ? MsgIcon::Critical : MsgIcon::None);
}

void Panel::showMemorySize(std::int32_t total, std::int32_t remain) {
  TotalSizeNumLbl->setText(QString::number(total));
  RemainSizeNumLbl->setText(QString::number(remain));
}

void Panel::setMemoryMessage(const std::string& text) {
  MemoryMessageLbl->setText(q(text));
}

void Panel::addMemoryListRow(const std::string& tabText, std::int32_t row, bool first) {
  if (first) MSFlexGrid1->setRows(1);
  MSFlexGrid1->AddItem(q(tabText));
  MSFlexGrid1->setRow(row);
}

bool Panel::meterNameShown() const {
  return !SNPic->isHidden();
}

void Panel::showMeterName(const std::string& name) {
  SNTxt->setText(q(name));
}

}  // namespace vkz
