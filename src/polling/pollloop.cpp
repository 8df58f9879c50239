// The poll engine's face: its records and windows, its reset, the pause and
// resume of polling, and the questions windows ask. The engine's work lies
// in files of one job each:
//   polltick.cpp      the poll tick (identification) and the receive tick
//                     with the link watchdog;
//   pollwaits.cpp     the exchanges the engine awaits: the table of waits,
//                     their counting, their acknowledgements and re-sends;
//   receive.cpp       the receive step: the port read, frames cut and handed on;
//   receiveclock.cpp  the receive ticks counted from the monotonic clock and
//                     the next wake-up;
//   relink.cpp        the watched port, and a port whose device went away;
//   decoder.cpp       the reply decoder's dispatch and the settings read-backs;
//   memorylist.cpp    the memory list;
//   download.cpp      one measurement: its header, its blocks, the line thread;
//   display.cpp       what a download shows, held back while the meter sends.
#include "polling/pollloop.h"

#include <ctime>

#include "base/handlerstep.h"
#include "polling/polllog.h"

namespace vkz {
namespace {

DateTime localTime() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

PollLoop::PollLoop(PollRecords records) : r_(records), clock_(localTime) {}

void PollLoop::reset() {
  windows = PollWindows{};
  clock_ = localTime;
  running_ = true;
  programPauses_ = 0;
  identTicks_ = 0;
  lastTickModel_.clear();
  modelChanged_ = false;
  waits_ = {};
  linkLost_ = false;
  idleTicks_ = 0;
  watchedHandle_ = failedHandle_ = -1;
  watchOn_ = false;
  lost_.reset();
  inPoll_ = inReceive_ = receiveAgain_ = false;
  arrivalsMeanwhile_ = 0;
  bytesSinceTick_ = 0;
  mono_ = nullptr;
  ticksDone_ = 0;
  readDue_.reset();
  bytesRead_ = 0;
  readAtPlan_ = -1;
  progressShownAt_.reset();
  rowsShownAt_.reset();
  progressHeld_.reset();
  rowsHeld_.clear();
  stopLineThread();
  framesCut_ = 0;
  handlingFrame_.reset();
  modelPayload_.clear();
}

void PollLoop::setClock(std::function<DateTime()> clock) {
  clock_ = clock ? std::move(clock) : localTime;
}

void PollLoop::show(int panel, const std::string& text) {
  if (PollView* v = view()) v->setStatusText(panel, text);
}

void PollLoop::message(const std::string& text, MessageIcon icon) {
  if (PollView* v = view()) v->showMessage(text, icon);
}

bool PollLoop::downloadRunning() const {
  return r_.download.headerAwaited || r_.download.flow.active();
}

std::int64_t PollLoop::blockNo() const {
  return r_.download.flow.block();
}

// ---- pause and resume --------------------------------------------------------

void PollLoop::StopPanelTimers() {
  if (running_) logPoll(LogLevel::Info, [] { return "polling paused"; });
  // The receive ticks up to now ran while polling did; a wait that the
  // caller starts next counts from here.
  advance();
  running_ = false;
  if (PollView* v = view()) v->pollingSwitched(false);
  schedule();
}

void PollLoop::StartPanelTimers() {
  if (!running_) logPoll(LogLevel::Info, [] { return "polling resumed"; });
  running_ = true;
  if (PollView* v = view()) v->pollingSwitched(true);
  schedule();
}

PollPause::PollPause(PollLoop& poll) : poll_(poll) {
  ++poll_.programPauses_;
  poll_.StopPanelTimers();
}

PollPause::~PollPause() {
  // The receive ticks that passed while the program held polling paused
  // (a dialog open with nothing awaited, so no tick was asked for) run
  // before the pause ends: as paused ticks, they count no silence.
  if (poll_.programPauses_ == 1) poll_.advance();
  if (--poll_.programPauses_ > 0) return;
  // The silence of a paused meter was not counted; the link is judged
  // again from here.
  poll_.idleTicks_ = 0;
  step([&] { poll_.StartPanelTimers(); });
}

// ---- the main window's load ----------------------------------------------------

void PollLoop::mainWindowLoading() {
  identTicks_ = 0;
}

void PollLoop::mainWindowLoaded() {
  endWait(WaitKind::TimerWrite);
  modelChanged_ = false;
}

}  // namespace vkz
