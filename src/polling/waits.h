// The waits of the poll engine: each exchange whose answer the engine awaits
// (the memory list, the timer write, the erase, a single setting write, the
// memory size) is counted in receive ticks of 16 ms from its start, the
// first receive tick after the start being tick 1. A wait's rule says at
// which ticks it acts: it asks the meter again at some of them and runs out
// at one. The engine counts every wait and plans its next wake-up from the
// same rule, so a wait cannot be counted on one path and missed on the
// other. Which exchange starts and ends each wait, and what it says when it
// runs out, stands in the engine's table of waits (PollLoop::kWaits,
// pollwaits.cpp).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vkz {

// The waits, in the order a receive tick counts them.
enum class WaitKind : std::uint8_t { MemoryList, TimerWrite, Erase, SettingWrite, MemorySize };
inline constexpr std::size_t kWaitKinds = 5;

constexpr std::size_t waitIndex(WaitKind k) {
  return static_cast<std::size_t>(k);
}

struct WaitRule {
  std::int32_t runsOut = 0;   // the tick at which the wait ends unanswered
  std::int32_t firstAsk = 0;  // the meter is asked again at firstAsk, firstAsk + askEvery, ...
  std::int32_t askEvery = 0;  // ... (0: never asked again)
  std::int32_t lastAsk = 0;   // ... up to lastAsk

  // Whether tick `n` asks the meter again.
  constexpr bool asksAt(std::int32_t n) const {
    return askEvery > 0 && n >= firstAsk && n <= lastAsk && (n - firstAsk) % askEvery == 0;
  }
  // Whether the wait has run out at tick `n`.
  constexpr bool runsOutAt(std::int32_t n) const { return n >= runsOut; }
  // The ticks from tick `n` (the last one counted) to the next at which the
  // wait asks again or runs out; at least 1.
  constexpr std::int32_t ticksToNext(std::int32_t n) const {
    std::int32_t next = runsOut;
    if (askEvery > 0 && n < lastAsk) {
      const std::int32_t from = std::max(n + 1, firstAsk);
      const std::int32_t ask = firstAsk + (from - firstAsk + askEvery - 1) / askEvery * askEvery;
      if (ask <= lastAsk) next = std::min(next, ask);
    }
    return std::max<std::int32_t>(1, next - n);
  }
};

}  // namespace vkz
