#include "polling/blockflow.h"

#include <algorithm>

namespace vkz {
namespace {
// A line that stays silent while the poll tick keeps re-sending piles up
// requests that will never be answered; the oldest are let go.
constexpr std::size_t kMaxWaiting = 256;
}  // namespace

void BlockFlow::start() {
  active_ = true;
  block_ = 0;
  sent_.clear();
  kept_.clear();
}

void BlockFlow::stop() {
  active_ = false;
  sent_.clear();
  kept_.clear();
}

void BlockFlow::requested(bool afterQuiet) {
  if (!active_) return;
  // After a quiet spell no answer to an earlier request is still to come:
  // their answers were lost. Kept, the oldest of them would be matched to
  // the next reply and, with blocks alike, drop it as a copy at every
  // re-send.
  if (afterQuiet) sent_.clear();
  sent_.push_back({block_, afterQuiet});
  while (sent_.size() > kMaxWaiting) sent_.pop_front();
  prune();
}

bool BlockFlow::repeats(std::int64_t block, Payload p) const {
  const auto it = kept_.find(block);
  return it != kept_.end() && p.size() <= it->second.size() &&
         std::equal(p.begin(), p.end(), it->second.begin());
}

BlockFlow::Match BlockFlow::match(Payload p) {
  if (!active_) return Match::Unasked;
  Match m = Match::Unasked;
  while (!sent_.empty()) {
    const Sent s = sent_.front();
    sent_.pop_front();
    if (s.block == block_) {
      m = (!s.afterQuiet && repeats(block_ - 1, p)) ? Match::Duplicate : Match::Current;
      break;
    }
    // A request for an earlier block, already taken.
    if (repeats(s.block, p)) {
      m = Match::Duplicate;
      break;
    }
    // That request's answer was lost; the reply answers a later request.
  }
  prune();
  return m;
}

void BlockFlow::taken(Payload p) {
  if (!active_) return;
  kept_[block_].assign(p.begin(), p.end());
  ++block_;
  prune();
}

void BlockFlow::prune() {
  // Bytes are needed for the block taken last (a copy of its reply may
  // follow) and for earlier blocks that waiting requests still name.
  std::int64_t oldest = block_ - 1;
  if (!sent_.empty()) oldest = std::min(oldest, sent_.front().block);
  for (auto it = kept_.begin(); it != kept_.end() && it->first < oldest;) it = kept_.erase(it);
}

}  // namespace vkz
