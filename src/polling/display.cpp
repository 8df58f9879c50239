// What a download shows: the memory panel's progress text and the data list
// window's record rows, held back while the meter sends so the windows
// repaint a few times a second instead of at every reply, and shown while
// a reply has most of its way still to go.
#include <algorithm>

#include "polling/pollloop.h"

namespace vkz {

void PollLoop::showMemoryMessage(const std::string& text) {
  progressHeld_.reset();
  if (PollView* v = view()) v->setMemoryMessage(text);
}

void PollLoop::showProgress(const std::string& text) {
  if (!mono_) {
    showMemoryMessage(text);
    return;
  }
  progressHeld_ = text;
  flushHeld();
}

void PollLoop::showRecords(const std::vector<LoggedRecord>& records) {
  rowsHeld_.insert(rowsHeld_.end(), records.begin(), records.end());
  if (!mono_) showHeldRows();
}

// While a block is on its way, what was held is shown while its reply has
// most of its way still to go: the windows repaint while the meter sends,
// not while the request is on its way to the meter nor when the end of the
// reply is near. Only a block that is late leaves it to the receive timer.
PollLoop::Nanos PollLoop::dueAfter(std::optional<Nanos> shownAt, Nanos every) const {
  if (!shownAt) return Nanos{};
  // The line thread answers the meter whatever the window does.
  if (lineThread()) return *shownAt + every;
  constexpr Nanos kPaintRoom = std::chrono::milliseconds(8);
  const bool blockOnItsWay = blockAwaited() && r_.download.flow.active();
  const PortEntry* e = CurrentEntry(r_.link);
  const auto rest = restOfFrame();
  const bool room = e && !e->RxBuf.empty() && (!rest ? e->RxBuf.size() < 4 : *rest >= kPaintRoom);
  return *shownAt + (blockOnItsWay && !room ? std::max<Nanos>(every, kHeldLongest) : every);
}

std::optional<PollLoop::Nanos> PollLoop::displayDue() const {
  std::optional<Nanos> due;
  if (progressHeld_) due = dueAfter(progressShownAt_, kProgressEvery);
  if (!rowsHeld_.empty()) {
    const Nanos rows = dueAfter(rowsShownAt_, kRowsEvery);
    if (!due || rows < *due) due = rows;
  }
  return due;
}

void PollLoop::flushHeld() {
  if (!mono_) return;
  const Nanos now = mono_();
  if (!rowsHeld_.empty() && now >= dueAfter(rowsShownAt_, kRowsEvery)) showHeldRows();
  if (progressHeld_ && now >= dueAfter(progressShownAt_, kProgressEvery)) showHeldProgress();
}

void PollLoop::flushDisplay() {
  showHeldRows();
  showHeldProgress();
}

void PollLoop::showHeldRows() {
  if (rowsHeld_.empty()) return;
  if (mono_) rowsShownAt_ = mono_();
  const std::vector<LoggedRecord> rows = std::move(rowsHeld_);
  rowsHeld_.clear();
  if (DataListView* list = dataList()) list->addRecords(rows);
}

void PollLoop::showHeldProgress() {
  if (!progressHeld_) return;
  if (mono_) progressShownAt_ = mono_();
  const std::string text = std::move(*progressHeld_);
  showMemoryMessage(text);
}

}  // namespace vkz
