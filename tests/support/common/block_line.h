// A simulated meter and line for the block flow, driven as the download
// drives it: each request answered after a delay that may wander, answers
// lost and doubled, runs of blocks alike. The unit tests run it over named lines.
#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <ostream>
#include <random>
#include <vector>

#include "polling/blockflow.h"
#include "polling/payload.h"

namespace vkztest {

// The bytes of block reply `id` (ids apart give different bytes).
inline std::vector<std::uint8_t> blockBytes(int id) {
  std::vector<std::uint8_t> b(80);
  for (std::size_t i = 0; i < b.size(); ++i)
    b[i] = static_cast<std::uint8_t>(id * 7 + 3 + static_cast<int>(i));
  return b;
}

// A line and a meter: each request answered `delay` ms later (plus up to
// `jitter`), in order; answers lost, doubled right behind, and runs of
// blocks that are byte for byte alike. The quiet time follows the longest
// delay seen with half of it to spare: a delay that wanders within twice
// its shortest is covered.
struct Line {
  const char* name;
  int delay, jitter;  // ms
  double lost, doubled, alike;
};

// A failing case names its line.
inline void PrintTo(const Line& l, std::ostream* os) {
  *os << l.name;
}

struct Outcome {
  bool complete = false, stopped = false;
  int wrongRows = 0;
  long ticks = 0;
};

// Drives the flow as the download does: the next block asked as soon as
// the flow allows (after a reply, or on a receive tick), a block still
// pending sent again every third poll tick (one per 200 ms, 12.5 receive
// ticks), at most kMaxResends times in a row.
inline Outcome simulateBlockLine(const Line& line, unsigned seed, int blocks) {
  constexpr int kMaxResends = 10;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<std::vector<std::uint8_t>> data(static_cast<std::size_t>(blocks));
  for (std::size_t b = 0; b < data.size(); ++b) {
    data[b] = blockBytes(static_cast<int>(b % 40));
    if (b > 0 && u(rng) < line.alike) data[b] = data[b - 1];
  }
  struct Answer {
    long due;
    std::size_t block;
  };
  std::deque<Answer> wire;
  vkz::BlockFlow flow;
  flow.start();
  bool pending = false;
  int retry = 0, resends = 0;
  Outcome out;
  long now = 0;
  const auto ask = [&] {
    pending = true;
    retry = 0;
    flow.requested();
    if (u(rng) < line.lost) return;
    const double ms = line.delay + u(rng) * line.jitter;
    long due = now + static_cast<long>(ms / 16);
    if (!wire.empty()) due = std::max(due, wire.back().due);
    const auto block = static_cast<std::size_t>(flow.block());
    wire.push_back({due, block});
    if (u(rng) < line.doubled) wire.push_back({due + (u(rng) < 0.5 ? 0 : 1), block});
  };
  ask();
  for (; now < 200000 && !out.complete && !out.stopped; ++now) {
    flow.tick();
    if (flow.mayAsk()) ask();
    while (!wire.empty() && wire.front().due <= now && !out.complete) {
      const auto& bytes = data[wire.front().block];
      wire.pop_front();
      retry = 0;
      if (flow.match(vkz::Payload(bytes.data(), bytes.size())) == vkz::BlockFlow::Match::Current) {
        pending = false;
        if (bytes != data[static_cast<std::size_t>(flow.block())]) ++out.wrongRows;
        resends = 0;
        flow.taken();
        out.complete = flow.block() == blocks;
      }
      if (flow.mayAsk() && !out.complete) ask();
    }
    if ((now * 2) % 25 >= 23) {  // a poll tick
      if (!pending) {
        retry = 0;
      } else if (retry < 2) {
        ++retry;
      } else if (resends == kMaxResends) {
        out.stopped = true;
      } else {
        ++resends;
        ask();
      }
    }
  }
  out.ticks = now;
  return out;
}

}  // namespace vkztest
