// The port the engine watches for arriving bytes, and a port whose device
// went away (an adapter pulled out, the far end of a pseudo-terminal gone):
// closed, so nothing is written to a dead port, the link shown lost, and
// opened again in its own entry of the port table when the device it was
// opened from is back, until the user links a port again.
#include <algorithm>
#include <filesystem>

#include "link/porttable.h"
#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {

// ---- the read notifier's port --------------------------------------------------

void PollLoop::setWatch(int handle, bool enabled) {
  watchedHandle_ = handle;
  watchOn_ = handle >= 0 && enabled;
  if (PollView* v = view()) v->watchPort(handle, watchOn_);
}

void PollLoop::watchCurrentPort() {
  PortEntry* cur = CurrentEntry(r_.link);
  // The line thread reads the port of the download: another port made
  // current ends it.
  if (linePort_ != 0 && (!cur || cur->PortNo != linePort_)) stopLineThread();
  int fd = cur ? r_.PortApi.NativeHandle(cur->PortNo) : -1;
  if (fd == failedHandle_) fd = -1;
  if (fd == watchedHandle_) return;
  setWatch(fd, true);
}

// ---- a port whose device went away ---------------------------------------------------

void PollLoop::closeLostPort() {
  PortEntry* e = CurrentEntry(r_.link);
  if (!e || e->PortNo == 0 || r_.PortApi.IsOpen(e->PortNo) != -1) return;
  // Its device is gone (an adapter pulled out): the port is closed, and a
  // poll tick finds it closed and writes nothing to it. The device it was
  // opened from is kept: the port opens again on that device alone, never
  // on whatever its name maps to meanwhile (COM1's default device once
  // its com/COM1 entry has gone with it).
  lost_ = LostPort{r_.link.CurPort, e->PortNo, r_.PortApi.DevicePath(e->PortNo), r_.link.PortCount};
  logPoll(LogLevel::Warning, [&] {
    return e->PortName + ": its device " + lost_->path + " has gone, the port is closed until it is back";
  });
  r_.PortApi.CommClose(e->PortNo);
  e->PortIsOpen = 0;
  failedHandle_ = -1;
  // The link is lost now, not once the watchdog has counted the silence.
  if (!linkLost_) logPoll(LogLevel::Info, [] { return "link lost: the port's device has gone"; });
  linkLost_ = true;
  idleTicks_ = std::max<std::int16_t>(idleTicks_, kLinkIdleTicks + 1);
  showLink();
}

bool PollLoop::awaitingLostPort() const {
  return lost_ && r_.link.PortCount == lost_->portCount && r_.link.CurPort == lost_->entry;
}

void PollLoop::relinkLostPort() {
  if (!lost_) return;
  // The user linked a port or chose another meter meanwhile; or the port is
  // open again some other way: nothing left to do.
  if (!awaitingLostPort() || r_.PortApi.IsOpen(lost_->portNo) == -1) {
    logPoll(LogLevel::Info, [&] { return "COM" + std::to_string(lost_->portNo) + ": no longer waited for"; });
    lost_.reset();
    return;
  }
  std::error_code ec;
  if (lost_->path.empty() || !std::filesystem::exists(lost_->path, ec)) return;
  // The device may be back before whatever held it has let it go (a busy
  // device): it is tried again at the next poll tick until it opens.
  const std::string name = "COM" + std::to_string(lost_->portNo);
  if (RelinkPort(line(), lost_->entry, lost_->path) != 0) {
    if (!lost_->triedBusy)
      logPoll(LogLevel::Info, [&] {
        std::string error;
        r_.PortApi.CommGetError(error);
        return name +
               ": its device is back but cannot be opened yet, tried again at every poll tick: " + error;
      });
    lost_->triedBusy = true;
    return;
  }
  logPoll(LogLevel::Info,
          [&] { return name + ": its device " + lost_->path + " is back, the port is open again"; });
  lost_.reset();
}

}  // namespace vkz
