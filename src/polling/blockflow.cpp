#include "polling/blockflow.h"

#include <algorithm>

namespace vkz {
namespace {
// A line that stays silent while the poll tick keeps sending piles up
// requests; the download stops long before this many.
constexpr std::size_t kMostOwed = 256;
}  // namespace

void BlockFlow::start() {
  active_ = true;
  asked_ = false;
  block_ = 0;
  owed_.clear();
  haveLast_ = false;
  last_.clear();
  longestDelay_ = 0;
}

void BlockFlow::stop() {
  active_ = false;
  asked_ = false;
  owed_.clear();
}

void BlockFlow::tick() {
  ++now_;
  // The quiet time has passed since the last request for the block taken:
  // the answers still owed were lost.
  if (holding() && now_ >= owed_.back() + quietTicks()) owed_.clear();
}

void BlockFlow::requested() {
  if (!active_) return;
  asked_ = true;
  owed_.push_back(now_);
  while (owed_.size() > kMostOwed) owed_.pop_front();
}

bool BlockFlow::isCopy(Payload p) const {
  return haveLast_ && now_ - lastAt_ <= kCopyTicks && repeats(p, last_);
}

BlockFlow::Match BlockFlow::match(Payload p) {
  if (!active_) return Match::Unasked;
  if (isCopy(p)) {
    // A further copy counts from this one.
    lastAt_ = now_;
    return Match::Duplicate;
  }
  last_.assign(p.begin(), p.end());
  lastAt_ = now_;
  haveLast_ = true;
  if (owed_.empty()) return Match::Unasked;
  // Paired with the oldest request owed: if an earlier answer was lost the
  // reply answers a later request, so the delay is never taken too short.
  longestDelay_ = std::max(longestDelay_, now_ - owed_.front());
  owed_.pop_front();
  return asked_ ? Match::Current : Match::Duplicate;
}

void BlockFlow::taken() {
  if (!active_) return;
  ++block_;
  asked_ = false;
}

std::int64_t BlockFlow::quietTicks() const {
  return std::clamp(longestDelay_ + longestDelay_ / 2 + kQuietMargin, kQuietFloor, kQuietCeiling);
}

std::int64_t BlockFlow::ticksToAsk() const {
  if (!holding()) return -1;
  return std::max<std::int64_t>(1, owed_.back() + quietTicks() - now_);
}

}  // namespace vkz
