// The polling loop on the main window's timers. The poll tick (Timer1,
// 200 ms) writes the status bar, asks the meter for its model (and its
// clock while the clock window is open), lists an identified meter and
// re-sends a lost data-block request. The receive tick (Timer3, every 16 ms,
// never paused) moves received bytes into the current port's buffer, counts
// the two long waits, watches the link and hands each reply frame on.
// Replies are also cut and decoded as soon as their bytes arrive (a read
// notifier on the current port), so a download runs at the line's pace
// rather than one frame per tick.
#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

#include "link/frames.h"
#include "link/porttable.h"
#include "polling/pollstate.h"
#include "polling/win/devkz.h"
#include "polling/win/download.h"
#include "polling/win/paneltimers.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/handlerstep.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

void Panel::StopTimers() {
  Timer1->stop();
  Timer2->stop();
}

void Panel::StartTimers() {
  Timer1->start();
  Timer2->start();
}

bool Panel::pollingRunning() const {
  return Timer1->isActive();
}

// Keeps the read notifier on the current port's descriptor.
void Panel::watchCurrentPort() {
  int fd = -1;
  if (PortEntry* e = CurrentEntry(State().link)) fd = State().PortApi.NativeHandle(e->PortNo);
  if (fd == failedFd_) fd = -1;
  if (fd == notifierFd_) return;
  delete notifier_;
  notifier_ = nullptr;
  notifierFd_ = fd;
  if (fd < 0) return;
  notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &Panel::receiveNow);
}

// Steps 6 to 8 of the receive tick, for one frame cut into the current
// entry's parser record.
void Panel::handleFrame() {
  PortEntry* e = CurrentEntry(State().link);
  if (!e) return;
  PollingState& ps = State().polling;
  if (e->PortReply.ReplyCode == 0) {
    ps.MeterModel = BytesToText(e->PortReply, e->PortReply.ReplyLength - 1, "chr");
    if (ps.MeterModel != ps.PrevMeterModel || ps.MeterModel.empty()) ps.ModelChanged = -1;
    ps.PrevMeterModel = ps.MeterModel;
  }
  if (ps.ModelChanged == -1) {
    ps.ModelChanged = 0;
    BuildTreeForModel();
  }
  if (isSupportedModel(ps.MeterModel)) DeVKZ418SDData();
}

void Panel::receiveNow() {
  if (inReceive_) {
    // Bytes arrived while a frame is being decoded (the decoder lets the
    // event loop turn): take them when it is done.
    receiveAgain_ = true;
    if (notifier_) notifier_->setEnabled(false);
    return;
  }
  inReceive_ = true;
  try {
    do {
      receiveAgain_ = false;
      PortEntry* e = CurrentEntry(State().link);
      if (!e) break;
      const std::size_t before = e->RxBuf.size();
      const std::int32_t n = ReadCurrentPort(State().line());
      if (n > 0) failedFd_ = -1;
      if (n < 0) {
        // The device has gone: stop watching it (the watchdog reports it).
        failedFd_ = notifierFd_;
        delete notifier_;
        notifier_ = nullptr;
        notifierFd_ = -1;
        break;
      }
      if (CurrentEntry(State().link) == e && e->RxBuf.size() > before)
        bytesSinceTick_ += static_cast<long long>(e->RxBuf.size() - before);
      const auto cur = State().link.CurPort;
      while (State().link.CurPort == cur && ParseCurrentPort(State().link) == 1) handleFrame();
    } while (receiveAgain_);
  } catch (...) {
    StartPanelTimers();
  }
  if (notifier_) notifier_->setEnabled(true);
  inReceive_ = false;
}

void Panel::Timer1_Timer() {
  if (inPoll_) return;
  inPoll_ = true;
  PollingState& ps = State().polling;
  const QDateTime now = QDateTime::currentDateTime();
  step([&] { setStatusPanelText(4, now.toString(QStringLiteral("yyyy / MM / dd   HH:mm:ss"))); });
  step([&] { setStatusPanelText(1, q(ps.MeterModel)); });
  step([&] {
    PortEntry* e = CurrentEntry(State().link);
    setStatusPanelText(3, QStringLiteral("COM  %1").arg(e ? e->PortNo : 0));
  });
  step([&] {
    if (State().flags.RTCFrmOpen != -1) return;
    if (QWidget* w = FormRegistry::findByClassName("RTCFrm"))
      if (auto* l = w->findChild<QLabel*>(QStringLiteral("PcTimeNowLbl")))
        l->setText(now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    CmdReadClock(State().line());
  });
  bool open = false;
  step([&] {
    PortEntry* e = CurrentEntry(State().link);
    if (!e) return;
    e->PortIsOpen = e->PortNo == 0 ? 0 : State().PortApi.IsOpen(e->PortNo);
    open = e->PortIsOpen == -1;
  });
  step([&] { watchCurrentPort(); });
  if (open) {
    step([] { CmdReadModel(State().line()); });
    step([&] {
      QAction* b3 = toolbarButton(3);
      if (b3 && !b3->isEnabled())
        for (int i : {3, 6, 7, 8})
          if (QAction* a = toolbarButton(i)) a->setEnabled(true);
    });
    step([&] {
      PortEntry* e = CurrentEntry(State().link);
      if (!e) return;
      if (e->MeterListed == -1) {
        IdentTicks = 0;
      } else {
        if (ps.MeterModel != LastTickModel)
          IdentTicks = 0;
        else if (IdentTicks < 32767)
          ++IdentTicks;
        if (IdentTicks > 2) {
          if (ps.MeterModel == "VKZ 418") {
            addDetectedMeter(QStringLiteral("VKZ-418:%1").arg(e->PortNo), 1, State().link.CurPort);
            e->MeterListed = -1;
          } else if (ps.MeterModel == "KRD 529") {
            addDetectedMeter(QStringLiteral("KRD 529:%1").arg(e->PortNo), 2, State().link.CurPort);
            e->MeterListed = -1;
          }
        }
      }
      LastTickModel = ps.MeterModel;
    });
  }
  step([] { DownloadPollTick(); });
  inPoll_ = false;
}

void Panel::Timer3_Timer() {
  // A receive tick that comes while frames are being decoded (the decoder
  // turns the event loop) waits for the next one.
  if (inReceive_) return;
  inReceive_ = true;
  PollingState& ps = State().polling;
  try {
    PortEntry* e = CurrentEntry(State().link);
    if (e) {
      const std::size_t before = e->RxBuf.size();
      if (ReadCurrentPort(State().line()) > 0) {
        // A device answers on this descriptor again (the port was linked
        // anew, likely under the number of the one that had gone): the next
        // poll tick watches it (the same holds for a read on arrival).
        failedFd_ = -1;
        if (CurrentEntry(State().link) == e && e->RxBuf.size() > before)
          bytesSinceTick_ += static_cast<long long>(e->RxBuf.size() - before);
      }
    }
    // The timer-write wait or the memory-list wait.
    if (ps.TimerSetPending == -1) {
      ++ps.WaitTicks;
      if (ps.WaitTicks >= 300) {
        MsgBox::show(q(State().texts.TxtSetTimerSettingTimeOut), MsgIcon::Critical);
        ps.WaitTicks = 0;
        ps.TimerSetPending = 0;
      }
    } else if (ps.MemInfoPending == -1) {
      const std::int32_t c = ps.WaitTicks;
      if (c % 10 == 0 && c <= 100) {
        if (State().flags.MemoryPanelShown == -1) {
          CmdReadMemoryListNext(State().line());
        } else {
          ps.MemInfoPending = 0;
          StartPanelTimers();
        }
      } else if (c > 200) {
        ps.WaitTicks = 0;
        MsgBox::show(q(State().texts.TxtGetMemoryInformationTimeOutError), MsgIcon::Critical);
        ps.MemInfoPending = 0;
        StartPanelTimers();
      }
      ++ps.WaitTicks;
    }
    // Link watchdog: two bytes in the buffer, or two bytes received since
    // the last tick (replies cut as they arrived), count as a live line. A
    // byte that arrived this tick is in both counts, so take the larger one.
    e = CurrentEntry(State().link);
    const long long seen = std::max(e ? static_cast<long long>(e->RxBuf.size()) : 0LL, bytesSinceTick_);
    bytesSinceTick_ = 0;
    if (seen >= 2) {
      ps.IdleTicks = 0;
      ps.LinkLost = 0;
    } else {
      if (ps.IdleTicks < 32767) ++ps.IdleTicks;
      if (ps.IdleTicks > 100) ps.LinkLost = -1;
    }
    if (ps.LinkLost == 0) {
      setStatusPanelText(2, q(State().texts.TxtConnection));
    } else if (ps.MemoryErasing == -1) {
      setStatusPanelText(2, q(State().texts.TxtErasing));
    } else {
      setStatusPanelText(2, q(State().texts.TxtDisconnection));
      if (!Timer1->isActive()) StartPanelTimers();
    }
    if (ParseCurrentPort(State().link) == 1) handleFrame();
  } catch (...) {
    StartPanelTimers();
  }
  inReceive_ = false;
  // Bytes that arrived while this tick decoded a frame (the decoder turns
  // the event loop) are taken now; this also wakes the read notifier again.
  if (receiveAgain_) receiveNow();
}

}  // namespace vkz
