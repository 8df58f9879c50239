#include "polling/blockflow.h"

#include <algorithm>
#include <unordered_set>

namespace vkz {

namespace {

// FNV-1a: equal bytes give equal sums; different ones almost never do,
// and when they do a re-download starts a little early.
std::uint64_t checksum(Payload p) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::uint8_t b : p) h = (h ^ b) * 1099511628211ull;
  return h;
}

}  // namespace

void BlockFlow::start(std::size_t headersOwed) {
  *this = BlockFlow{};
  active_ = true;
  owed_.assign(headersOwed, kHeader);
}

void BlockFlow::stop() {
  *this = BlockFlow{};
}

void BlockFlow::requested(std::int64_t blockNo) {
  if (!active_ || blockNo > block_) return;
  if (blockNo != kHeader && blockNo < block_ && !taken_.count(blockNo)) return;
  if (blockNo == block_)
    askedNow_ = true;
  else
    fencedNow_ = true;
  owed_.push_back(blockNo);
}

void BlockFlow::headerAnswered() {
  const auto header = std::find(owed_.begin(), owed_.end(), kHeader);
  if (header == owed_.end()) return;
  owed_.erase(owed_.begin(), std::next(header));
  forget();
}

bool BlockFlow::agrees(Payload p, const std::vector<std::uint8_t>& taken) {
  const std::size_t n = std::min(p.size(), taken.size());
  return std::equal(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(n), taken.begin());
}

BlockFlow::Match BlockFlow::match(Payload p) {
  if (!active_) return Match::Unasked;
  // The requests the reply may answer: those for the block asked now, whose
  // bytes are not known yet, and those for blocks taken whose bytes it
  // agrees with.
  std::optional<std::size_t> first;
  bool mayBeNow = false, mayBeTaken = false;
  for (std::size_t i = 0; i < owed_.size(); ++i) {
    if (owed_[i] == kHeader) continue;
    const bool now = owed_[i] == block_;
    if (!now && !agrees(p, taken_.at(owed_[i]))) continue;
    if (!first) first = i;
    (now ? mayBeNow : mayBeTaken) = true;
  }
  if (!first) {
    doubled_ = true;
    return Match::Unasked;
  }
  // It answers the first of them as far as the count goes (the most stay
  // owed); the requests before it were lost.
  const bool firstIsNow = owed_[*first] == block_;
  owed_.erase(owed_.begin(), owed_.begin() + static_cast<std::ptrdiff_t>(*first) + 1);
  if (!mayBeTaken) return Match::Current;
  // Dropped, though it may have answered a request for the block asked now
  // that the count keeps owed.
  if (mayBeNow && !firstIsNow) ++lateNow_;
  forget();
  return Match::Late;
}

void BlockFlow::taken(Payload p) {
  if (!active_) return;
  const auto before = taken_.find(block_ - 1);
  if (before != taken_.end() && !agrees(p, before->second)) fence_ = block_ - 1;
  taken_[block_].assign(p.begin(), p.end());
  sums_.push_back(checksum(p));
  ++block_;
  askedNow_ = fencedNow_ = false;
  lateNow_ = 0;
  forget();
}

void BlockFlow::forget() {
  for (auto it = taken_.begin(); it != taken_.end();) {
    const std::int64_t b = it->first;
    const bool kept =
        b == block_ - 1 || b == fence_ || std::find(owed_.begin(), owed_.end(), b) != owed_.end();
    it = kept ? std::next(it) : taken_.erase(it);
  }
}

bool BlockFlow::mayAsk() const {
  if (!active_) return false;
  if (!askedNow_) return true;
  // While a request for a block taken is owed ahead of it, the next reply
  // may still be that late answer: the block's own answers come after it.
  const auto first = std::find_if(owed_.begin(), owed_.end(), [](std::int64_t b) { return b != kHeader; });
  if (first != owed_.end() && *first != block_) return false;
  // Each request is answered at most once: when the replies dropped as Late
  // that may have been its answers are as many as its requests owed, no
  // answer may be left to come.
  const auto owedNow = std::count(owed_.begin(), owed_.end(), block_);
  return lateNow_ >= owedNow;
}

std::optional<std::int64_t> BlockFlow::fence() const {
  if (!active_ || fencedNow_) return std::nullopt;
  // A block whose answer differs from the late answers of the block taken
  // last; else the header, whose reply is of another kind.
  const auto last = taken_.find(block_ - 1), fence = taken_.find(fence_);
  if (last == taken_.end() || fence == taken_.end()) return kHeader;
  const Payload p(fence->second.data(), fence->second.size());
  if (agrees(p, last->second)) return kHeader;
  return fence_;
}

bool BlockFlow::settled() const {
  return std::all_of(owed_.begin(), owed_.end(), [](std::int64_t b) { return b == kHeader; });
}

std::optional<std::int64_t> BlockFlow::firstRepeat() const {
  std::unordered_set<std::uint64_t> seen;
  for (std::size_t b = 0; b < sums_.size(); ++b)
    if (!seen.insert(sums_[b]).second) return static_cast<std::int64_t>(b);
  return std::nullopt;
}

void BlockFlow::restart(std::int64_t from) {
  std::vector<std::uint64_t> sums = std::move(sums_);
  sums.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(from, 0, static_cast<std::int64_t>(sums.size()))));
  start();
  block_ = static_cast<std::int64_t>(sums.size());
  sums_ = std::move(sums);
}

}  // namespace vkz
