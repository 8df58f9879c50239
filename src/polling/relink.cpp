// The port the engine watches for arriving bytes, and a port whose device
// went away (an adapter pulled out, the far end of a pseudo-terminal gone):
// closed, so nothing is written to a dead port, and linked again when its
// device is back.
#include <filesystem>

#include "link/comname.h"
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
  // poll tick finds it closed and writes nothing to it.
  logPoll(LogLevel::Warning,
          [&] { return e->PortName + ": its device has gone, the port is closed until it is back"; });
  r_.PortApi.CommClose(e->PortNo);
  e->PortIsOpen = 0;
  failedHandle_ = -1;
  lost_ = LostPort{e->PortNo, e->PortSettings};
}

void PollLoop::relinkLostPort() {
  if (!lost_) return;
  // Linked again meanwhile (the port window): nothing left to do.
  if (r_.PortApi.IsOpen(lost_->portNo) == -1) {
    lost_.reset();
    return;
  }
  const std::string name = "COM" + std::to_string(lost_->portNo);
  const std::string path = ComDevicePath(name);
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return;
  // The device may be back before whatever held it has let it go (a busy
  // device): it is tried again at the next poll tick until it opens, so a
  // failed attempt never uses up an entry of the port table.
  if (r_.PortApi.CommOpen(lost_->portNo, name, lost_->settings) != 0) {
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
  r_.PortApi.CommClose(lost_->portNo);
  const LostPort port = *lost_;
  lost_.reset();
  logPoll(LogLevel::Info, [&] { return name + ": its device is back, the port is linked again"; });
  OpenPort(line(), port.portNo, port.settings);
  r_.link.CurPort = r_.link.PortCount;
}

}  // namespace vkz
