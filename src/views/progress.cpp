#include "views/progress.h"

#include <algorithm>

#include "base/numfmt.h"

namespace vkz {
namespace {

// Tenths of a percent, halves up: floor(done * 1000 / total + 0.5).
std::uint64_t tenths(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  return (2000 * done + total) / (2 * total);
}

}  // namespace

std::string progressPercent(std::uint64_t done, std::uint64_t total) {
  std::uint64_t t = tenths(done, total);
  std::string s = std::to_string(t / 10);
  s += decimalSeparator();
  s += static_cast<char>('0' + t % 10);
  return s;
}

std::string progressCaption(std::uint64_t done, std::uint64_t total, std::string_view completedText,
                            bool blank) {
  std::string s = progressPercent(done, total);
  s += blank ? "% " : "%";
  s += completedText;
  return s;
}

ProgressCounter::ProgressCounter(std::uint64_t total, ProgressFn fn) : total_(total), fn_(std::move(fn)) {}

void ProgressCounter::report() {
  std::uint64_t t = tenths(done_, total_);
  if (static_cast<std::int64_t>(t) != last_) {
    last_ = static_cast<std::int64_t>(t);
    if (fn_) fn_(done_, total_);
  }
  // The smallest count that reaches t + 1 tenths: 2000 d + T >= (2t + 2) T.
  std::uint64_t want = ((2 * t + 1) * total_ + 1999) / 2000;
  next_ = std::max(done_ + 1, want);
}

void ProgressCounter::advance(std::uint64_t n) {
  std::uint64_t target = done_ + n;
  while (next_ <= target && done_ < total_) {
    done_ = std::min(next_, total_);
    report();
  }
  done_ = target;
}

}  // namespace vkz
