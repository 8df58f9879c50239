// The rule of a wait: the ticks at which it asks again and runs out, and the
// engine's next wake-up, which must land on exactly those ticks.
#include "polling/waits.h"

#include <gtest/gtest.h>

#include <vector>

namespace vkz {
namespace {

// The ticks at which `rule` acts, walked tick by tick, and the same ticks
// reached by jumping from each to the next with ticksToNext().
std::vector<int> actsWalked(const WaitRule& rule) {
  std::vector<int> at;
  for (int n = 1;; ++n) {
    if (rule.asksAt(n) || rule.runsOutAt(n)) at.push_back(n);
    if (rule.runsOutAt(n)) return at;
  }
}

std::vector<int> actsJumped(const WaitRule& rule) {
  std::vector<int> at;
  for (int n = 0; !rule.runsOutAt(n);) {
    n += rule.ticksToNext(n);
    at.push_back(n);
  }
  return at;
}

TEST(WaitRule, NextWakeUpLandsOnEveryTickTheWaitActsOn) {
  struct Case {
    const char* what;
    WaitRule rule;
    std::vector<int> acts;  // asks again, then runs out
  };
  const std::vector<Case> cases{
      // The memory list: asked again at the old counter's 0, 10, ... 100,
      // ended when it passes 200.
      {"memory list", {202, 1, 10, 101}, {1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 101, 202}},
      // The memory size after the list: asked again at 10, ... 100.
      {"memory size", {201, 10, 10, 100}, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 201}},
      {"timer write", {300}, {300}},
      {"asks on its last tick", {5, 1, 2, 5}, {1, 3, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(actsWalked(c.rule), c.acts);
    EXPECT_EQ(actsJumped(c.rule), c.acts);
  }
}

}  // namespace
}  // namespace vkz
