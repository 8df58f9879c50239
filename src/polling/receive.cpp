// The receive step: the current port read when bytes arrive (or when the
// rest of a frame partly in is due), every complete frame cut and handed to
// the identification and the reply decoder, and the plan of the next read.
#include <algorithm>

#include "link/frames.h"
#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {

// ---- the receive step ------------------------------------------------------------

void PollLoop::bytesArrived() {
  if (inReceive_) {
    // Bytes arrived while a frame is being decoded (the decoder lets the
    // event loop turn): take them when it is done. The first report may be
    // of the very bytes a read under way takes next; a second one means a
    // longer turn of the event loop (a message box), and the notifier then
    // rests until the decoding is done, or it would report them again and
    // again.
    receiveAgain_ = true;
    if (++arrivalsMeanwhile_ > 1 && watchedHandle_ >= 0) setWatch(watchedHandle_, false);
    return;
  }
  wake();
}

void PollLoop::wake() {
  // The ticks that passed before now count as silence: bytes read now come
  // after them.
  advance();
  receive();
  flushHeld();
  schedule();
}

void PollLoop::receive() {
  const Nanos began = mono_ ? mono_() : Nanos{};
  inReceive_ = true;
  arrivalsMeanwhile_ = 0;
  bool gone = false;
  try {
    do {
      receiveAgain_ = false;
      PortEntry* e = CurrentEntry(r_.link);
      if (!e) break;
      const std::size_t before = e->RxBuf.size();
      const std::int32_t n = ReadCurrentPort(line());
      // What was reported while the read turned the event loop, it took.
      receiveAgain_ = false;
      if (n > 0) failedHandle_ = -1;
      if (n < 0) {
        // The device has gone: stop watching it (the watchdog reports it).
        // A port not yet opened (the port window still open) is no failure.
        if (watchedHandle_ >= 0) {
          logPoll(LogLevel::Warning, [&] {
            std::string error;
            r_.PortApi.CommGetError(error);
            return "port read failed, its descriptor is no longer watched: " + error;
          });
          failedHandle_ = watchedHandle_;
          setWatch(-1, false);
          closeLostPort();
        }
        gone = true;
      }
      if (CurrentEntry(r_.link) == e && e->RxBuf.size() > before) {
        bytesSinceTick_ += static_cast<long long>(e->RxBuf.size() - before);
        bytesRead_ += static_cast<long long>(e->RxBuf.size() - before);
      }
      const auto cur = r_.link.CurPort;
      // Bytes received before the device went away are still the meter's.
      while (r_.link.CurPort == cur && ParseCurrentPort(r_.link) == 1) {
        handlingFrame_ = ++framesCut_;
        handleFrame();
        handlingFrame_.reset();
      }
      // The line thread's pieces are cut one at a time, as it cut them.
    } while ((receiveAgain_ || piecesWaiting()) && !gone);
  } catch (...) {
    handlingFrame_.reset();
    logCaught(LogArea::Poll);
    StartPanelTimers();
  }
  // The line thread may have started or ended meanwhile: its handle or the
  // port's is watched.
  if (!gone) watchCurrentPort();
  if (!gone) planRead();
  endReceive(began);
}

bool PollLoop::piecesWaiting() const {
  const PortEntry* e = CurrentEntry(r_.link);
  const LineReader* lr = e ? r_.PortApi.Reader(e->PortNo) : nullptr;
  return lr && lr->pending();
}

namespace {
// A frame whose four header bytes are not all in yet is taken for a short
// one (the poll tick's model and clock replies are): its rest is read in
// one go. A longer one has announced its length by then.
constexpr std::size_t kShortFrame = 16;
}  // namespace

// A reply frame announces its length in its first four bytes: once they are
// in, the line time of the rest is known.
std::optional<PollLoop::Nanos> PollLoop::restOfFrame() const {
  const PortEntry* e = CurrentEntry(r_.link);
  if (!e) return std::nullopt;
  return r_.PortApi.Timing(e->PortNo).restOfFrame(e->RxBuf);
}

std::size_t PollLoop::bytesToCome() const {
  const PortEntry* e = CurrentEntry(r_.link);
  if (!e || e->RxBuf.empty() || e->RxBuf[0] != kReplyStart) return 0;
  if (e->RxBuf.size() < 4) return kShortFrame - e->RxBuf.size();
  const auto whole = announcedReplySize(e->RxBuf);
  return whole && *whole > e->RxBuf.size() ? *whole - e->RxBuf.size() : 0;
}

// The notifier rests while the rest of a frame partly in is on its way. A
// short frame (the line time of its whole under kWorthAWait, or its header
// not yet in) is read in one go when its last byte is due: one wake-up
// instead of one per byte (not while a download runs: its next request
// waits for the reply's last byte). A long one (a data block) is read
// shortly before its rest is due, and its last bytes again as they arrive,
// so the next request goes out as soon as the reply is whole.
void PollLoop::planRead() {
  // A timer that runs out a little early finds the last byte not yet in.
  constexpr Nanos kSlack = std::chrono::microseconds(200);
  if (watchedHandle_ < 0) {
    readDue_.reset();
    return;
  }
  if (lineThread() || piecesWaiting()) {
    // The line thread reads the port and wakes the engine when a frame is
    // whole.
    readDue_.reset();
    setWatch(watchedHandle_, true);
    return;
  }
  if (readDue_ && bytesRead_ == readAtPlan_) {
    // Nothing new since the plan: before it is due, go on waiting for it;
    // past it, the line has stalled and the notifier takes over (it wakes
    // the engine on the next byte, whenever that comes).
    if (mono_ && mono_() < *readDue_) return;
    readDue_.reset();
    setWatch(watchedHandle_, true);
    return;
  }
  readDue_.reset();
  const PortEntry* e = CurrentEntry(r_.link);
  if (const std::size_t missing = mono_ ? bytesToCome() : 0; missing > 0 && e) {
    const LineTiming t = r_.PortApi.Timing(e->PortNo);
    const Nanos rest = t.of(missing);
    const Nanos whole = t.of(missing + e->RxBuf.size());
    // While a download runs, the next request waits for every reply's last
    // byte (a poll reply's too): each is taken as it arrives.
    const bool shortFrame = whole < LineTiming::kWorthAWait || e->RxBuf.size() < 4;
    if (shortFrame && !r_.download.flow.active())
      readDue_ = mono_() + rest + kSlack;
    else if (!shortFrame && rest >= LineTiming::kWorthAWait)
      readDue_ = mono_() + rest - LineTiming::kEarly;
    if (readDue_) readAtPlan_ = bytesRead_;
  }
  setWatch(watchedHandle_, !readDue_);
}

// Steps 6 to 8 of the receive tick, for one frame cut into the current
// entry's parser record: an identification reply sets the model text, a
// changed model rebuilds the command tree, and every frame goes to the
// decoder once the model is a supported one.
void PollLoop::handleFrame() {
  PortEntry* e = CurrentEntry(r_.link);
  if (!e) return;
  PollingState& ps = r_.polling;
  if (e->PortReply.ReplyCode == 0) {
    modelPayload_.assign(e->PortReply.ReplyData.begin(),
                         e->PortReply.ReplyData.begin() + e->PortReply.ReplyLength);
    ps.MeterModel = BytesToText(e->PortReply, e->PortReply.ReplyLength - 1, "chr");
    if (ps.MeterModel != ps.PrevMeterModel || ps.MeterModel.empty()) modelChanged_ = true;
    ps.PrevMeterModel = ps.MeterModel;
  }
  if (modelChanged_) {
    modelChanged_ = false;
    if (PollView* v = view()) v->buildTreeForModel();
  }
  if (isSupportedModel(ps.MeterModel)) DeVKZ418SDData();
}

}  // namespace vkz
