// Progress of the long runs of the measurement views (writing a data or CSV
// file, counting a histogram). The windows show it in their caption as a
// percentage with one decimal, e.g. "37.5% Completed".
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vkz {

// Called with the units done so far and the total. The engines call it each
// time the one-decimal percentage changes (at most 1001 times a run, the
// last time with done == total), so a window can update its caption and let
// the event loop run without slowing a run of a million records.
using ProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// done / total * 100 with one decimal, halves rounded up, with the program's
// decimal separator: "37.5". "0.0" when total is 0.
std::string progressPercent(std::uint64_t done, std::uint64_t total);

// The caption text of a run: the percentage, "%", a blank when `blank`, and
// the "Completed" text of the user-interface table: "37.5% Completed".
std::string progressCaption(std::uint64_t done, std::uint64_t total, std::string_view completedText,
                            bool blank = true);

// Counts units of work and calls a ProgressFn whenever the percentage text
// changes.
class ProgressCounter {
 public:
  ProgressCounter(std::uint64_t total, ProgressFn fn);
  void advance(std::uint64_t n = 1);
  std::uint64_t done() const { return done_; }

 private:
  void report();
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  std::uint64_t next_ = 1;  // the next count whose percentage may differ
  std::int64_t last_ = -1;  // tenths of a percent last reported
  ProgressFn fn_;
};

}  // namespace vkz
